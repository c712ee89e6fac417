#include "definition/variable_dictionary.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <utility>

#include "platform/file_contents.h"
#include "platform/record_file.h"
#include "platform/text_encoding.h"

namespace tlv {

void VariableDictionary::Put(DictionaryEntry entry) {
  entry.name.assign(CutCp932(entry.name, kDictFieldSize));
  entry.text.assign(CutCp932(entry.text, kDictFieldSize));
  auto old = by_id_.find(entry.id);
  if (old != by_id_.end()) {
    auto name_it = by_name_.find(old->second.name);
    if (name_it != by_name_.end() && name_it->second == entry.id) {
      by_name_.erase(name_it);
    }
  }
  by_name_.insert_or_assign(entry.name, entry.id);
  std::int32_t id = entry.id;
  by_id_.insert_or_assign(id, std::move(entry));
}

const DictionaryEntry* VariableDictionary::FindById(std::int32_t id) const {
  auto it = by_id_.find(id);
  return it == by_id_.end() ? nullptr : &it->second;
}

const DictionaryEntry* VariableDictionary::FindByName(std::string_view name) const {
  auto it = by_name_.find(name);
  if (it == by_name_.end()) return nullptr;
  const DictionaryEntry* entry = FindById(it->second);
  // An id replaced by a later entry of another name leaves no stale hit.
  return entry && entry->name == name ? entry : nullptr;
}

void VariableDictionary::clear() {
  by_id_.clear();
  by_name_.clear();
}

bool ReadDictionary(RecordFile& in, VariableDictionary* dict, std::string* err) {
  dict->clear();
  std::int32_t count = 0;
  if (!in.ReadInt(&count) || count < 0) {
    *err = "変数辞書が壊れています（件数）。";
    return false;
  }
  for (std::int32_t i = 0; i < count; ++i) {
    DictionaryEntry entry;
    if (!in.ReadString(&entry.name) || !in.ReadString(&entry.text) ||
        !in.ReadInt(&entry.id) || !in.ReadInt(&entry.kind) ||
        !in.ReadInt(&entry.modal_default) || !in.ReadInt(&entry.flags)) {
      dict->clear();
      *err = "変数辞書が途中で終わっています（" + std::to_string(i + 1) +
             " 件目）。";
      return false;
    }
    dict->Put(std::move(entry));
  }
  return true;
}

bool ReadDictionaryBytes(std::string_view bytes, VariableDictionary* dict,
                         std::string* err) {
  RecordFile in;
  in.OpenMemory(bytes, RecordFile::Encoding::kBinary);
  return ReadDictionary(in, dict, err);
}

bool LoadDictionaryFile(const std::string& path, VariableDictionary* dict,
                        std::string* err) {
  RecordFile in;
  if (!in.Open(path, RecordFile::Direction::kRead, RecordFile::Encoding::kBinary)) {
    dict->clear();
    *err = path + ": 変数辞書を開けません。";
    return false;
  }
  if (!ReadDictionary(in, dict, err)) {
    *err = path + ": " + *err;
    return false;
  }
  return true;
}

std::string WriteDictionaryBytes(const VariableDictionary& dict) {
  std::string bytes;
  RecordFile out;
  out.OpenMemoryWriter(&bytes, RecordFile::Encoding::kBinary);
  out.WriteInt(static_cast<std::int32_t>(dict.size()));
  for (const auto& [id, entry] : dict.entries()) {
    out.WriteString(CutCp932(entry.name, kDictFieldSize));
    out.WriteString(CutCp932(entry.text, kDictFieldSize));
    out.WriteInt(entry.id);
    out.WriteInt(entry.kind);
    out.WriteInt(entry.modal_default);
    out.WriteInt(entry.flags);
  }
  out.Close();
  return bytes;
}

bool SaveDictionaryFile(const std::string& path, const VariableDictionary& dict,
                        std::string* err) {
  return WriteFileAtomically(path, WriteDictionaryBytes(dict), err);
}

}  // namespace tlv

// The source text of the dictionary.  One entry a line:
//
//   ID  NAME  KIND  MODAL  FLAGS  TEXT
//
// KIND is text, number or integer (or any number); MODAL a number (0/1);
// FLAGS "-", a combination of S (a setting in every definition) and N (no
// formula), or a number when other bits are set; TEXT the rest of the line.
// NAME and TEXT are written in double quotes (with \", \\ and \n) when they are
// empty, hold blanks at an end, or start with a quote.  Blank lines and
// lines whose first non-blank is '#' are comments.
namespace tlv {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

struct SourceLine {
  std::string_view rest;

