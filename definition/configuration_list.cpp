#include "definition/configuration_list.h"

#include <array>
#include <ctime>
#include <vector>

#include "definition/post_definition.h"
#include "definition/section_decoder.h"
#include "definition/variable_dictionary.h"
#include "platform/file_contents.h"
#include "platform/text_encoding.h"

namespace tlv {

namespace {

constexpr std::string_view kRule = "====================================================\n";
constexpr std::string_view kPartRule = "#################################\n";

// Section header lines by section id 1..21.
constexpr std::array<std::string_view, 22> kSectionHeaders = {
    "",
    "--[プログラム開始]-----\n",
    "--[プログラム終了]-----\n",
    "--[工程開始]-----------\n",
    "--[工程終了]-----------\n",
    "--[工具交換]-----------\n",
    "--[ＸＹ早送り]---------\n",
    "--[Ｚ早送り]-----------\n",
    "--[直線送り]-----------\n",
    "--[円弧送り]-----------\n",
    "--[固定サイクル]-------\n",
    "--[固定サイクルオフ]---\n",
    "--[アプローチ]---------\n",
    "--[リトラクト]---------\n",
    "--[メッセージ]---------\n",
    "--[分割ファイル先頭]---\n",
    "--[分割ファイル終了]---\n",
    "--[工程表先頭]---------\n",
    "--[工程表項目]---------\n",
    "--[工程表末尾]---------\n",
    "--[NURBS補間]----------\n",
    "--[NURBS補間終了]------\n",
};

struct CodeLabel {
  std::string_view key;
  std::string_view label;
};

// The code lines in listing order: moves, M codes and retract codes, then
// cycles, compensation and planes, then the boring cycles (labelled as the
// canned-cycle page labels them).  G06_CODE is not listed.
constexpr std::array<CodeLabel, 32> kCodeLabels = {{
    {"G00_CODE", "早送り"},
    {"G01_CODE", "直線移動"},
    {"G02_CODE", "円弧移動"},
    {"G03_CODE", "円弧移動"},
    {"M_SPINON", "Spindle回転"},
    {"M_SPINOFF", "Spindle停止"},
    {"M_FLOOD", "フラッド"},
    {"M_AIR", "エアー"},
    {"M_INTRNL", "インターナル"},
    {"M_MIST", "ミスト"},
    {"M_COOLOFF", "クーラント停止"},
    {"CYC_IRET", "イニシャルリトラクト"},
    {"CYC_RRET", "Ｒ点リトラクト"},
    {"CYC_DRILL", "穴あけ"},
    {"CYC_FDRILL", "高速穴あけ"},
    {"CYC_RTAP", "逆タップ"},
    {"CYC_FBORE", "ファインボーリング"},
    {"CYC_CBORE", "カウンタボーリング"},
    {"CYC_SDRILL", "深穴あけ"},
    {"CYC_TAP", "タッピング"},
    {"CYC_ETC", "その他"},
    {"CMP_LEFT", "径補正左"},
    {"CMP_RIGHT", "径補正右"},
    {"CMP_OFF", "径補正なし"},
    {"G17_CODE", "ＸＹ平面"},
    {"G18_CODE", "ＺＸ平面"},
    {"G19_CODE", "ＹＺ平面"},
    {"CYC_BORING", "ボーリング"},
    {"CYC_BORESTOP", "ボーリング+回転停止"},
    {"CYC_BACKBORE", "バックボーリング"},
    {"CYC_BOREMANU", "ボーリング+マニュアル"},
    {"CYC_BOREFEED", "ボーリング+送り"},
}};

constexpr std::array<std::string_view, 6> kSplitNameMethods = {
    "都度入力", "元ファイル+数値", "現手続き名", "現手続きコメント", "現工具軌跡名",
    "現工具軌跡コメント"};

// Builds the list in CP932: our own texts are written here in UTF-8 and
// converted as they are appended; texts from the definition and the
// dictionary are CP932 already and go in as they are.
class ListWriter {
 public:
  void Text(std::string_view utf8) { out_ += Utf8ToCp932(utf8); }
  void Raw(std::string_view cp932) { out_ += cp932; }
  void Number(long long n) { out_ += std::to_string(n); }
  void Part(std::string_view title) {
    Text(kPartRule);
    Text(title);
    Text(kPartRule);
  }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
};

// The dictionary name of `id`, or its internal code "_id" when the
// dictionary lacks it.
std::string NameOf(const VariableDictionary& dict, std::int32_t id) {
  const DictionaryEntry* entry = dict.FindById(id);
  return entry != nullptr ? entry->name : "_" + std::to_string(id);
}

char Digit(std::uint32_t n) { return n <= 9 ? static_cast<char>('0' + n) : '?'; }

// One fixed-column line of the number-format part: the name, then from
// column 14 the flags and digits ("+0" digits "." digits "0" "M"), cut to
// 23 columns, then the formula or "None".
std::string FormatLine(std::string_view name, const VariableSetting& setting) {
  const NumberFormat& f = setting.format;
  std::string line(name);
  line.append(20, ' ');
  if (line.size() < 23) line.resize(23, ' ');
  line.resize(23);
  line[14] = f.plus_sign ? '+' : ' ';
  line[15] = f.leading_zeros ? '0' : ' ';
  line[16] = Digit(f.integer_digits);
  line[17] = '.';
  line[18] = Digit(f.decimal_digits);
  line[19] = f.trailing_zeros ? '0' : ' ';
  line[20] = setting.modal ? 'M' : ' ';
  line[21] = ' ';
  line[22] = ' ';
  if (f.calc_mode != 0) {
    line += f.formula;
  } else {
    line += "None";
  }
  line += '\n';
  return line;
}

void WriteSections(const PostDefinition& def, const VariableDictionary& dict, ListWriter& w) {
  w.Part("# ＮＣコード　リスト\n");
  for (int id = 1; id <= 21; ++id) {
    w.Text(kSectionHeaders[static_cast<std::size_t>(id)]);
    const DecodeResult decoded = DecodeSection(def.sections.Text(id), dict);
    w.Raw(decoded.text);
    if (!decoded.ok) {
      if (!decoded.text.empty() && decoded.text.back() != '\n') w.Raw("\n");
      w.Text("(");
      w.Text(decoded.message);
      w.Text(")\n");
    }
    w.Raw("\n");
  }
}

void WriteFormats(const PostDefinition& def, const VariableDictionary& dict, ListWriter& w) {
  w.Part("# ＮＣフォーマット　リスト\n");
  std::vector<std::int32_t> ids;
  for (int slot = 0; slot < kSectionSlots; ++slot) {
    CollectVariableIds(def.sections.Text(slot), &ids);
  }
  for (std::int32_t id : ids) {
    const DictionaryEntry* entry = dict.FindById(id);
    const VariableSetting* setting = def.variables.Find(id);
    if (entry == nullptr || entry->kind == kKindText || setting == nullptr) continue;
    w.Raw(FormatLine(entry->name, *setting));
  }
}

void WriteCoordinates(const PostDefinition& def, ListWriter& w) {
  w.Part("# 座標モード\n");
  const CoordinateModeBlock& c = def.coordinate_mode;
  switch (c.output_mode) {
    case 0:
      w.Text("Ｇ９０出力モード\n");
      break;
    case 1:
      w.Text("Ｇ９１出力モード\n");
      w.Text("誤差補正桁：");
      w.Number(c.error_digits);
      w.Text("\n");
      w.Text(c.start_point == 1 ? "ＨＯＭＥポジションから\n" : "ＳＴＡＲＴポジションから\n");
      break;
    case 2:
      w.Text("Ｇ９２出力モード\n");
      break;
    default:
      break;
  }
  w.Text(c.tool_position != 0 ? "工具中心座標\n" : "工具先端座標\n");
}

// The split methods are a bit set: one line for each method chosen, with its
// limit where it has one.
void WriteSplit(const PostDefinition& def, ListWriter& w) {
  w.Part("# ファイル分割モード\n");
  const SplitModeBlock& s = def.split_mode;
  if ((s.methods & (kSplitByCode | kSplitByMachiningLength | kSplitByTapeLength |
                    kSplitByMachiningTime | kSplitPerToolPath)) == 0) {
    w.Text("分割なし\n");
  }
  if (s.methods & kSplitByCode) w.Text("コードによる分割\n");
  if (s.methods & kSplitByMachiningLength) {
    w.Text("加工長さによる分割\n");
    w.Text("分割長さ： ");
    w.Number(s.machining_length);
    w.Text("\n");
  }
  if (s.methods & kSplitByTapeLength) {
    w.Text("テープ長さによる分割\n");
    w.Text("テープ長さ： ");
    w.Number(def.tape_length);
    w.Text("\n");
  }
  if (s.methods & kSplitByMachiningTime) {
    w.Text("加工時間による分割\n");
    w.Text("分割時間： ");
    w.Number(def.machining_time);
    w.Text("\n");
  }
  if (s.methods & kSplitPerToolPath) w.Text("軌跡毎の分割\n");
  w.Text("分割ファイル名：");
  if (s.name_source < kSplitNameMethods.size()) {
    w.Text(kSplitNameMethods[s.name_source]);
  } else {
    w.Number(s.name_source);
  }
  w.Text("\n");
}

void WriteUserInputs(const PostDefinition& def, const VariableDictionary& dict, ListWriter& w) {
  w.Part("# ユーザ定義１\n");
  for (std::int32_t id = kUserInputFirst; id <= kUserInputLast; ++id) {
    const VariableSetting* setting = def.variables.Find(id);
    if (setting == nullptr) continue;
    w.Raw("[" + NameOf(dict, id) + "]\n");
    w.Raw(setting->message);
    w.Raw("\n");
    w.Text(setting->ask_mode == 1 ? "最初の一回だけ問い合わせ\n" : "都度問い合せ\n");
  }
}

void WriteUserComputed(const PostDefinition& def, const VariableDictionary& dict,
                       ListWriter& w) {
  w.Part("# ユーザ定義２\n");
  for (std::int32_t id = kUserComputedFirst; id <= kUserComputedLast; ++id) {
    const VariableSetting* setting = def.variables.Find(id);
    if (setting == nullptr) continue;
    w.Raw("[" + NameOf(dict, id) + "]\n");
    if (setting->value.empty()) continue;
    w.Raw(setting->value);
    w.Raw("\n");
    w.Text(setting->ask_mode == 1 ? "最初の一回だけ計算\n" : "都度計算\n");
  }
}

void WriteSheet(const PostDefinition& def, ListWriter& w) {
  w.Part("# 工程表モード\n");
  const ProcessSheetBlock& p = def.process_sheet;
  w.Text(p.output != 0 ? "工程表出力あり\n" : "工程表出力なし\n");
  w.Text("工程表拡張子： ");
  if (p.extension_index < kSheetExtensions.size()) {
    w.Text(kSheetExtensions[p.extension_index]);
  } else {
    w.Number(p.extension_index);
  }
  w.Text("\n");
}

void WriteCodes(const PostDefinition& def, ListWriter& w) {
  w.Part("# Ｇ／Ｍ／固定サイクルコード\n");
  for (const CodeLabel& code : kCodeLabels) {
    w.Text("[");
    w.Text(code.label);
    w.Text("] = ");
    const std::string* text = def.codes.Find(code.key);
    if (text != nullptr) {
      w.Raw(*text);
    } else {
      w.Text("(未定義)");
    }
    w.Text("\n");
  }
}

}  // namespace

ListParts ListParts::All() {
  ListParts p;
  p.codes = p.formats = p.coord = p.split = p.user1 = p.user2 = p.sheet = p.gm = true;
  return p;
}

bool ParseListParts(std::string_view text, ListParts* parts, std::string* err) {
  ListParts result;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view name = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    if (name == "all") {
      result = ListParts::All();
    } else if (name == "codes") {
      result.codes = true;
    } else if (name == "formats") {
      result.formats = true;
    } else if (name == "coord") {
      result.coord = true;
    } else if (name == "split") {
      result.split = true;
    } else if (name == "user1") {
      result.user1 = true;
    } else if (name == "user2") {
      result.user2 = true;
    } else if (name == "sheet") {
      result.sheet = true;
    } else if (name == "gm") {
      result.gm = true;
    } else if (!name.empty()) {
      *err = "unknown part '" + std::string(name) +
             "' (codes, formats, coord, split, user1, user2, sheet, gm, all)";
      return false;
    }
  }
  *parts = result;
  return true;
}

