#include "definition/text_form.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <set>

#include "definition/post_definition.h"
#include "definition/section_compiler.h"
#include "definition/section_decoder.h"
#include "definition/variable_dictionary.h"
#include "platform/text_encoding.h"

namespace tlv {

namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";
constexpr std::string_view kUnusedSlotName = "Unused";

// ---------------------------------------------------------------------------
// Labels shown as comments beside the mode numbers, so that a reviewer need
// not remember what the numbers mean.  The reader ignores them.

constexpr std::array<std::string_view, 3> kOutputModes = {"Ｇ９０出力", "Ｇ９１出力",
                                                          "Ｇ９２出力"};
constexpr std::array<std::string_view, 4> kStartPoints = {
    "", "基準位置 (X,Y,Z_HOME)", "加工開始位置(X,Y,Z_START)", "機械座標原点 (入力値)"};
constexpr std::array<std::string_view, 5> kSplitMethods = {
    "ｺｰﾄﾞによる分割", "加工長による分割", "テープ長による分割", "加工時間による分割",
    "軌跡毎の分割"};
constexpr std::array<std::string_view, 6> kSplitNames = {
    "都度入力", "元ファイル+数値", "現手続き名", "現手続きコメント", "現工具軌跡名",
    "現工具軌跡コメント"};
constexpr std::array<std::string_view, 3> kSheetOutputs = {
    "工程表出力しない。", "工程表(ﾌｧｲﾙ)出力する。", "工程表(DB)出力する。"};
constexpr std::array<std::string_view, 4> kSheetUnits = {"手続き毎", "工具毎", "軌跡毎",
                                                         "ファイル毎"};
constexpr std::array<std::string_view, 3> kSheetNames = {"NCﾌﾟﾛｸﾞﾗﾑ名", "手続き名",
                                                         "工具軌跡名"};
constexpr std::array<std::string_view, 3> kSplitPositions = {
    "全セクション", "早送りセクション", "Ｚ方向の早送りセクション"};

template <std::size_t N>
std::string_view LabelOf(const std::array<std::string_view, N>& labels, long long value) {
  return value >= 0 && static_cast<std::size_t>(value) < N
             ? labels[static_cast<std::size_t>(value)]
             : std::string_view();
}

std::string_view SlotName(int slot) {
  return slot == 0 ? kUnusedSlotName : SectionCodeName(slot);
}

// ---------------------------------------------------------------------------
// Text conversion that never loses a byte.

// True when the CP932 text has an exact UTF-8 form (converting it back gives
// the same bytes); `utf8` receives it.
bool ExactUtf8(std::string_view cp932, std::string* utf8) {
  *utf8 = Cp932ToUtf8(cp932);
  return Utf8ToCp932(*utf8) == cp932;
}

void AppendHexByte(unsigned char c, std::string* out) {
  out->push_back(kHexDigits[c >> 4]);
  out->push_back(kHexDigits[c & 0xF]);
}

// A CP932 text as a quoted UTF-8 text.
std::string Quote(std::string_view cp932) {
  std::string out = "\"";
  std::string utf8;
  const std::size_t n = cp932.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(cp932[i]);
    if (c < 0x80) {
      switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
          if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
          } else {
            out += "\\x";
            AppendHexByte(c, &out);
          }
      }
      ++i;
      continue;
    }
    const std::size_t len = IsCp932LeadByte(c) && i + 1 < n ? 2 : 1;
    const std::string_view ch = cp932.substr(i, len);
    if (ExactUtf8(ch, &utf8)) {
      out += utf8;
    } else {
      for (char b : ch) {
        out += "\\x";
        AppendHexByte(static_cast<unsigned char>(b), &out);
      }
    }
    i += len;
  }
  out.push_back('"');
  return out;
}

bool IsBareKey(std::string_view key) {
  if (key.empty()) return false;
  return std::all_of(key.begin(), key.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '_';
  });
}

std::string FormatDouble(double value) {
  if (!std::isfinite(value)) {
    // Infinities and NaNs keep their exact bits.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    std::string out = "bits:";
    for (int shift = 56; shift >= 0; shift -= 8) {
      AppendHexByte(static_cast<unsigned char>((bits >> shift) & 0xFF), &out);
    }
    return out;
  }
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, r.ptr);
}

// ---------------------------------------------------------------------------
// The writer.