  void SkipBlanks() {
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  }

  // Parses a quoted field: '"' { char | '\"' | '\\' } '"'.
  bool Quoted(std::string* out, std::string* err) {
    rest.remove_prefix(1);
    out->clear();
    while (!rest.empty()) {
      char c = rest.front();
      rest.remove_prefix(1);
      if (c == '"') return true;
      if (c == '\\' && !rest.empty()) {
        char next = rest.front();
        if (next == '"' || next == '\\' || next == 'n') {
          c = next == 'n' ? '\n' : next;
          rest.remove_prefix(1);
        }
      }
      out->push_back(c);
    }
    *err = "missing closing '\"'";
    return false;
  }

  // Parses one field: a quoted field or a run of non-blanks.
  bool Field(std::string_view what, std::string* out, std::string* err) {
    SkipBlanks();
    if (rest.empty()) {
      *err = "missing " + std::string(what);
      return false;
    }
    if (rest.front() == '"') {
      if (!Quoted(out, err)) return false;
      if (!rest.empty() && !IsBlank(rest.front())) {
        *err = "blank expected after the quoted " + std::string(what);
        return false;
      }
      return true;
    }
    std::size_t n = 0;
    while (n < rest.size() && !IsBlank(rest[n])) ++n;
    out->assign(rest.substr(0, n));
    rest.remove_prefix(n);
    return true;
  }

  // Parses the last field: quoted, or the rest of the line without blanks at
  // its ends.
  bool Tail(std::string* out, std::string* err) {
    SkipBlanks();
    while (!rest.empty() && IsBlank(rest.back())) rest.remove_suffix(1);
    if (!rest.empty() && rest.front() == '"') {
      if (!Quoted(out, err)) return false;
      SkipBlanks();
      if (!rest.empty()) {
        *err = "text after the closing '\"'";
        return false;
      }
      return true;
    }
    out->assign(rest);
    rest = {};
    return true;
  }
};

// A whole token as a signed 32-bit number.
bool ParseInt32(std::string_view token, std::int32_t* value) {
  if (token.empty() || token.size() > 12) return false;
  std::string text(token);
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (end != text.c_str() + text.size() || v < INT32_MIN || v > INT32_MAX) return false;
  if (!(std::isdigit(static_cast<unsigned char>(text.back())))) return false;
  *value = static_cast<std::int32_t>(v);
  return true;
}

bool ParseKind(std::string_view token, std::int32_t* kind) {
  if (token == "text") *kind = kKindText;
  else if (token == "number") *kind = kKindNumber;
  else if (token == "integer") *kind = kKindInteger;
  else return ParseInt32(token, kind);
  return true;
}

bool ParseFlags(std::string_view token, std::int32_t* flags) {
  if (token == "-") {
    *flags = 0;
    return true;
  }
  if (!token.empty() && (token.front() == 'S' || token.front() == 'N')) {
    std::int32_t bits = 0;
    for (char c : token) {
      std::int32_t bit = c == 'S' ? kDictInEveryDefinition : c == 'N' ? kDictNoFormula : 0;
      if (bit == 0 || (bits & bit) != 0) return false;
      bits |= bit;
    }
    *flags = bits;
    return true;
  }
  return ParseInt32(token, flags);
}

// Converts a UTF-8 field to CP932, refusing what CP932 cannot hold.
bool ToCp932(std::string_view utf8, std::string_view what, std::string* out,
             std::string* err) {
  if (!IsValidUtf8(utf8)) {
    *err = std::string(what) + " is not valid UTF-8";
    return false;
  }
  *out = Utf8ToCp932(utf8);
  if (Cp932ToUtf8(*out) != utf8) {
    *err = std::string(what) + " holds a character that code page 932 lacks";
    return false;
  }
  if (out->size() > kDictFieldSize) {
    *err = std::string(what) + " is longer than " + std::to_string(kDictFieldSize) +
           " bytes in code page 932";
    return false;
  }
  return true;
}

bool ParseEntryLine(std::string_view line, DictionaryEntry* entry, std::string* err) {
  SourceLine in{line};
  std::string id, name, kind, modal, flags, text;
  if (!in.Field("id", &id, err) || !in.Field("name", &name, err) ||
      !in.Field("kind", &kind, err) || !in.Field("modal default", &modal, err) ||
      !in.Field("flags", &flags, err) || !in.Tail(&text, err)) {
    return false;
  }
  if (!ParseInt32(id, &entry->id)) {
    *err = "bad id '" + id + "'";
    return false;
  }
  if (name.empty()) {
    *err = "empty name";
    return false;
  }
  if (!ParseKind(kind, &entry->kind)) {
    *err = "bad kind '" + kind + "' (text, number or integer)";
    return false;
  }
  if (!ParseInt32(modal, &entry->modal_default)) {
    *err = "bad modal default '" + modal + "'";
    return false;
  }
  if (!ParseFlags(flags, &entry->flags)) {
    *err = "bad flags '" + flags + "' (-, S, N, SN or a number)";
    return false;
  }
  return ToCp932(name, "name", &entry->name, err) &&
         ToCp932(text, "text", &entry->text, err);
}

bool NeedsQuotes(std::string_view field, bool is_tail) {
  if (field.empty() || field.front() == '"' || IsBlank(field.front()) ||
      IsBlank(field.back())) {
    return true;
  }
  if (!is_tail && field.front() == '#') return true;
  for (char c : field) {
    if (c == '\n' || (!is_tail && IsBlank(c))) return true;
  }
  return false;
}

void AppendField(std::string_view field, bool is_tail, std::string* out) {
  if (!NeedsQuotes(field, is_tail)) {
    out->append(field);
    return;
  }
  out->push_back('"');
  for (char c : field) {
    if (c == '\n') {
      out->append("\\n");
      continue;
    }
    if (c == '"' || c == '\\') out->push_back('\\');
    out->push_back(c);
  }
  out->push_back('"');
}

void AppendPadded(std::string_view field, std::size_t width, std::string* out) {
  out->append(field);
  std::size_t n = field.size();
  do {
    out->push_back(' ');
  } while (++n < width);
}

}  // namespace