ListDate ListDate::Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  ListDate d;
  d.year = local.tm_year + 1900;
  d.month = local.tm_mon + 1;
  d.day = local.tm_mday;
  d.hour = local.tm_hour;
  d.minute = local.tm_min;
  return d;
}

std::string FormatConfigurationList(const PostDefinition& def, const VariableDictionary& dict,
                                    std::string_view path, const ListDate& date,
                                    const ListParts& parts) {
  ListWriter w;
  w.Text(kRule);
  w.Text(": Tolvek 3.40  Configuration List\n");
  w.Text(": \n");
  w.Text(":   File Name : ");
  w.Text(path);
  w.Text("\n");
  w.Text(": Output Date : ");
  w.Number(date.year);
  w.Text("/");
  w.Number(date.month);
  w.Text("/");
  w.Number(date.day);
  w.Text(" ");
  w.Number(date.hour);
  w.Text(":");
  w.Number(date.minute);
  w.Text("\n");
  w.Text(kRule);
  if (parts.codes) WriteSections(def, dict, w);
  if (parts.formats) WriteFormats(def, dict, w);
  if (parts.coord) WriteCoordinates(def, w);
  if (parts.split) WriteSplit(def, w);
  if (parts.user1) WriteUserInputs(def, dict, w);
  if (parts.user2) WriteUserComputed(def, dict, w);
  if (parts.sheet) WriteSheet(def, w);
  if (parts.gm) WriteCodes(def, w);
  w.Text("===== End Of List ==================================\n");
  return w.Take();
}

bool SaveConfigurationList(const std::string& out_path, const PostDefinition& def,
                           const VariableDictionary& dict, std::string_view path,
                           const ListDate& date, const ListParts& parts, std::string* err) {
  if (out_path.empty()) {
    *err = std::string(kTextEnterFileName);
    return false;
  }
  return WriteFileAtomically(out_path, FormatConfigurationList(def, dict, path, date, parts),
                             err);
}

}  // namespace tlv
