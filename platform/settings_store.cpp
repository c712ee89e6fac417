#include "platform/settings_store.h"

#include <cstdio>
#include <cstdlib>

#include "platform/file_contents.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/text_encoding.h"

namespace tlv {

namespace {

std::string FoldKey(std::string_view key) {
  std::size_t b = 0;
  std::size_t e = key.size();
  while (b < e && (key[b] == ' ' || key[b] == '\t')) ++b;
  while (e > b && (key[e - 1] == ' ' || key[e - 1] == '\t' || key[e - 1] == '\\')) --e;
  std::string folded(key.substr(b, e - b));
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// "" and "@" both name the key's default value.
std::string_view NormalName(std::string_view name) {
  return name == "@" ? std::string_view() : name;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

// Parses  '"' { char | '\\' | '\"' } '"'  at the start of `text`.  Returns the
// number of bytes used, 0 when the closing quote is missing.  A backslash
// before any other character is kept as it stands.
std::size_t ParseQuoted(std::string_view text, std::string* out) {
  out->clear();
  if (text.empty() || text[0] != '"') return 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') return i + 1;
    if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
      out->push_back(text[++i]);
      continue;
    }
    out->push_back(c);
  }
  return 0;
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::string ValueLine(std::string_view name, const SettingsChange& change) {
  std::string line = name.empty() ? std::string("@") : Quote(name);
  line += '=';
  if (change.kind == SettingsChange::Kind::kText) {
    line += Quote(change.text);
  } else {
    char hex[16];
    std::snprintf(hex, sizeof(hex), "%08x", static_cast<unsigned>(change.dword));
    line += "dword:";
    line += hex;
  }
  return line;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

SettingsChange SettingsChange::Text(std::string name, std::string text) {
  SettingsChange change;
  change.name = std::move(name);
  change.kind = Kind::kText;
  change.text = std::move(text);
  return change;
}

SettingsChange SettingsChange::Dword(std::string name, std::uint32_t value) {
  SettingsChange change;
  change.name = std::move(name);
  change.kind = Kind::kDword;
  change.dword = value;
  return change;
}

std::string DefaultSettingsPath() {
  if (const char* env = std::getenv("TLV_REGISTRY"); env && *env) return env;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string base = (config && config[0] == '/') ? std::string(config)
                                                  : JoinPath(HomeDirectory(), ".config");
  return JoinPath(base, "kestra/registry.reg");
}

void SettingsStore::Clear() {
  lines_.clear();
  sections_.clear();
  newline_ = "\n";
  utf8_bom_ = false;
  final_newline_ = true;
}

bool SettingsStore::Load(const std::string& path, std::string* err,
                         std::vector<std::string>* warnings) {
  path_ = path;
  Clear();
  if (!PathExists(path)) return true;  // a missing file is an empty store
  std::string bytes;
  if (!ReadFileBytes(path, &bytes, err)) return false;
  std::string name = path;
  LoadFromText(bytes, name, warnings);
  return true;
}

void SettingsStore::LoadFromText(std::string_view bytes, std::string_view name,
                                 std::vector<std::string>* warnings) {
  Clear();
  std::string converted;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    converted = Utf16LeToUtf8(bytes.substr(2));
    bytes = converted;
    // A second byte-order mark right after the first is a mark too, not
    // text of the first line: written back as UTF-8 it would read as a BOM
    // the next time, and the first line would change its meaning.
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
      utf8_bom_ = true;
      bytes.remove_prefix(3);
    }
  } else if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    utf8_bom_ = true;
    bytes.remove_prefix(3);
  }
  if (bytes.empty()) return;

  std::size_t first_lf = bytes.find('\n');
  if (first_lf != std::string_view::npos && first_lf > 0 && bytes[first_lf - 1] == '\r') {
    newline_ = "\r\n";
  }
  final_newline_ = bytes.back() == '\n';

