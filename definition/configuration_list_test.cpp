#include "definition/configuration_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "definition/post_definition.h"
#include "definition/section_compiler.h"
#include "definition/variable_dictionary.h"
#include "platform/file_contents.h"
#include "platform/text_encoding.h"

namespace tlv {
namespace {

VariableDictionary ListDictionary() {
  VariableDictionary dict;
  auto put = [&](const char* name, const char* text, std::int32_t id, std::int32_t kind,
                 std::int32_t modal) {
    DictionaryEntry e;
    e.name = name;
    e.text = Utf8ToCp932(text);
    e.id = id;
    e.kind = kind;
    e.modal_default = modal;
    e.flags = kDictInEveryDefinition;
    dict.Put(e);
  };
  put("F_CORD", "送り速度", 14, kKindNumber, 1);
  put("T_NO", "工具番号", 11, kKindInteger, 0);
  put("G_MOVE", "移動コード", 19, kKindText, 1);
  put("X_CORD", "X座標", 51, kKindNumber, 1);
  put("A_VERY_LONG_NAME_HERE", "長い名前", 60, kKindNumber, 1);
  put("USER_IN1", "入力1", 2001, kKindNumber, 0);
  put("USER_IN2", "入力2", 2002, kKindNumber, 0);
  put("USER_CALC1", "計算1", 2101, kKindNumber, 0);
  put("USER_CALC2", "計算2", 2102, kKindNumber, 0);
  return dict;
}

std::string Compiled(const VariableDictionary& dict, const std::string& utf8) {
  const CompileResult r = CompileSection(Utf8ToCp932(utf8), dict);
  EXPECT_TRUE(r.ok) << r.Where();
  return r.bytes;
}

// A definition in which every part of the list has something to show.
PostDefinition FullDefinition(const VariableDictionary& dict) {
  PostDefinition def = NewPostDefinition(dict);
  def.sections.slots[1].text = Compiled(dict, "%\nT!<T_NO>\n");
  def.sections.slots[8].text =
      Compiled(dict, "!<G_MOVE>{X<X_CORD>}[F<F_CORD>]\n...送り\n");
  // A bad block code: the listing shows what decoded before it.
  def.sections.slots[9].text = std::string("G02\xF7\x09") + "\xFF\x0E\x00\x00\x00";
  def.sections.slots[10].text = Compiled(dict, "G81<A_VERY_LONG_NAME_HERE> <USER_CALC1>\n");

  VariableSetting& x = *def.variables.Find(51);
  x.format.plus_sign = 1;
  x.format.leading_zeros = 1;
  x.format.trailing_zeros = 1;
  x.format.integer_digits = 4;
  VariableSetting& f = *def.variables.Find(14);
  f.modal = 0;
  f.format.decimal_digits = 1;
  f.format.calc_mode = 1;
  f.format.formula = "*2";

  def.coordinate_mode.output_mode = 1;
  def.coordinate_mode.start_point = 2;
  def.coordinate_mode.error_digits = 3;
  def.coordinate_mode.tool_position = 1;
  def.split_mode.methods = kSplitByCode | kSplitByMachiningLength | kSplitByTapeLength |
                           kSplitByMachiningTime | kSplitPerToolPath;
  def.split_mode.machining_length = 12;
  def.split_mode.name_source = 5;
  def.machining_length = 12;
  def.tape_length = 300;
  def.machining_time = 45;

  VariableSetting& in1 = *def.variables.Find(2001);
  in1.message = Utf8ToCp932("工具長を入力");
  in1.ask_mode = 1;
  def.variables.Find(2002)->message = Utf8ToCp932("ワーク番号");
  VariableSetting& calc1 = *def.variables.Find(2101);
  calc1.value = "_51*2";
  calc1.ask_mode = 1;

  def.process_sheet.output = 1;
  def.process_sheet.extension_index = 5;
  def.codes.Set("G00_CODE", "G0");
  def.codes.entries.erase("CYC_BOREFEED");
  return def;
}

// Written by hand from the layout of the list, line by line.
constexpr std::string_view kExpectedAll = R"(====================================================
: Tolvek 3.40  Configuration List
: 
:   File Name : /home/cam/post/machine1.tlv
: Output Date : 2026/1/5 9:7
====================================================
#################################
# ＮＣコード　リスト
#################################
--[プログラム開始]-----
%
T!<T_NO>

--[プログラム終了]-----

--[工程開始]-----------

--[工程終了]-----------

--[工具交換]-----------

--[ＸＹ早送り]---------

--[Ｚ早送り]-----------

--[直線送り]-----------
!<G_MOVE>{X<X_CORD>}[F<F_CORD>]
...送り

--[円弧送り]-----------
G02
(コードが正しくありません。)

--[固定サイクル]-------
G81<A_VERY_LONG_NAME_HERE> <USER_CALC1>

--[固定サイクルオフ]---

--[アプローチ]---------

--[リトラクト]---------

--[メッセージ]---------

--[分割ファイル先頭]---

--[分割ファイル終了]---

--[工程表先頭]---------

--[工程表項目]---------

--[工程表末尾]---------

--[NURBS補間]----------

--[NURBS補間終了]------

#################################
# ＮＣフォーマット　リスト
#################################
T_NO            5.0    None
X_CORD        +04.30M  None
F_CORD          5.1    *2
A_VERY_LONG_NA  5.3 M  None
USER_CALC1      5.3    None
#################################
# 座標モード
#################################
Ｇ９１出力モード
誤差補正桁：3
ＳＴＡＲＴポジションから
工具中心座標
#################################
# ファイル分割モード
#################################
コードによる分割
加工長さによる分割
分割長さ： 12
テープ長さによる分割
テープ長さ： 300
加工時間による分割
分割時間： 45
軌跡毎の分割
分割ファイル名：現工具軌跡コメント
#################################
# ユーザ定義１
#################################
[USER_IN1]
工具長を入力
最初の一回だけ問い合わせ
[USER_IN2]
ワーク番号
都度問い合せ
#################################
# ユーザ定義２
#################################
[USER_CALC1]
_51*2
最初の一回だけ計算
[USER_CALC2]
#################################
# 工程表モード
#################################
工程表出力あり
工程表拡張子： kti
#################################
# Ｇ／Ｍ／固定サイクルコード
#################################
[早送り] = G0
[直線移動] = G01
[円弧移動] = G02
[円弧移動] = G03
[Spindle回転] = M03
[Spindle停止] = M05
[フラッド] = M08
[エアー] = M50
[インターナル] = M51
[ミスト] = M07
[クーラント停止] = M09
[イニシャルリトラクト] = G98
[Ｒ点リトラクト] = G99
[穴あけ] = G81
[高速穴あけ] = G73
[逆タップ] = G74
[ファインボーリング] = G76
[カウンタボーリング] = G82
[深穴あけ] = G83
[タッピング] = G84
[その他] = G89
[径補正左] = G41
[径補正右] = G42
[径補正なし] = G40
[ＸＹ平面] = G17
[ＺＸ平面] = G18
[ＹＺ平面] = G19
[ボーリング] = G85
[ボーリング+回転停止] = G86
[バックボーリング] = G87
[ボーリング+マニュアル] = G88
[ボーリング+送り] = (未定義)
===== End Of List ==================================
)";

const ListDate kDate{2026, 1, 5, 9, 7};

TEST(ConfigurationListTest, EveryPart) {
  const VariableDictionary dict = ListDictionary();
  const std::string list = FormatConfigurationList(
      FullDefinition(dict), dict, "/home/cam/post/machine1.tlv", kDate, ListParts::All());
  EXPECT_EQ(list, Utf8ToCp932(kExpectedAll));
  EXPECT_EQ(Cp932ToUtf8(list), kExpectedAll);
}

TEST(ConfigurationListTest, NoPartsAndSmallCases) {
  const VariableDictionary dict = ListDictionary();
  PostDefinition def = NewPostDefinition(dict);
  EXPECT_EQ(FormatConfigurationList(def, dict, "", {2027, 12, 31, 23, 59}, ListParts()),
            "====================================================\n"
            ": Tolvek 3.40  Configuration List\n"
            ": \n"
            ":   File Name : \n"
            ": Output Date : 2027/12/31 23:59\n"
            "====================================================\n"
            "===== End Of List ==================================\n");

  // A new definition: G90, home, no splitting, sheet off with "inf".
  ListParts parts;
  parts.coord = parts.split = parts.sheet = true;
  std::string list = Cp932ToUtf8(FormatConfigurationList(def, dict, "", kDate, parts));
  EXPECT_NE(list.find("# 座標モード\n#################################\n"
                      "Ｇ９０出力モード\n工具先端座標\n"),
            std::string::npos);
  EXPECT_NE(list.find("分割なし\n分割ファイル名：都度入力\n"), std::string::npos);
  EXPECT_NE(list.find("工程表出力なし\n工程表拡張子： inf\n"), std::string::npos);

  // Values outside their tables are shown as numbers, never read past a
  // table's end.
  def.split_mode.name_source = 9;
  def.process_sheet.extension_index = 300;
  def.coordinate_mode.output_mode = 7;
  list = Cp932ToUtf8(FormatConfigurationList(def, dict, "", kDate, parts));
  EXPECT_NE(list.find("#################################\n工具先端座標\n"), std::string::npos);
  EXPECT_NE(list.find("分割ファイル名：9\n"), std::string::npos);
  EXPECT_NE(list.find("工程表拡張子： 300\n"), std::string::npos);
}

TEST(ConfigurationListTest, PartsAndSaving) {
  ListParts parts;
  std::string err;
  ASSERT_TRUE(ParseListParts("codes,gm", &parts, &err));
  EXPECT_TRUE(parts.codes && parts.gm);
  EXPECT_FALSE(parts.formats || parts.coord || parts.split || parts.user1 || parts.user2 ||
               parts.sheet);
  ASSERT_TRUE(ParseListParts("all", &parts, &err));
  EXPECT_TRUE(parts.formats && parts.sheet);
  EXPECT_FALSE(ParseListParts("codes,colour", &parts, &err));
  EXPECT_NE(err.find("'colour'"), std::string::npos);

  const VariableDictionary dict = ListDictionary();
  const PostDefinition def = NewPostDefinition(dict);
  EXPECT_FALSE(SaveConfigurationList("", def, dict, "", kDate, parts, &err));
  EXPECT_EQ(err, kTextEnterFileName);

  char dir_template[] = "/tmp/tlv_list_XXXXXX";
  ASSERT_NE(mkdtemp(dir_template), nullptr);
  const std::string out = std::string(dir_template) + "/list.txt";
  ASSERT_TRUE(SaveConfigurationList(out, def, dict, "a.tlv", kDate, parts, &err)) << err;
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(out, &bytes, &err));
  EXPECT_EQ(bytes, FormatConfigurationList(def, dict, "a.tlv", kDate, parts));
  std::remove(out.c_str());
  rmdir(dir_template);
}

}  // namespace
}  // namespace tlv