class Writer {
 public:
  void Field(std::string_view indent, std::string_view key, long long value,
             std::string_view note = {}) {
    out_ += indent;
    out_ += key;
    out_ += " = ";
    out_ += std::to_string(value);
    Note(note);
  }
  void FieldText(std::string_view indent, std::string_view key, std::string_view raw) {
    out_ += indent;
    out_ += key;
    out_ += " = ";
    out_ += raw;
    out_ += '\n';
  }
  void Line(std::string_view text) {
    out_ += text;
    out_ += '\n';
  }
  void Note(std::string_view note) {
    if (!note.empty()) {
      out_ += "  # ";
      out_ += note;
    }
    out_ += '\n';
  }
  std::string& out() { return out_; }

 private:
  std::string out_;
};

std::string SplitMethodsNote(std::uint8_t methods) {
  if (methods == 0) return "分割なし";
  std::string note;
  for (std::size_t bit = 0; bit < kSplitMethods.size(); ++bit) {
    if ((methods >> bit) & 1) {
      if (!note.empty()) note += ", ";
      note += kSplitMethods[bit];
    }
  }
  return note;
}

void WriteHeader(const PostDefinition& def, Writer& w) {
  const CoordinateModeBlock& c = def.coordinate_mode;
  w.Field("", "coordinate.output_mode", c.output_mode, LabelOf(kOutputModes, c.output_mode));
  w.Field("", "coordinate.start_point", c.start_point, LabelOf(kStartPoints, c.start_point));
  w.Field("", "coordinate.error_digits", c.error_digits);
  w.Field("", "coordinate.tool_position", c.tool_position,
          c.tool_position == 0 ? "工具先端位置" : "工具中心位置");
  const SplitModeBlock& s = def.split_mode;
  w.Field("", "split.methods", s.methods, SplitMethodsNote(s.methods));
  w.Field("", "split.name_source", s.name_source, LabelOf(kSplitNames, s.name_source));
  w.Field("", "split.machining_length", s.machining_length);
  const ProcessSheetBlock& p = def.process_sheet;
  w.Field("", "sheet.output", p.output, LabelOf(kSheetOutputs, p.output));
  w.Field("", "sheet.reserved", p.reserved);
  w.Field("", "sheet.extension_index", p.extension_index, SheetExtension(p.extension_index));
  w.Field("", "sheet_unit", def.sheet_unit, LabelOf(kSheetUnits, def.sheet_unit));
  w.Field("", "sheet_name_source", def.sheet_name_source,
          LabelOf(kSheetNames, def.sheet_name_source));
  w.Field("", "tape_length", def.tape_length);
  w.Field("", "machining_time", def.machining_time);
  w.Field("", "split_position", def.split_position,
          LabelOf(kSplitPositions, def.split_position));
  w.Field("", "tiny_arc_as_circle", def.tiny_arc_as_circle);
  w.Field("", "sheet_to_spreadsheet", def.sheet_to_spreadsheet);
  w.Field("", "rigid_tap", def.rigid_tap);
  w.Field("", "min_unit_digits", def.min_unit_digits);
  w.Field("", "split_large_arcs", def.split_large_arcs);
  w.FieldText("", "rapid_feed", FormatDouble(def.rapid_feed));
  w.Field("", "machining_length", def.machining_length);
  w.Field("", "serial_number", def.serial_number);
}

void WriteVariable(const VariableSetting& v, const VariableDictionary& dict, Writer& w) {
  const DictionaryEntry* entry = dict.FindById(v.id);
  std::string head = "variable " + std::to_string(v.id) + " ";
  if (entry != nullptr && IsBareKey(entry->name)) {
    head += entry->name;
  } else {
    head += "?";
  }
  w.out() += head;
  std::string text_utf8;
  w.Note(entry != nullptr && ExactUtf8(entry->text, &text_utf8) &&
                 text_utf8.find('\n') == std::string::npos
             ? text_utf8
             : std::string());
  constexpr std::string_view in = "  ";
  w.FieldText(in, "message", Quote(v.message));
  w.Field(in, "text_only", v.text_only);
  w.Field(in, "modal", v.modal);
  w.Field(in, "flag_a", v.flag_a);
  w.Field(in, "ask_mode", v.ask_mode);
  w.FieldText(in, "value", Quote(v.value));
  w.Field(in, "reset_at_file_head", v.reset_at_file_head);
  w.Field(in, "use_value", v.use_value);
  w.Field(in, "flag_b", v.flag_b);
  const NumberFormat& f = v.format;
  w.Field(in, "format.leading_zeros", f.leading_zeros);
  w.Field(in, "format.trailing_zeros", f.trailing_zeros);
  w.Field(in, "format.plus_sign", f.plus_sign);
  w.Field(in, "format.calc_mode", f.calc_mode);
  w.Field(in, "format.integer_digits", f.integer_digits);
  w.Field(in, "format.decimal_digits", f.decimal_digits);
  if (f.calc_mode != 0) w.FieldText(in, "format.formula", Quote(f.formula));
  w.Field(in, "format.time_format", f.time_format);
  w.Field(in, "format.decimal_point", f.decimal_point_flag);
  w.Field(in, "format.suppress_zero", f.suppress_zero);
}