  // Physical lines without their line ends, as parsed, and as kept for
  // writing back.  A CR before the LF is part of the line end only when the
  // file's own line end is CRLF; otherwise it stays in the kept text, so
  // that a line with a foreign line end keeps its bytes at every rewrite.
  std::vector<std::string_view> physical;
  std::vector<std::string_view> kept;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t lf = bytes.find('\n', start);
    std::size_t end = lf == std::string_view::npos ? bytes.size() : lf;
    std::string_view line = bytes.substr(start, end - start);
    std::string_view stripped = line;
    if (!stripped.empty() && stripped.back() == '\r') stripped.remove_suffix(1);
    physical.push_back(stripped);
    kept.push_back(lf != std::string_view::npos && newline_ == "\r\n" ? stripped : line);
    start = end + 1;
  }

  auto warn = [&](std::size_t line_no, std::string_view message) {
    if (warnings) {
      warnings->push_back(std::string(name) + ":" + std::to_string(line_no) + ": " +
                          std::string(message));
    }
  };

  int section = -1;
  for (std::size_t i = 0; i < physical.size(); ++i) {
    std::size_t line_no = i + 1;
    Line line;
    line.text = kept[i];
    line.section = section;
    std::string_view text = TrimLeft(physical[i]);
    if (text.empty() || text[0] == ';' || text == kSettingsFileHeader || text == "REGEDIT4") {
      lines_.push_back(std::move(line));
      continue;
    }
    if (text[0] == '[') {
      std::string_view inner = TrimRight(text);
      // Until the next good key line, values have no key and are skipped.
      section = -1;
      line.section = -1;
      if (inner.size() < 2 || inner.back() != ']') {
        warn(line_no, "key line without ']'");
      } else if (inner.size() > 1 && inner[1] == '-') {
        warn(line_no, "key deletion ignored");
      } else {
        std::string_view key = inner.substr(1, inner.size() - 2);
        std::string folded = FoldKey(key);
        if (folded.empty()) {
          warn(line_no, "empty key name");
        } else {
          sections_.push_back({std::string(key), std::move(folded)});
          section = static_cast<int>(sections_.size()) - 1;
          line.section = section;
          line.kind = Line::Kind::kKey;
        }
      }
      lines_.push_back(std::move(line));
      continue;
    }
    if (text[0] != '"' && text[0] != '@') {
      warn(line_no, "not a key or value line");
      lines_.push_back(std::move(line));
      continue;
    }
    // value -> ( '"' name '"' | '@' ) '=' ( '"' text '"' | 'dword:' hex | 'hex' ... | '-' )
    std::string value_name;
    std::size_t used = 1;
    if (text[0] == '"') {
      used = ParseQuoted(text, &value_name);
      if (used == 0) {
        warn(line_no, "value name without closing quote");
        lines_.push_back(std::move(line));
        continue;
      }
    }
    std::string_view rest = TrimLeft(text.substr(used));
    if (rest.empty() || rest[0] != '=') {
      warn(line_no, "'=' expected after the value name");
      lines_.push_back(std::move(line));
      continue;
    }
    rest = TrimLeft(rest.substr(1));
    if (section < 0) {
      warn(line_no, "value outside a key");
      lines_.push_back(std::move(line));
      continue;
    }
    line.name = std::move(value_name);
    if (!rest.empty() && rest[0] == '"') {
      std::size_t n = ParseQuoted(rest, &line.value);
      if (n == 0) {
        warn(line_no, "text value without closing quote");
        line.name.clear();
      } else {
        if (!TrimLeft(rest.substr(n)).empty()) warn(line_no, "text after the value ignored");
        line.kind = Line::Kind::kText;
      }
    } else if (rest.size() >= 6 && EqualsIgnoreCase(rest.substr(0, 6), "dword:")) {
      std::string_view digits = TrimRight(rest.substr(6));
      bool ok = !digits.empty() && digits.size() <= 8;
      std::uint32_t value = 0;
      for (char c : digits) {
        if (!IsHexDigit(c)) {
          ok = false;
          break;
        }
        value = value * 16 + static_cast<std::uint32_t>(
                                 c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
      }
      if (ok) {
        line.kind = Line::Kind::kDword;
        line.dword = value;
      } else {
        warn(line_no, "bad dword value");
        line.name.clear();
      }
    } else if (rest.size() >= 3 && EqualsIgnoreCase(rest.substr(0, 3), "hex")) {
      // Binary and other typed values: kept as written, continuation lines
      // (a trailing '\') included, and read as absent.
      line.kind = Line::Kind::kOtherValue;
      while (!TrimRight(physical[i]).empty() && TrimRight(physical[i]).back() == '\\' &&
             i + 1 < physical.size()) {
        ++i;
        line.text += newline_;
        line.text += kept[i];
      }
    } else if (TrimRight(rest) == "-") {
      line.kind = Line::Kind::kOtherValue;  // a deletion: the value is absent
    } else {
      warn(line_no, "unknown value type");
      line.name.clear();
    }
    lines_.push_back(std::move(line));
  }
}

SettingsStore SettingsStore::OpenDefault() {
  SettingsStore store;
  std::string err;
  std::vector<std::string> warnings;
  std::string path = DefaultSettingsPath();
  if (!store.Load(path, &err, &warnings)) {
    std::fprintf(stderr, "%s\n", err.c_str());
  }
  for (const std::string& warning : warnings) std::fprintf(stderr, "%s\n", warning.c_str());
  return store;
}

int SettingsStore::FindLastSection(std::string_view folded_key) const {
  for (int i = static_cast<int>(sections_.size()) - 1; i >= 0; --i) {
    if (sections_[i].folded == folded_key) return i;
  }
  return -1;
}

bool SettingsStore::KeyExists(std::string_view key) const {
  std::string folded = FoldKey(key);
  if (folded.empty()) return false;
  for (const Section& section : sections_) {
    // A key below it means the key is there too, as in a real registry.
    if (section.folded == folded ||
        (section.folded.size() > folded.size() &&
         section.folded.compare(0, folded.size(), folded) == 0 &&
         section.folded[folded.size()] == '\\')) {
      return true;
    }
  }
  return false;
}

int SettingsStore::FindValueIndex(std::string_view key, std::string_view name) const {
  std::string folded = FoldKey(key);
  name = NormalName(name);
  int found = -1;
  // The last definition wins, as when such a file is imported.
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind != Line::Kind::kText && line.kind != Line::Kind::kDword &&
        line.kind != Line::Kind::kOtherValue) {
      continue;
    }
    if (line.section < 0 || sections_[line.section].folded != folded) continue;
    if (EqualsIgnoreCase(line.name, name)) found = static_cast<int>(i);
  }
  return found;
}

