// The variable dictionary: the installation's list of every variable, by
// number and by name.  Shipped as the binary file "TOLvek.ini", built from a
// readable source text (data/dictionary.txt).
#ifndef TLV_DEFINITION_VARIABLE_DICTIONARY_H_
#define TLV_DEFINITION_VARIABLE_DICTIONARY_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace tlv {

class RecordFile;

/// Longest name or text of an entry kept, in bytes.
inline constexpr std::size_t kDictFieldSize = 100;

/// DictionaryEntry::kind.
inline constexpr std::int32_t kKindText = 0;     // no number format
inline constexpr std::int32_t kKindNumber = 1;   // a real number
inline constexpr std::int32_t kKindInteger = 2;  // an integer number

/// DictionaryEntry::flags bits.
/// The variable gets a VariableSetting in every definition.
inline constexpr std::int32_t kDictInEveryDefinition = 1;
/// No calculation formula may be given for the variable.
inline constexpr std::int32_t kDictNoFormula = 4;

struct DictionaryEntry {
  /// Upper case with underscores ("X_CORD"); CP932, at most kDictFieldSize.
  std::string name;
  /// The default message, CP932, at most kDictFieldSize bytes.
  std::string text;
  std::int32_t id = 0;
  /// kKindText, kKindNumber or kKindInteger.
  std::int32_t kind = kKindNumber;
  /// 0/1: output only when changed, unless a definition says otherwise.
  std::int32_t modal_default = 0;
  /// Set of kDict* bits.
  std::int32_t flags = 0;

  friend bool operator==(const DictionaryEntry&, const DictionaryEntry&) = default;
};

/// Entries by id (ascending) with a second index by name.
class VariableDictionary {
 public:
  /// Adds `entry`, its name and text cut to kDictFieldSize bytes.  An entry
  /// of the same id is replaced, as is the name index of the same name (the
  /// later entry wins, as when the file is read).
  void Put(DictionaryEntry entry);

  /// The entry of `id`, or nullptr.
  const DictionaryEntry* FindById(std::int32_t id) const;
  /// The entry named `name` (exact bytes), or nullptr.
  const DictionaryEntry* FindByName(std::string_view name) const;

  /// All entries in ascending id.
  const std::map<std::int32_t, DictionaryEntry>& entries() const { return by_id_; }
  std::size_t size() const { return by_id_.size(); }
  bool empty() const { return by_id_.empty(); }
  void clear();

  friend bool operator==(const VariableDictionary& a, const VariableDictionary& b) {
    return a.by_id_ == b.by_id_;
  }

 private:
  std::map<std::int32_t, DictionaryEntry> by_id_;
  std::map<std::string, std::int32_t, std::less<>> by_name_;
};

/// Reads the binary dictionary (int count, then count x {string name;
/// string text; int id; int kind; int modal default; int flags}) from `in`
/// into `dict` (cleared first).  On a short or corrupt file returns false
/// with a message in `err`; `dict` is then left empty.
bool ReadDictionary(RecordFile& in, VariableDictionary* dict, std::string* err);
/// The same from bytes in memory.
bool ReadDictionaryBytes(std::string_view bytes, VariableDictionary* dict,
                         std::string* err);
/// Reads the dictionary file at `path`; `err` names the path on failure.
bool LoadDictionaryFile(const std::string& path, VariableDictionary* dict,
                        std::string* err);

/// The binary dictionary, entries in ascending id.
std::string WriteDictionaryBytes(const VariableDictionary& dict);
/// Writes the binary dictionary to `path` through a temporary file and a
/// rename, so a failed write leaves an old file untouched.
bool SaveDictionaryFile(const std::string& path, const VariableDictionary& dict,
                        std::string* err);

/// Parses the dictionary source text (UTF-8, line based; see
/// data/dictionary.txt for the format) into `dict`; names and texts are
/// converted to CP932.  `file_name` only names the place in messages:
/// "file:line: message".  Duplicate ids or names, unknown kinds, bad numbers
/// and fields over kDictFieldSize bytes are errors.
bool ParseDictionarySource(std::string_view text, std::string_view file_name,
                           VariableDictionary* dict, std::string* err);
/// The source text of `dict` (UTF-8), which parses back to the same entries.
std::string FormatDictionarySource(const VariableDictionary& dict);

}  // namespace tlv

#endif  // TLV_DEFINITION_VARIABLE_DICTIONARY_H_
