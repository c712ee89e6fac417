// The editor's document: the definition being edited with its file path,
// the version tag of the last imported file and the modified flag, plus the
// machine description that belongs to the document but to no file of it.
#ifndef TLV_EDITOR_EDITOR_DOCUMENT_H_
#define TLV_EDITOR_EDITOR_DOCUMENT_H_

#include <string>

#include "definition/definition_file.h"
#include "definition/machine_data.h"
#include "definition/post_definition.h"
#include "definition/variable_dictionary.h"

namespace tlv {

class SettingsStore;

/// The rapid feed given to imported files older than "TOLvek4.10": the
/// settings value "FeedAtRapid" read as a whole number; 10000 when the key
/// is missing, 2000 when the key exists without the value.
double ImportRapidFeed(const SettingsStore& settings);

class EditorDocument {
 public:
  /// A document with a new definition built from `dict`, which stays for
  /// the life of the document.
  explicit EditorDocument(VariableDictionary dict);

  PostDefinition& definition() { return definition_; }
  const PostDefinition& definition() const { return definition_; }
  const VariableDictionary& dictionary() const { return dictionary_; }
  MachineData& machine_data() { return machine_data_; }
  FiveAxisSettings& five_axis() { return five_axis_; }

  /// The definition's file (UTF-8); "" for one never saved or read.
  const std::string& path() const { return path_; }
  /// The tag of the last file imported from "TOLvek3.50" on; older imports
  /// leave it as it was.
  const std::string& imported_tag() const { return imported_tag_; }
  bool modified() const { return modified_; }
  void set_modified(bool modified) { modified_ = modified; }

  /// The New command: the definition reset as New resets it, no path, not
  /// modified.
  void New();

  /// Reads any known version from `path`.  On success the path is `path`
  /// and the document is not modified; on failure nothing changes.
  DefinitionResult Import(const std::string& path, double feed_at_rapid);

  /// The path of a file named on the command line: as Import, but only a
  /// "TOLvek4.20" file is taken (kUnknownTag for any other, nothing changed).
  DefinitionResult OpenCurrentVersion(const std::string& path);

  /// Writes the definition to `path` as "TOLvek4.20".  Neither the path
  /// nor the modified flag changes: Save and Save as differ there.
  DefinitionResult WriteTo(const std::string& path) const;

  /// Save: writes to `path`, which becomes the document's path, and clears
  /// the modified flag.
  DefinitionResult Save(const std::string& path);
  /// Save as: writes to `path`, which becomes the document's path; the
  /// modified flag stays as it is.
  DefinitionResult SaveAs(const std::string& path);

 private:
  VariableDictionary dictionary_;
  PostDefinition definition_;
  MachineData machine_data_;
  FiveAxisSettings five_axis_;
  std::string path_;
  std::string imported_tag_;
  bool modified_ = false;
};

}  // namespace tlv

#endif  // TLV_EDITOR_EDITOR_DOCUMENT_H_