const SettingsStore::Line* SettingsStore::FindValue(std::string_view key,
                                                    std::string_view name) const {
  int index = FindValueIndex(key, name);
  return index < 0 ? nullptr : &lines_[static_cast<std::size_t>(index)];
}

std::optional<std::string> SettingsStore::ReadText(std::string_view key,
                                                   std::string_view name) const {
  const Line* line = FindValue(key, name);
  if (line == nullptr || line->kind != Line::Kind::kText) return std::nullopt;
  return line->value;
}

std::optional<std::string> SettingsStore::ReadText(std::string_view key,
                                                   std::string_view name,
                                                   std::size_t max_bytes) const {
  std::optional<std::string> text = ReadText(key, name);
  if (text && text->size() > max_bytes) *text = std::string(CutUtf8(*text, max_bytes));
  return text;
}

std::optional<int> SettingsStore::ReadNumber(std::string_view key,
                                             std::string_view name) const {
  const Line* line = FindValue(key, name);
  if (line == nullptr) return std::nullopt;
  if (line->kind == Line::Kind::kDword) return static_cast<int>(line->dword);
  if (line->kind == Line::Kind::kText) return ParseLeadingInt(line->value);
  return std::nullopt;
}

std::optional<bool> SettingsStore::ReadFlag(std::string_view key,
                                            std::string_view name) const {
  std::optional<int> number = ReadNumber(key, name);
  if (!number) return std::nullopt;
  return *number != 0;
}