// The display text of a section when it has an exact UTF-8 form without
// control characters (tab and LF aside) and compiles back to the same bytes.
bool ReadableSection(const FormatSection& section, const VariableDictionary& dict,
                     std::string* utf8) {
  const DecodeResult decoded = DecodeSection(section.text, dict);
  if (!decoded.ok) return false;
  for (char ch : decoded.text) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F) return false;
  }
  if (!ExactUtf8(decoded.text, utf8)) return false;
  const CompileResult again = CompileSection(decoded.text, dict);
  return again.ok && again.bytes == section.text;
}

// A terminator that no line of `text` equals.
std::string Terminator(std::string_view text) {
  std::set<std::string_view> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t lf = text.find('\n', start);
    if (lf == std::string_view::npos) lf = text.size();
    lines.insert(text.substr(start, lf - start));
    start = lf + 1;
  }
  std::string term = "END";
  for (int i = 1; lines.count(term) != 0; ++i) term = "END" + std::to_string(i);
  return term;
}

void WriteSection(int slot, const FormatSection& section, const VariableDictionary& dict,
                  Writer& w) {
  std::string head = "section " + std::to_string(slot) + " " + std::string(SlotName(slot));
  if (section.id != slot) head += " id " + std::to_string(section.id);
  std::string utf8;
  if (ReadableSection(section, dict, &utf8)) {
    const std::string term = Terminator(utf8);
    const bool noeol = !utf8.empty() && utf8.back() != '\n';
    w.Line(head + " <<" + term + (noeol ? " noeol" : ""));
    w.out() += utf8;
    if (noeol) w.out() += '\n';
    w.Line(term);
    return;
  }
  w.Line(head + " hex <<END");
  const std::size_t n = section.text.size();
  for (std::size_t i = 0; i < n; ++i) {
    AppendHexByte(static_cast<unsigned char>(section.text[i]), &w.out());
    w.out() += (i % 32 == 31 || i + 1 == n) ? '\n' : ' ';
  }
  w.Line("END");
}

// ---------------------------------------------------------------------------
// The reader.

std::string_view TrimLeft(std::string_view s) {
  const std::size_t at = s.find_first_not_of(" \t");
  return at == std::string_view::npos ? std::string_view() : s.substr(at);
}

bool StartsWithWord(std::string_view line, std::string_view word) {
  return line.size() > word.size() && line.substr(0, word.size()) == word &&
         (line[word.size()] == ' ' || line[word.size()] == '\t');
}

// The first blank-separated word of `s`, and the rest after it.
std::string_view TakeWord(std::string_view* s) {
  *s = TrimLeft(*s);
  std::size_t end = s->find_first_of(" \t");
  if (end == std::string_view::npos) end = s->size();
  const std::string_view word = s->substr(0, end);
  *s = s->substr(end);
  return word;
}