bool ParseDictionarySource(std::string_view text, std::string_view file_name,
                           VariableDictionary* dict, std::string* err) {
  dict->clear();
  std::map<std::int32_t, int> id_lines;
  std::map<std::string, int, std::less<>> name_lines;
  int line_no = 0;
  while (!text.empty()) {
    ++line_no;
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos || line[first] == '#') continue;

    DictionaryEntry entry;
    std::string problem;
    if (!ParseEntryLine(line, &entry, &problem)) {
      *err = std::string(file_name) + ":" + std::to_string(line_no) + ": " + problem;
      dict->clear();
      return false;
    }
    auto id_seen = id_lines.find(entry.id);
    auto name_seen = name_lines.find(entry.name);
    if (id_seen != id_lines.end() || name_seen != name_lines.end()) {
      bool same_id = id_seen != id_lines.end();
      *err = std::string(file_name) + ":" + std::to_string(line_no) + ": " +
             (same_id ? "id " + std::to_string(entry.id) : "name " + Cp932ToUtf8(entry.name)) +
             " already given on line " +
             std::to_string(same_id ? id_seen->second : name_seen->second);
      dict->clear();
      return false;
    }
    id_lines.emplace(entry.id, line_no);
    name_lines.emplace(entry.name, line_no);
    dict->Put(std::move(entry));
  }
  return true;
}

std::string FormatDictionarySource(const VariableDictionary& dict) {
  std::string out =
      "# id   name  kind  modal  flags  text\n"
      "#   kind: text, number or integer; flags: S a setting in every\n"
      "#   definition, N no formula, - none\n";
  for (const auto& [id, entry] : dict.entries()) {
    std::string field;
    AppendPadded(std::to_string(id), 6, &out);
    field.clear();
    AppendField(Cp932ToUtf8(entry.name), false, &field);
    AppendPadded(field, 16, &out);
    std::string kind = entry.kind == kKindText      ? "text"
                       : entry.kind == kKindNumber  ? "number"
                       : entry.kind == kKindInteger ? "integer"
                                                    : std::to_string(entry.kind);
    AppendPadded(kind, 8, &out);
    AppendPadded(std::to_string(entry.modal_default), 2, &out);
    std::string flags;
    if (entry.flags == 0) {
      flags = "-";
    } else if ((entry.flags & ~(kDictInEveryDefinition | kDictNoFormula)) != 0) {
      flags = std::to_string(entry.flags);
    } else {
      if (entry.flags & kDictInEveryDefinition) flags += 'S';
      if (entry.flags & kDictNoFormula) flags += 'N';
    }
    AppendPadded(flags, 3, &out);
    AppendField(Cp932ToUtf8(entry.text), true, &out);
    out.push_back('\n');
  }
  return out;
}

}  // namespace tlv
