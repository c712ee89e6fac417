// The machine's code table: G and M codes and canned-cycle codes by key.
#ifndef TLV_DEFINITION_CODE_TABLE_H_
#define TLV_DEFINITION_CODE_TABLE_H_

#include <array>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace tlv {

/// Longest key or code text kept, in bytes.
inline constexpr std::size_t kCodeFieldSize = 100;

struct CodeDefault {
  std::string_view key;
  std::string_view text;
};

/// The 33 codes of a new definition.
inline constexpr std::array<CodeDefault, 33> kDefaultCodes = {{
    {"G00_CODE", "G00"},       {"G01_CODE", "G01"},
    {"G02_CODE", "G02"},       {"G03_CODE", "G03"},
    {"M_SPINON", "M03"},       {"M_SPINOFF", "M05"},
    {"M_FLOOD", "M08"},        {"M_AIR", "M50"},
    {"M_INTRNL", "M51"},       {"M_MIST", "M07"},
    {"M_COOLOFF", "M09"},      {"CYC_IRET", "G98"},
    {"CYC_RRET", "G99"},       {"CYC_DRILL", "G81"},
    {"CYC_FDRILL", "G73"},     {"CYC_RTAP", "G74"},
    {"CYC_FBORE", "G76"},      {"CYC_CBORE", "G82"},
    {"CYC_SDRILL", "G83"},     {"CYC_TAP", "G84"},
    {"CYC_ETC", "G89"},        {"CMP_LEFT", "G41"},
    {"CMP_RIGHT", "G42"},      {"CMP_OFF", "G40"},
    {"G06_CODE", "G06.2"},     {"G17_CODE", "G17"},
    {"G18_CODE", "G18"},       {"G19_CODE", "G19"},
    {"CYC_BORING", "G85"},     {"CYC_BORESTOP", "G86"},
    {"CYC_BACKBORE", "G87"},   {"CYC_BOREMANU", "G88"},
    {"CYC_BOREFEED", "G89"},
}};

/// One of the 33 code keys, by its place in kDefaultCodes: the handlers
/// pick code texts by this index instead of looking the key text up at
/// every record.
struct CodeKey {
  std::size_t index = 0;
  constexpr std::string_view name() const { return kDefaultCodes[index].key; }
};

/// The CodeKey of `key`, at compile time; a key that is not one of
/// kDefaultCodes does not compile.
consteval CodeKey KnownCodeKey(std::string_view key) {
  for (std::size_t i = 0; i < kDefaultCodes.size(); ++i) {
    if (kDefaultCodes[i].key == key) return CodeKey{i};
  }
  throw "not a code key";
}

/// Code key to code text, ordered by key compared byte by byte.  Keys and
/// texts are CP932 bytes of at most kCodeFieldSize bytes; Set cuts longer
/// ones.
struct CodeTable {
  std::map<std::string, std::string, std::less<>> entries;

  /// A table holding kDefaultCodes.
  static CodeTable Defaults();

  /// The text of `key`, or nullptr when the table lacks it.
  const std::string* Find(std::string_view key) const;
  /// The text of `key`, or "" when the table lacks it.
  std::string_view Text(std::string_view key) const;
  /// Sets (or replaces) `key`, both cut to kCodeFieldSize bytes.
  void Set(std::string_view key, std::string_view text);
  /// Adds `key` with `text` unless the table holds the key already; returns
  /// whether it was added.
  bool AddIfMissing(std::string_view key, std::string_view text);
  std::size_t size() const { return entries.size(); }

  friend bool operator==(const CodeTable&, const CodeTable&) = default;
};

}  // namespace tlv

#endif  // TLV_DEFINITION_CODE_TABLE_H_