// True when nothing but blanks and a comment is left.
bool OnlyComment(std::string_view rest) {
  rest = TrimLeft(rest);
  return rest.empty() || rest[0] == '#';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::size_t CountQuestionMarks(std::string_view s) {
  return static_cast<std::size_t>(std::count(s.begin(), s.end(), '?'));
}

class Parser {
 public:
  Parser(std::string_view text, std::string_view file, const VariableDictionary& dict)
      : text_(text), file_(file), dict_(dict) {}

  bool Parse(PostDefinition* def) {
    if (!Next()) return Fail("empty text form");
    if (TrimLeft(line_) != kTextFormMagic) {
      return Fail("'" + std::string(kTextFormMagic) + "' expected on the first line");
    }
    Take();
    if (!Header(def)) return false;
    def->codes = CodeTable();
    while (Next() && StartsWithWord(TrimLeft(line_), "code")) {
      if (!Code(def)) return false;
    }
    def->variables = VariableSettingTable();
    while (Next() && StartsWithWord(TrimLeft(line_), "variable")) {
      if (!Variable(def)) return false;
    }
    def->sections = SectionTable::EmptySlots(0);
    while (Next() && StartsWithWord(TrimLeft(line_), "section")) {
      if (!Section(def)) return false;
    }
    if (Next()) return Fail("'code', 'variable' or 'section' expected");
    return true;
  }

  const std::string& error() const { return err_; }

 private:
  // Reads the next physical line; false at the end of the text.  A CR
  // before the LF is dropped, so a checkout with CRLF line ends reads alike.
  bool RawLine(std::string_view* line) {
    if (pos_ >= text_.size()) return false;
    std::size_t lf = text_.find('\n', pos_);
    if (lf == std::string_view::npos) lf = text_.size();
    *line = text_.substr(pos_, lf - pos_);
    if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
    pos_ = lf + 1;
    ++line_no_;
    return true;
  }

  // Makes the next line that is neither blank nor a comment current (it
  // stays current until Take()); false at the end of the text.
  bool Next() {
    if (pending_) return true;
    std::string_view line;
    while (RawLine(&line)) {
      const std::string_view t = TrimLeft(line);
      if (t.empty() || t[0] == '#') continue;
      line_ = line;
      pending_ = true;
      return true;
    }
    line_ = {};
    return false;
  }
  void Take() { pending_ = false; }

  bool Fail(const std::string& message) {
    err_ = std::string(file_) + ":" + std::to_string(line_no_) + ": " + message;
    return false;
  }

  // field -> key "=" value
  bool FieldValue(std::string_view key, std::string_view* value) {
    if (!Next()) return Fail("'" + std::string(key) + "' expected at the end of the file");
    std::string_view s = TrimLeft(line_);
    if (s.substr(0, key.size()) != key ||
        (s.size() > key.size() && s[key.size()] != ' ' && s[key.size()] != '\t' &&
         s[key.size()] != '=')) {
      return Fail("'" + std::string(key) + "' expected");
    }
    s = TrimLeft(s.substr(key.size()));
    if (s.empty() || s[0] != '=') return Fail("'=' expected after '" + std::string(key) + "'");
    *value = TrimLeft(s.substr(1));
    Take();
    return true;
  }

  bool ParseInteger(std::string_view token, long long lo, long long hi, long long* out) {
    long long v = 0;
    const char* end = token.data() + token.size();
    const auto r = std::from_chars(token.data(), end, v);
    if (token.empty() || r.ec != std::errc() || r.ptr != end) {
      return Fail("whole number expected, found '" + std::string(token) + "'");
    }
    if (v < lo || v > hi) {
      return Fail("value " + std::string(token) + " is outside " + std::to_string(lo) +
                  ".." + std::to_string(hi));
    }
    *out = v;
    return true;
  }

  template <typename T>
  bool Number(std::string_view key, T* out) {
    std::string_view s;
    if (!FieldValue(key, &s)) return false;
    const std::string_view token = TakeWord(&s);
    if (!OnlyComment(s)) return Fail("unexpected text after the value of '" + std::string(key) + "'");
    long long v = 0;
    if (!ParseInteger(token, std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), &v)) {
      return false;
    }
    *out = static_cast<T>(v);
    return true;
  }

  bool Real(std::string_view key, double* out) {
    std::string_view s;
    if (!FieldValue(key, &s)) return false;
    const std::string_view token = TakeWord(&s);
    if (!OnlyComment(s)) return Fail("unexpected text after the value of '" + std::string(key) + "'");
    if (token.substr(0, 5) == "bits:" && token.size() == 21) {
      std::uint64_t bits = 0;
      for (char c : token.substr(5)) {
        const int h = HexValue(c);
        if (h < 0) return Fail("bad bit pattern '" + std::string(token) + "'");
        bits = (bits << 4) | static_cast<std::uint64_t>(h);
      }
      std::memcpy(out, &bits, sizeof bits);
      return true;
    }
    const char* end = token.data() + token.size();
    const auto r = std::from_chars(token.data(), end, *out);
    if (token.empty() || r.ec != std::errc() || r.ptr != end || !std::isfinite(*out)) {
      return Fail("number expected, found '" + std::string(token) + "'");
    }
    return true;
  }

  // Parses a quoted text at the start of `*s` into CP932 bytes and leaves
  // `*s` after the closing quote.
  bool Quoted(std::string_view* s, std::string* cp932) {
    if (s->empty() || (*s)[0] != '"') return Fail("quoted text expected");
    cp932->clear();
    std::string run;
    auto flush = [&]() {
      if (run.empty()) return true;
      if (!IsValidUtf8(run)) return Fail("text is not UTF-8");
      const std::string converted = Utf8ToCp932(run);
      if (CountQuestionMarks(converted) != CountQuestionMarks(run)) {
        return Fail("text holds a character that code page 932 lacks");
      }
      *cp932 += converted;
      run.clear();
      return true;
    };
    std::size_t i = 1;
    for (;;) {
      if (i >= s->size()) return Fail("closing '\"' missing");
      const char c = (*s)[i];
      if (c == '"') break;
      if (c != '\\') {
        run.push_back(c);
        ++i;
        continue;
      }
      if (!flush()) return false;
      if (i + 1 >= s->size()) return Fail("closing '\"' missing");
      const char e = (*s)[i + 1];
      i += 2;
      switch (e) {
        case '"': cp932->push_back('"'); break;
        case '\\': cp932->push_back('\\'); break;
        case 'n': cp932->push_back('\n'); break;
        case 'r': cp932->push_back('\r'); break;
        case 't': cp932->push_back('\t'); break;
        case 'x': {
          const int hi = i < s->size() ? HexValue((*s)[i]) : -1;
          const int lo = i + 1 < s->size() ? HexValue((*s)[i + 1]) : -1;
          if (hi < 0 || lo < 0) return Fail("two hex digits expected after '\\x'");
          cp932->push_back(static_cast<char>(hi * 16 + lo));
          i += 2;
          break;
        }
        default:
          return Fail(std::string("unknown escape '\\") + e + "'");
      }
    }
    if (!flush()) return false;
    *s = s->substr(i + 1);
    return true;
  }

  bool Text(std::string_view key, std::size_t max_bytes, std::string* out) {
    std::string_view s;
    if (!FieldValue(key, &s)) return false;
    if (!Quoted(&s, out)) return false;
    if (!OnlyComment(s)) return Fail("unexpected text after the value of '" + std::string(key) + "'");
    // The file keeps such a field cut where a double-byte character would
    // not be split; a longer one could not come back the same.
    if (max_bytes != 0 && CutCp932(*out, max_bytes).size() != out->size()) {
      return Fail("'" + std::string(key) + "' is longer than " + std::to_string(max_bytes) +
                  " bytes");
    }
    return true;
  }

  bool Header(PostDefinition* def) {
    CoordinateModeBlock& c = def->coordinate_mode;
    SplitModeBlock& s = def->split_mode;
    ProcessSheetBlock& p = def->process_sheet;
    return Number("coordinate.output_mode", &c.output_mode) &&
           Number("coordinate.start_point", &c.start_point) &&
           Number("coordinate.error_digits", &c.error_digits) &&
           Number("coordinate.tool_position", &c.tool_position) &&
           Number("split.methods", &s.methods) && Number("split.name_source", &s.name_source) &&
           Number("split.machining_length", &s.machining_length) &&
           Number("sheet.output", &p.output) && Number("sheet.reserved", &p.reserved) &&
           Number("sheet.extension_index", &p.extension_index) &&
           Number("sheet_unit", &def->sheet_unit) &&
           Number("sheet_name_source", &def->sheet_name_source) &&
           Number("tape_length", &def->tape_length) &&
           Number("machining_time", &def->machining_time) &&
           Number("split_position", &def->split_position) &&
           Number("tiny_arc_as_circle", &def->tiny_arc_as_circle) &&
           Number("sheet_to_spreadsheet", &def->sheet_to_spreadsheet) &&
           Number("rigid_tap", &def->rigid_tap) &&
           Number("min_unit_digits", &def->min_unit_digits) &&
           Number("split_large_arcs", &def->split_large_arcs) &&
           Real("rapid_feed", &def->rapid_feed) &&
           Number("machining_length", &def->machining_length) &&
           Number("serial_number", &def->serial_number);
  }

  // code -> "code" key "=" quoted
  bool Code(PostDefinition* def) {
    std::string_view s = TrimLeft(line_).substr(4);
    Take();
    s = TrimLeft(s);
    std::string key;
    if (!s.empty() && s[0] == '"') {
      if (!Quoted(&s, &key)) return false;
    } else {
      std::size_t end = s.find_first_of(" \t=");
      if (end == std::string_view::npos) end = s.size();
      key = std::string(s.substr(0, end));
      s = s.substr(end);
      if (!IsBareKey(key)) return Fail("code key expected");
    }
    s = TrimLeft(s);
    if (s.empty() || s[0] != '=') return Fail("'=' expected after the code key");
    s = TrimLeft(s.substr(1));
    std::string text;
    if (!Quoted(&s, &text)) return false;
    if (!OnlyComment(s)) return Fail("unexpected text after the code text");
    if (CutCp932(key, kCodeFieldSize).size() != key.size() ||
        CutCp932(text, kCodeFieldSize).size() != text.size()) {
      return Fail("code key or text longer than " + std::to_string(kCodeFieldSize) + " bytes");
    }
    if (def->codes.Find(key) != nullptr) return Fail("code '" + key + "' given twice");
    def->codes.entries.emplace(std::move(key), std::move(text));
    return true;
  }

  // variable -> "variable" id name, then its fields one per line
  bool Variable(PostDefinition* def) {
    std::string_view s = TrimLeft(line_).substr(8);
    Take();
    const std::string_view id_text = TakeWord(&s);
    const std::string_view name = TakeWord(&s);
    if (!OnlyComment(s)) return Fail("unexpected text after the variable name");
    long long id = 0;
    if (!ParseInteger(id_text, std::numeric_limits<std::int32_t>::min(),
                      std::numeric_limits<std::int32_t>::max(), &id)) {
      return false;
    }
    const DictionaryEntry* entry = dict_.FindById(static_cast<std::int32_t>(id));
    const std::string expected =
        entry != nullptr && IsBareKey(entry->name) ? entry->name : std::string("?");
    if (name != expected) {
      return Fail("variable " + std::string(id_text) + " is named '" + expected +
                  "' in the dictionary, not '" + std::string(name) + "'");
    }
    if (def->variables.Find(static_cast<std::int32_t>(id)) != nullptr) {
      return Fail("variable " + std::string(id_text) + " given twice");
    }
    VariableSetting v;
    v.id = static_cast<std::int32_t>(id);
    NumberFormat& f = v.format;
    const bool ok =
        Text("message", kMessageFieldSize, &v.message) && Number("text_only", &v.text_only) &&
        Number("modal", &v.modal) && Number("flag_a", &v.flag_a) &&
        Number("ask_mode", &v.ask_mode) && Text("value", 0, &v.value) &&
        Number("reset_at_file_head", &v.reset_at_file_head) &&
        Number("use_value", &v.use_value) && Number("flag_b", &v.flag_b) &&
        Number("format.leading_zeros", &f.leading_zeros) &&
        Number("format.trailing_zeros", &f.trailing_zeros) &&
        Number("format.plus_sign", &f.plus_sign) && Number("format.calc_mode", &f.calc_mode) &&
        Number("format.integer_digits", &f.integer_digits) &&
        Number("format.decimal_digits", &f.decimal_digits) &&
        (f.calc_mode == 0 || Text("format.formula", 0, &f.formula)) &&
        Number("format.time_format", &f.time_format) &&
        Number("format.decimal_point", &f.decimal_point_flag) &&
        Number("format.suppress_zero", &f.suppress_zero);
    if (!ok) return false;
    def->variables.Put(std::move(v));
    return true;
  }

  // section -> "section" slot name ["id" n] ["hex"] "<<" term ["noeol"],
  //            lines, term
  bool Section(PostDefinition* def) {
    std::string_view s = TrimLeft(line_).substr(7);
    Take();
    const int head_line = line_no_;
    const int slot = def->sections.count;
    long long number = 0;
    if (!ParseInteger(TakeWord(&s), 0, kSectionSlots - 1, &number)) return false;
    if (number != slot) return Fail("section " + std::to_string(slot) + " expected here");
    const std::string_view name = TakeWord(&s);
    if (name != SlotName(slot)) {
      return Fail("section " + std::to_string(slot) + " is named '" +
                  std::string(SlotName(slot)) + "'");
    }
    FormatSection section;
    section.id = slot;
    std::string_view word = TakeWord(&s);
    if (word == "id") {
      long long id = 0;
      if (!ParseInteger(TakeWord(&s), std::numeric_limits<std::int32_t>::min(),
                        std::numeric_limits<std::int32_t>::max(), &id)) {
        return false;
      }
      section.id = static_cast<std::int32_t>(id);
      word = TakeWord(&s);
    }
    const bool hex = word == "hex";
    if (hex) word = TakeWord(&s);
    if (word.size() < 3 || word.substr(0, 2) != "<<") return Fail("'<<' and a terminator expected");
    const std::string_view term = word.substr(2);
    bool noeol = false;
    word = TakeWord(&s);
    if (word == "noeol" && !hex) {
      noeol = true;
    } else if (!word.empty()) {
      return Fail("unexpected '" + std::string(word) + "' in the section line");
    }
    if (!OnlyComment(s)) return Fail("unexpected text in the section line");

    std::string block;
    std::string_view line;
    bool closed = false;
    int lines = 0;
    while (RawLine(&line)) {
      if (line == term) {
        closed = true;
        break;
      }
      block.append(line);
      block.push_back('\n');
      ++lines;
    }
    if (!closed) {
      line_no_ = head_line;
      return Fail("'" + std::string(term) + "' missing: the section runs to the end of the file");
    }
    if (hex) {
      if (!HexBytes(block, head_line, &section.text)) return false;
    } else {
      if (noeol) {
        if (lines == 0) return Fail("'noeol' on an empty section");
        block.pop_back();
      }
      std::string display = Utf8ToCp932(block);
      if (!IsValidUtf8(block) || CountQuestionMarks(display) != CountQuestionMarks(block)) {
        line_no_ = head_line;
        return Fail("section text holds a character that code page 932 lacks");
      }
      const CompileResult compiled = CompileSection(display, dict_);
      if (!compiled.ok) {
        line_no_ = head_line + compiled.line;
        return Fail(compiled.message);
      }
      section.text = compiled.bytes;
    }
    def->sections.slots[static_cast<std::size_t>(slot)] = std::move(section);
    def->sections.count = slot + 1;
    return true;
  }

  bool HexBytes(std::string_view block, int head_line, std::string* out) {
    int line = head_line + 1;
    for (std::size_t i = 0; i < block.size();) {
      const char c = block[i];
      if (c == '\n') {
        ++line;
        ++i;
      } else if (c == ' ' || c == '\t') {
        ++i;
      } else {
        const int hi = HexValue(c);
        const int lo = i + 1 < block.size() ? HexValue(block[i + 1]) : -1;
        if (hi < 0 || lo < 0) {
          line_no_ = line;
          return Fail("two hex digits expected");
        }
        out->push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
      }
    }
    return true;
  }

  std::string_view text_;
  std::string_view file_;
  const VariableDictionary& dict_;
  std::size_t pos_ = 0;
  int line_no_ = 0;
  std::string_view line_;
  bool pending_ = false;
  std::string err_;
};

}  // namespace

std::string FormatTextForm(const PostDefinition& def, const VariableDictionary& dict) {
  Writer w;
  w.Line(kTextFormMagic);
  w.Line("# Post definition in text form: one field per line; sections as display text.");
  w.Line("");
  WriteHeader(def, w);
  w.Line("");
  for (const auto& [key, text] : def.codes.entries) {
    w.Line("code " + (IsBareKey(key) ? key : Quote(key)) + " = " + Quote(text));
  }
  for (const auto& [id, setting] : def.variables.settings) {
    w.Line("");
    WriteVariable(setting, dict, w);
  }
  w.Line("");
  const int count = std::clamp(def.sections.count, 0, kSectionSlots);
  for (int slot = 0; slot < count; ++slot) {
    WriteSection(slot, def.sections.slots[static_cast<std::size_t>(slot)], dict, w);
  }
  return std::move(w.out());
}

bool ParseTextForm(std::string_view text, std::string_view file_name,
                   const VariableDictionary& dict, PostDefinition* def, std::string* err) {
  Parser parser(text, file_name, dict);
  PostDefinition scratch;
  if (!parser.Parse(&scratch)) {
    *err = parser.error();
    return false;
  }
  *def = std::move(scratch);
  return true;
}

}  // namespace tlv