bool SettingsStore::ApplyChanges(std::string_view key,
                                 const std::vector<SettingsChange>& changes,
                                 std::string* err) {
  std::string folded = FoldKey(key);
  int section = FindLastSection(folded);
  if (section < 0) {
    if (lines_.empty()) {
      Line header;
      header.text = kSettingsFileHeader;
      lines_.push_back(std::move(header));
    }
    if (!lines_.back().text.empty()) lines_.push_back(Line{});
    sections_.push_back({std::string(key), folded});
    section = static_cast<int>(sections_.size()) - 1;
    Line key_line;
    key_line.text = "[" + std::string(key) + "]";
    key_line.section = section;
    key_line.kind = Line::Kind::kKey;
    lines_.push_back(std::move(key_line));
  }
  for (const SettingsChange& change : changes) {
    std::string_view name = NormalName(change.name);
    int index = FindValueIndex(key, name);
    Line* target = index < 0 ? nullptr : &lines_[static_cast<std::size_t>(index)];
    Line line;
    line.kind = change.kind == SettingsChange::Kind::kText ? Line::Kind::kText
                                                           : Line::Kind::kDword;
    line.value = change.text;
    line.dword = change.dword;
    if (target != nullptr) {
      // Keep the name as the file spells it.
      line.name = target->name;
      line.section = target->section;
      line.text = ValueLine(line.name, change);
      *target = std::move(line);
      continue;
    }
    line.name = std::string(name);
    line.section = section;
    line.text = ValueLine(line.name, change);
    // After the last value (or the key line) of the section.
    std::size_t at = 0;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (lines_[i].section == section && lines_[i].kind != Line::Kind::kOther) at = i + 1;
    }
    // A typed value that ends the file with a '\' would take the next line
    // as its continuation and swallow the new value: give it an empty line.
    if (at > 0 && lines_[at - 1].kind == Line::Kind::kOtherValue) {
      std::string_view before = lines_[at - 1].text;
      while (!before.empty() && (before.back() == ' ' || before.back() == '\t' ||
                                 before.back() == '\r')) {
        before.remove_suffix(1);
      }
      if (!before.empty() && before.back() == '\\') {
        Line blank;
        blank.section = section;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(blank));
        ++at;
      }
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
  }
  (void)err;
  return true;
}

bool SettingsStore::Write(std::string_view key, const std::vector<SettingsChange>& changes,
                          std::string* err) {
  if (path_.empty()) {
    if (err) *err = "no settings file";
    return false;
  }
  if (FoldKey(key).empty() || key.find_first_of("\r\n[]") != std::string_view::npos) {
    if (err) *err = path_ + ": bad key name '" + std::string(key) + "'";
    return false;
  }
  for (const SettingsChange& change : changes) {
    std::string_view bad = std::string_view("\r\n\0", 3);
    if (change.name.find_first_of(bad) != std::string::npos ||
        (change.kind == SettingsChange::Kind::kText &&
         change.text.find_first_of(bad) != std::string::npos)) {
      if (err) *err = path_ + ": value '" + change.name + "' holds a line break or NUL";
      return false;
    }
  }
  // Apply the change to the file as it is now, not as we loaded it, so that
  // what another program wrote meanwhile survives.
  SettingsStore fresh;
  if (!fresh.Load(path_, err)) return false;
  if (!fresh.ApplyChanges(key, changes, err)) return false;
  if (!WriteFileAtomically(path_, fresh.Serialize(), err, /*make_dirs=*/true)) return false;
  *this = std::move(fresh);
  return true;
}

bool SettingsStore::WriteText(std::string_view key, std::string_view name,
                              std::string_view text, std::string* err) {
  return Write(key, {SettingsChange::Text(std::string(name), std::string(text))}, err);
}

bool SettingsStore::WriteDword(std::string_view key, std::string_view name,
                               std::uint32_t value, std::string* err) {
  return Write(key, {SettingsChange::Dword(std::string(name), value)}, err);
}

bool SettingsStore::CreateKey(std::string_view key, std::string* err) {
  return Write(key, {}, err);
}

std::string SettingsStore::Serialize() const {
  std::string out;
  if (utf8_bom_) out = "\xEF\xBB\xBF";
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    out += lines_[i].text;
    if (i + 1 < lines_.size() || final_newline_) out += newline_;
  }
  return out;
}

}  // namespace tlv
