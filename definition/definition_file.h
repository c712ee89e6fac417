// The definition file (.tlv): the writer of the current version, the
// editor's import reader of every version, and the loader of the
// post-processor.
#ifndef TLV_DEFINITION_DEFINITION_FILE_H_
#define TLV_DEFINITION_DEFINITION_FILE_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "definition/post_definition.h"

namespace tlv {

class RecordFile;
class VariableDictionary;

/// The only tag written.
inline constexpr std::string_view kCurrentVersionTag = "TOLvek4.20";
inline constexpr int kCurrentFormatVersion = 420;

/// Message shown when a file's tag is none that the reader knows (UTF-8).
inline constexpr int kMsgInvalidOrOldFile = 61453;
inline constexpr std::string_view kTextInvalidOrOldFile =
    "無効なファイル、又は古いファイルが指定されました。";

/// The FormatVersion of a version tag: "TOLvek3.40" 340 .. "TOLvek4.20" 420,
/// and for the old layouts "TOLvek2.0" 200, "TOLvek2.3" 230, "TOLvek2.7" 270,
/// "TOLvek2.12" 212, "TOLvek3.00" 300.  0 for any other tag.
int FormatVersionOfTag(std::string_view tag);

enum class DefinitionStatus {
  kOk,
  /// The file could not be opened.
  kCannotOpen,
  /// The tag is none the reader accepts (for the import reader: message
  /// kMsgInvalidOrOldFile).
  kUnknownTag,
  /// Short, truncated or inconsistent content.
  kCorrupt,
  /// The file could not be written.
  kWriteFailed,
};

struct DefinitionResult {
  DefinitionStatus status = DefinitionStatus::kOk;
  /// The tag read (cut to 100 bytes), "" when none could be read.
  std::string version_tag;
  /// FormatVersionOfTag(version_tag).
  int format_version = 0;
  /// What went wrong, naming the file where a path was given (UTF-8).
  std::string error;

  bool ok() const { return status == DefinitionStatus::kOk; }
};

/// Writes `def` as "TOLvek4.20" to `out` (binary).  Code keys, code texts
/// and messages are cut to 100 bytes; values, formulas and sections are
/// written whole.  Returns false on a write error of the stream, and writes
/// nothing when a value or formula is longer than a reader keeps
/// (RecordFile::kStringBufferSize): such a file would not read back.
bool WriteDefinition(const PostDefinition& def, RecordFile& out);
/// The bytes of `def` as "TOLvek4.20" (no length check).
std::string WriteDefinitionBytes(const PostDefinition& def);
/// Writes `def` to `path` through a temporary file in the same folder and a
/// rename, so a failed write never destroys the existing file.  Refused
/// (kWriteFailed) like WriteDefinition when a value or formula is too long.
DefinitionResult SaveDefinitionFile(const std::string& path, const PostDefinition& def);

/// The editor's import reader: reads any of the seventeen known tags.  The
/// file is read into a copy of `*def` (fields an old layout lacks keep the
/// current values) and swapped in only on success; on any failure `*def` is
/// unchanged.  Variable settings are merged into a table built from `dict`.
/// `feed_at_rapid` is the rapid feed taken for files older than "TOLvek4.10"
/// (the caller's setting "FeedAtRapid").
DefinitionResult ImportDefinition(RecordFile& in, const VariableDictionary& dict,
                                  double feed_at_rapid, PostDefinition* def);
DefinitionResult ImportDefinitionBytes(std::string_view bytes,
                                       const VariableDictionary& dict,
                                       double feed_at_rapid, PostDefinition* def);
DefinitionResult ImportDefinitionFile(const std::string& path,
                                      const VariableDictionary& dict,
                                      double feed_at_rapid, PostDefinition* def);

/// The post-processor's loader: accepts "TOLvek3.70" to "TOLvek4.20" only
/// (kUnknownTag for any other tag, with version_tag set for the run's
/// message).  Fields the file's version lacks take the run defaults:
/// min_unit_digits 3, split_large_arcs 1, rapid_feed 10000.0, 0 otherwise
/// (tiny_arc_as_circle 1).  Codes are taken as read (no keys added);
/// `def->variables` holds the file's settings only (no dictionary merge: the
/// variable store merges them into its own table); at most 22 sections.
/// `*def` is replaced only on success.
DefinitionResult LoadDefinitionForRun(RecordFile& in, PostDefinition* def);
DefinitionResult LoadDefinitionForRunBytes(std::string_view bytes, PostDefinition* def);
DefinitionResult LoadDefinitionForRunFile(const std::string& path, PostDefinition* def);

}  // namespace tlv

#endif  // TLV_DEFINITION_DEFINITION_FILE_H_
