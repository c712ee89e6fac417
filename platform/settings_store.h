#ifndef TLV_PLATFORM_SETTINGS_STORE_H_
#define TLV_PLATFORM_SETTINGS_STORE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlv {

// The settings store: one text file in the registry-export format that holds
// both hives.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\KESTRA\TLV]
//   "SavePath"="/home/cam/nc/"
//   "DontShowExecDlg"=dword:00000001
//   "Quoted"="a \"b\" c:\\d"
//
// Key paths start with the hive name and are written with '\'.  Key paths and
// value names compare without regard to ASCII case.  A key exists ("can be
// opened") when its line, or the line of a key below it, is in the file; a
// missing file is an empty store.  Values of other kinds (hex:, hex(2): ...,
// also over continuation lines) are kept as they stand and read as absent.
// The file is UTF-8; a file in UTF-16LE with a byte-order mark is read too
// (and written back as UTF-8 at the next write).

inline constexpr std::string_view kLocalMachine = "HKEY_LOCAL_MACHINE";
inline constexpr std::string_view kCurrentUser = "HKEY_CURRENT_USER";

/// The first line of a file we write.
inline constexpr std::string_view kSettingsFileHeader =
    "Windows Registry Editor Version 5.00";

/// The store's path: $TLV_REGISTRY, else $XDG_CONFIG_HOME/kestra/registry.reg,
/// else ~/.config/kestra/registry.reg.
std::string DefaultSettingsPath();

/// One value change for SettingsStore::Write.
struct SettingsChange {
  enum class Kind { kText, kDword };
  std::string name;      ///< value name ("" or "@" is the key's default value)
  Kind kind = Kind::kText;
  std::string text;      ///< for kText
  std::uint32_t dword = 0;  ///< for kDword

  static SettingsChange Text(std::string name, std::string text);
  static SettingsChange Dword(std::string name, std::uint32_t value);
};

class SettingsStore {
 public:
  /// An empty store with no file behind it (writes fail until Load).
  SettingsStore() = default;

  /// Loads the file at `path` and remembers the path for writes.  A missing
  /// file is an empty store and succeeds.  False with `err` only when the
  /// file exists but cannot be read.  Lines that do not parse are skipped;
  /// when `warnings` is given, each gets "<path>:<line>: <message>".
  bool Load(const std::string& path, std::string* err,
            std::vector<std::string>* warnings = nullptr);

  /// Parses `bytes` (the content of a store file; UTF-8 or UTF-16LE with
  /// BOM) without touching any file.  `name` is used in warnings.
  void LoadFromText(std::string_view bytes, std::string_view name,
                    std::vector<std::string>* warnings = nullptr);

  /// Loads DefaultSettingsPath(), sending warnings to standard error.
  /// Never fails: an unreadable file is reported there and read as empty.
  static SettingsStore OpenDefault();

  const std::string& path() const { return path_; }

  /// True when the key exists (see above).  `key` is a full path such as
  /// "HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV"; '/' is not a separator here.
  bool KeyExists(std::string_view key) const;

  /// The text of a text value; nullopt when the value is absent or not text.
  /// A dword value is absent here (a text read of a dword is not lenient in
  /// the original either).
  std::optional<std::string> ReadText(std::string_view key,
                                      std::string_view name) const;

  /// As ReadText, cut to at most `max_bytes` bytes without splitting a UTF-8
  /// character: the original reads each value into a fixed buffer (100 bytes
  /// with the terminator gives max_bytes 99).
  std::optional<std::string> ReadText(std::string_view key,
                                      std::string_view name,
                                      std::size_t max_bytes) const;

  /// A number: a dword value as its (signed 32-bit) number, a text value read
  /// like atoi (ParseLeadingInt).  nullopt when absent or of another kind.
  std::optional<int> ReadNumber(std::string_view key,
                                std::string_view name) const;

  /// A flag: ReadNumber() != 0.  nullopt when absent.
  std::optional<bool> ReadFlag(std::string_view key,
                               std::string_view name) const;

  /// Sets values of `key`, creating the key (and nothing else) when missing.
  /// The file is read again first and the changes are applied to what is on
  /// disk now, so values another program wrote since our load are kept; then
  /// the whole file is rewritten atomically (temporary file + rename, missing
  /// folders created).  Lines that are not changed keep their bytes.  Text
  /// holding CR, LF or NUL cannot be stored and fails.  On success the store
  /// holds the new file content.  False with `err` on failure (the file is
  /// then unchanged).
  bool Write(std::string_view key, const std::vector<SettingsChange>& changes,
             std::string* err);

  /// Write() of one text value.
  bool WriteText(std::string_view key, std::string_view name,
                 std::string_view text, std::string* err);

  /// Write() of one dword value.
  bool WriteDword(std::string_view key, std::string_view name,
                  std::uint32_t value, std::string* err);

  /// Creates the key when missing (Write() with no changes).
  bool CreateKey(std::string_view key, std::string* err);

  /// The file content as it would be written now (for tests and tools).
  std::string Serialize() const;

 private:
  struct Line {
    std::string text;     ///< the logical line as stored, continuations included
    int section = -1;     ///< index into sections_, -1 before the first key
    enum class Kind { kOther, kKey, kText, kDword, kOtherValue } kind = Kind::kOther;
    std::string name;     ///< value name (unescaped) for value lines
    std::string value;    ///< unescaped text for kText
    std::uint32_t dword = 0;
  };
  struct Section {
    std::string key;        ///< as written in the file
    std::string folded;     ///< lower case, no trailing '\'
  };

  /// Index into lines_ of the value's last definition, -1 when absent.
  int FindValueIndex(std::string_view key, std::string_view name) const;
  const Line* FindValue(std::string_view key, std::string_view name) const;
  bool ApplyChanges(std::string_view key,
                    const std::vector<SettingsChange>& changes,
                    std::string* err);

  void Clear();
  int FindLastSection(std::string_view folded_key) const;

  std::string path_;
  std::string newline_ = "\n";  ///< the file's own line end
  bool utf8_bom_ = false;        ///< the file began with a UTF-8 BOM
  bool final_newline_ = true;    ///< the last line had a line end
  std::vector<Line> lines_;
  std::vector<Section> sections_;
};

}  // namespace tlv

#endif  // TLV_PLATFORM_SETTINGS_STORE_H_
