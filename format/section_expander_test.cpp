#include "format/section_expander.h"

#include <gtest/gtest.h>

#include "definition/code_table.h"
#include "format/engine_test_support.h"

namespace tlv {
namespace {

using SectionExpanderTest = EngineTest;

TEST_F(SectionExpanderTest, EmptySectionWritesNothing) {
  EXPECT_EQ(ExpandBytes(""), "");
  EXPECT_TRUE(last_ok_);
  EXPECT_EQ(out_.writes, 0);
  EXPECT_FALSE(expander_.ExpandSection(22));
  EXPECT_FALSE(expander_.ExpandSection(-1));
}

TEST_F(SectionExpanderTest, KeywordLineBreaksAreSwallowed) {
  SetSection(8, "<IF><F> > 100<THEN>\nA\n<ELSE>\nB\n<ENDIF>\nC\n");
  Var(14).SetNumber(150);
  EXPECT_EQ(ExpandAgain(), "A\nC\n");
  Var(14).SetNumber(50);
  EXPECT_EQ(ExpandAgain(), "B\nC\n");
  // CR LF behind a keyword goes too.
  EXPECT_EQ(ExpandBytes("P" + KeywordBytes(1) + "1" + KeywordBytes(2) + "\r\nA\r\n" +
                        KeywordBytes(5) + "\r\nC"),
            "PA\r\nC");
}

TEST_F(SectionExpanderTest, NestedAndChainedBlocks) {
  // Conditions of branches not taken are never evaluated: the text minus
  // text below would log an invalid operator if it were.
  SetSection(8,
             "<IF><F> > 10<THEN>\n"
             "<IF><F> > 20<THEN>\nbig\n<ELSE>\nmid\n<ENDIF>\n"
             "<ELSEIF><F> > 5<THEN>\nsmall\n"
             "<ELSEIF>\"a\" - \"b\"<THEN>\nnever\n"
             "<ELSE>\n<IF>\"a\" - \"b\"<THEN>\nx\n<ENDIF>\ntiny\n<ENDIF>\nend\n");
  Var(14).SetNumber(30);
  EXPECT_EQ(ExpandAgain(), "big\nend\n");
  Var(14).SetNumber(15);
  EXPECT_EQ(ExpandAgain(), "mid\nend\n");
  Var(14).SetNumber(7);
  EXPECT_EQ(ExpandAgain(), "small\nend\n");
  EXPECT_EQ(out_.log, "");
  Var(14).SetNumber(1);
  // A condition that cannot be reduced is false, with its message.
  EXPECT_EQ(ExpandAgain(), "tiny\nend\n");
  EXPECT_TRUE(last_ok_);
  EXPECT_EQ(out_.log, "不正な演算子が使われています。\n不正な演算子が使われています。\n");
}

TEST_F(SectionExpanderTest, StructuralMessages) {
  struct Case {
    std::string bytes;
    std::string_view message;
  };
  const std::string k1 = KeywordBytes(1), k2 = KeywordBytes(2), k3 = KeywordBytes(3),
                    k4 = KeywordBytes(4), k5 = KeywordBytes(5);
  const Case cases[] = {
      {"A" + k1 + "1" + k1 + "2" + k2 + "B" + k5, "条件文中に<IF>があります。"},
      {"A" + k2 + "B", "<THEN>に対応する<IF>がありません。"},
      {k1 + "1" + k2 + "A" + k2 + "B" + k5, "<THEN>に対応する<IF><ELSEIF>がありません。"},
      {k1 + "1" + k3 + "2" + k2 + "B" + k5, "<ELSEIF>の位置が正しくありません。"},
      {k1 + "1" + k4 + "B" + k5, "<ELSE>の位置が正しくありません。"},
      {"A" + k5, "<ENDIF>に対応する<IF>がありません。"},
      {k1 + "1" + k5 + "B", "<IF>/<ELSEIF>に対応する<THEN>がありません。"},
  };
  for (const Case& c : cases) {
    out_ = MemoryOutput();
    EXPECT_EQ(ExpandBytes(c.bytes), "") << c.message;
    EXPECT_FALSE(last_ok_) << c.message;
    EXPECT_EQ(out_.log, std::string(c.message) + "\n");
    EXPECT_EQ(out_.printed, c.message);
  }
  // A keyword marker in the last byte fails without a message; an unknown
  // keyword code ends the check but fails the expansion.
  out_ = MemoryOutput();
  EXPECT_EQ(ExpandBytes("A\xF7"), "");
  EXPECT_FALSE(last_ok_);
  EXPECT_EQ(ExpandBytes("A" + KeywordBytes(9) + "B"), "");
  EXPECT_FALSE(last_ok_);
  EXPECT_EQ(out_.log, "");
}

TEST_F(SectionExpanderTest, OpenBlockAtTheEndClosesThere) {
  const std::string k1 = KeywordBytes(1), k2 = KeywordBytes(2);
  Var(14).SetNumber(5);
  // The branch of a block without ENDIF is written only when its condition
  // holds; an IF without THEN writes nothing of its condition.
  EXPECT_EQ(ExpandBytes("A" + k1 + RefBytes(14) + " > 1" + k2 + "\nB\n"), "AB\n");
  EXPECT_TRUE(last_ok_);
  EXPECT_EQ(ExpandBytes("A" + k1 + RefBytes(14) + " > 9" + k2 + "\nB\n"), "A");
  EXPECT_EQ(ExpandBytes("A" + k1 + "1 + 1\n"), "A");
}

TEST_F(SectionExpanderTest, ConditionWithGroupMarkerFailsTheRegion) {
  EXPECT_EQ(ExpandBytes("A\n" + KeywordBytes(1) + "\xFE" "1\xFD" + KeywordBytes(2) + "B" +
                        KeywordBytes(5) + "C"),
            "A\n");
  EXPECT_FALSE(last_ok_);
  EXPECT_EQ(out_.log, "");
}

TEST_F(SectionExpanderTest, GroupsPrintOnlyWhenTheirKeyIsDue) {
  SetSection(8, "{X<X>}[M08<F>]{F<F>}N\n");
  Var(51).SetNumber(12.5);
  Var(14).SetNumber(100);
  EXPECT_EQ(ExpandAgain(), "X12.5M08F100.N\n");
  EXPECT_EQ(ExpandAgain(), "N\n");  // nothing changed: not even the letters
  Var(14).SetNumber(200);
  EXPECT_EQ(ExpandAgain(), "M08F200.N\n");
  // A group without a modal reference is always written.
  EXPECT_EQ(Expand("{G17}\n"), "G17\n");
}

TEST_F(SectionExpanderTest, ModalAndUnconditionalReferences) {
  SetSection(8, "T<TOOL>/!<TOOL>/<SEQ>\n");
  Var(60).SetInteger(3);
  Var(61).SetInteger(7);
  EXPECT_EQ(ExpandAgain(), "T3/3/7\n");
  EXPECT_EQ(ExpandAgain(), "T/3/7\n");  // modal once, forced and non-modal always
  // "&" marks a variable changed, "$" holds it back; neither prints.
  EXPECT_EQ(Expand("&<TOOL>T<TOOL>\n"), "T3\n");
  Var(60).SetInteger(4);
  EXPECT_EQ(Expand("$<TOOL>T<TOOL>\n"), "T\n");
}

TEST_F(SectionExpanderTest, Comments) {
  EXPECT_EQ(Expand("A\n...note\nB\n..,gone\nC\n"), "A\n\nB\nC\n");
}

TEST_F(SectionExpanderTest, BlankLineSuppression) {
  ExpansionSettings s;
  s.delete_null_line = true;
  expander_.set_settings(s);
  EXPECT_EQ(Expand("A\n\n\nB\n"), "A\nB\n");
  Var(60).SetInteger(1);
  EXPECT_EQ(Expand("A\n<TOOL>\n"), "A\n1\n");
  // A line that held only an unchanged modal reference keeps its line feed.
  EXPECT_EQ(Expand("A\n<TOOL>\nB\n"), "A\n\nB\n");
  // The flag lives on from one section to the next.
  EXPECT_EQ(Expand("\nC\n"), "C\n");
}

TEST_F(SectionExpanderTest, SplitMarkers) {
  ExpansionSettings s;
  s.split_by_code = true;
  expander_.set_settings(s);
  EXPECT_EQ(Expand("A\n<SPLIT_END><SPLIT_BEGIN>B\n"), "A\n<5001><5000>B\n");
  // Text gathered before a marker inside a group reaches the file the
  // marker ends, the rest the next one.
  Var(14).SetNumber(2.5);
  EXPECT_EQ(ExpandBytes("A\xFEP" + RefBytes(14) + "Q" + RefBytes(5001) + "R" + RefBytes(5000) +
                        "\xFD" + "B\n"),
            "AP2.5Q<5001>R<5000>B\n");
  // The sheet sections write to the first output and never split.
  SetSection(18, "S<SPLIT_BEGIN>\n");
  EXPECT_TRUE(expander_.ExpandSection(18));
  EXPECT_EQ(out_.first, "S\n");
  // Without code splitting the markers are ordinary variables.
  expander_.set_settings(ExpansionSettings{});
  Var(5000).SetText("#");
  EXPECT_EQ(Expand("<SPLIT_BEGIN>\n"), "#\n");
}

// A split file's head expanded from inside a split marker must not recurse
// without end when the head itself splits again.
class SplittingOutput : public MemoryOutput {
 public:
  SectionExpander* expander = nullptr;
  int starts = 0;
  void StartSplitFile() override {
    ++starts;
    MemoryOutput::StartSplitFile();
    expander->ExpandSection(15);
  }
};

TEST(SectionExpanderNesting, SplitHeadThatSplitsAgainStops) {
  VariableDictionary dict = EngineTestDictionary();
  VariableStore store;
  BuildVariableTable(dict, VariableSettingTable{}, &store);
  SplittingOutput out;
  SectionExpander expander(store, out);
  out.expander = &expander;
  SectionTable sections = SectionTable::Empty();
  sections.Find(8)->text = "A" + RefBytes(5000) + "B";
  sections.Find(15)->text = "H" + RefBytes(5000);
  expander.set_sections(&sections);
  ExpansionSettings s;
  s.split_by_code = true;
  expander.set_settings(s);
  EXPECT_TRUE(expander.ExpandSection(8));
  EXPECT_EQ(out.starts, kMaxSectionNesting);
  EXPECT_EQ(out.text_out, "A<5000>H<5000>H<5000>H<5000>B");
}

TEST_F(SectionExpanderTest, LiteralG91SwitchesToIncrementalWords) {
  Var(51).SetNumber(10);
  Var(52).SetNumber(5);
  EXPECT_EQ(Expand("G90{X<X>}{Y<Y>}\n"), "G90X10.Y5.\n");
  Var(51).SetNumber(12.5);
  Var(52).SetNumber(5);
  EXPECT_EQ(Expand("G91{X<X>}{Y<Y>}\n"), "G91X2.5\n");
  EXPECT_EQ(store_.coordinates().mode, kCoordIncremental);
  EXPECT_DOUBLE_EQ(Var(32).GetNumber(), 12.5);
  Var(51).SetNumber(11.0004);
  EXPECT_EQ(Expand("{X<X>}\n"), "X-1.5\n");
  // Back to absolute.
  Var(51).SetNumber(20);
  EXPECT_EQ(Expand("G90{X<X>}\n"), "G90X20.\n");
}

TEST_F(SectionExpanderTest, LiteralG92SetsTheOriginOffset) {
  Var(51).SetNumber(100);
  Var(52).SetNumber(50);
  EXPECT_EQ(Expand("{X<X>}{Y<Y>}\n"), "X100.Y50.\n");
  // A G92 line with literal words moves the origin, not the position; its
  // line feed ends the G92 effect.
  EXPECT_EQ(Expand("G92X0.Y0.\nX1.\n"), "G92X0.Y0.\nX1.\n");
  EXPECT_DOUBLE_EQ(store_.coordinates().g92_offset[0], -100);
  EXPECT_DOUBLE_EQ(store_.coordinates().g92_offset[1], -50);
  EXPECT_FALSE(store_.coordinates().g92_pending);
  EXPECT_DOUBLE_EQ(Var(32).GetNumber(), 1);
  EXPECT_DOUBLE_EQ(Var(33).GetNumber(), 50);
}

TEST_F(SectionExpanderTest, LiteralWordsWithoutPointCountIncrements) {
  Expand("X100\n");
  EXPECT_DOUBLE_EQ(Var(32).GetNumber(), 0.1);
  Expand("Y100.\n");
  EXPECT_DOUBLE_EQ(Var(33).GetNumber(), 100);
  Expand("G91Z-2.5\n");
  Expand("Z-2.5\n");
  EXPECT_DOUBLE_EQ(Var(34).GetNumber(), -5);
  // G9 at the very start of a stretch has no "G" before it to read.
  Expand("G90\n9");
  EXPECT_EQ(store_.coordinates().mode, kCoordAbsolute);
}

TEST_F(SectionExpanderTest, CycleReturnCodes) {
  EXPECT_EQ(Expand("G99 G81\n"), "G99 G81\n");
  EXPECT_EQ(expander_.cycle_return_mode(), kReturnToR);
  EXPECT_EQ(out_.log, "※ 連絡：Ｒ点復帰に設定します。\n");
  out_.log.clear();
  Expand("{G98}\n");
  EXPECT_EQ(expander_.cycle_return_mode(), kReturnToInitial);
  EXPECT_EQ(out_.log, "※ 連絡：イニシャル点復帰に設定します。\n");

  // The return code variable: an R-point return in incremental mode is
  // turned into the initial-point return, with a caution in the log.
  out_.log.clear();
  Var(22).SetText("G99");
  EXPECT_EQ(Expand("<RETCODE>\n"), "G99\n");
  EXPECT_EQ(expander_.cycle_return_mode(), kReturnToR);
  store_.coordinates().mode = kCoordIncremental;
  Var(22).SetText("G99");
  Var(22).SetChanged(true);
  EXPECT_EQ(Expand("<RETCODE>\n"), "G98\n");
  EXPECT_EQ(expander_.cycle_return_mode(), kReturnToInitial);
  EXPECT_EQ(out_.log, "※ 注意１：インクリメンタル指令の場合はＲ点復帰は使えません。\n");
  out_.log.clear();
  Var(22).SetText("G99");
  EXPECT_EQ(Expand("{<RETCODE>}\n"), "G98\n");
  EXPECT_EQ(out_.log, "※ 注意２：インクリメンタル指令の場合はＲ点復帰は使えません。\n");
}

TEST_F(SectionExpanderTest, DoubleByteTextIsNeverTakenApart) {
  // "ＸＹ" in CP932: 0x82 0x77, 0x82 0x78; the trail bytes are letters and
  // must not be read as X/Y words or G codes.
  const std::string text = Utf8ToCp932("ＸＹ\n");
  EXPECT_EQ(Expand("ＸＹ\n"), text);
  EXPECT_DOUBLE_EQ(Var(32).GetNumber(), 0);
}

}  // namespace
}  // namespace tlv

namespace tlv {
namespace {

// A section expanded again is not checked again, but a text changed in place
// (same buffer, same length) is: the changed blocks are still refused.
TEST_F(SectionExpanderTest, ChangedSectionTextIsCheckedAgain) {
  const std::string k1 = KeywordBytes(1), k2 = KeywordBytes(2), k5 = KeywordBytes(5);
  Var(14).SetNumber(5);
  const std::string good = "A" + k1 + RefBytes(14) + " > 1" + k2 + "B" + k5;
  std::string& text = sections_.Find(8)->text;
  text = good;
  EXPECT_EQ(ExpandAgain(8), "AB");
  EXPECT_EQ(ExpandAgain(8), "AB");
  EXPECT_TRUE(last_ok_);
  const char* buffer = text.data();
  // <ENDIF> turned into <THEN>: same length, same place.
  text.replace(text.size() - k5.size(), k5.size(), k2);
  ASSERT_EQ(buffer, text.data());
  out_ = MemoryOutput();
  EXPECT_EQ(ExpandAgain(8), "");
  EXPECT_FALSE(last_ok_);
  EXPECT_NE(out_.log, "");
  text = good;
  EXPECT_EQ(ExpandAgain(8), "AB");
  EXPECT_TRUE(last_ok_);
}

}  // namespace
}  // namespace tlv

namespace tlv {
namespace {

// A section without keywords is expanded in one stretch; a keyword byte
// inside a reference or a double-byte character is no keyword, and a text
// changed in place to hold real keywords gets its blocks back.
TEST_F(SectionExpanderTest, KeywordBytesOutsideKeywords) {
  Variable& text = store_.Put(Variable(0x02F7, true, OutputFormat::RealPreset()));
  text.SetText("T");
  const std::string plain = "A" + RefBytes(0x02F7) + "\x81\xF7" + "B\n";
  EXPECT_EQ(ExpandBytes(plain), "AT\x81\xF7" "B\n");
  EXPECT_TRUE(last_ok_);
  std::string& section = sections_.Find(8)->text;
  const std::string blocks = KeywordBytes(1) + "0" + KeywordBytes(2) + "Y" + KeywordBytes(5) +
                             "Z" + KeywordBytes(1) + "1" + KeywordBytes(2) + "W" +
                             KeywordBytes(5);
  section = std::string(blocks.size(), 'x');
  EXPECT_EQ(ExpandAgain(8), section);
  const char* buffer = section.data();
  section.replace(0, blocks.size(), blocks);
  ASSERT_EQ(buffer, section.data());
  EXPECT_EQ(ExpandAgain(8), "ZW");
  EXPECT_TRUE(last_ok_);
}

}  // namespace
}  // namespace tlv

namespace tlv {
namespace {

// A section's steps are worked out once and run again for every record;
// what they do must stay what reading the text byte by byte does.

// The key of "{G90X<X>}" is tested before the literal G90 switches the
// coordinate mode; the word is then recalculated in the new mode, so the
// group is written but an X that is no move there prints no number.
TEST_F(SectionExpanderTest, LiteralBeforeAGroupKeyCountsWhenTheWordIsPrinted) {
  CoordinateSettings c;
  c.output_setting = 2;  // a literal G90 selects G92-offset coordinates
  store_.SetCoordinateSettings(c);
  Var(32).SetNumber(10);
  Var(51).SetNumber(5);
  store_.coordinates().mode = kCoordIncremental;
  store_.coordinates().g92_offset[0] = 5;
  EXPECT_EQ(Expand("{G90X<X>}\n"), "G90X\n");
  EXPECT_EQ(store_.coordinates().mode, kCoordOffset);
  // Plain text before the key changes nothing: the word follows its key.
  Var(51).SetNumber(7);
  EXPECT_EQ(Expand("{X<X>}\n"), "X12.\n");
  EXPECT_EQ(ExpandAgain(), "\n");
}

// The return codes the literal watchers look for come from the job's code
// table; steps worked out under the old codes are not reused.
TEST_F(SectionExpanderTest, NewReturnCodesApplyToSectionsExpandedBefore) {
  SetSection(8, "G98 G78\n");
  EXPECT_EQ(ExpandAgain(), "G98 G78\n");
  EXPECT_EQ(out_.log, "※ 連絡：イニシャル点復帰に設定します。\n");
  EXPECT_EQ(expander_.cycle_return_mode(), kReturnToInitial);
  CodeTable codes = CodeTable::Defaults();
  codes.Set("CYC_IRET", "G77");
  codes.Set("CYC_RRET", "G78");
  expander_.SetCodes(codes);
  out_.log.clear();
  EXPECT_EQ(ExpandAgain(), "G98 G78\n");
  EXPECT_EQ(out_.log, "※ 連絡：Ｒ点復帰に設定します。\n");
  EXPECT_EQ(expander_.cycle_return_mode(), kReturnToR);
}

// A split file's head expanded from inside a section may bring many other
// texts along; the outer section's steps, still running, are kept.
class ManyTextsOutput : public MemoryOutput {
 public:
  SectionExpander* expander = nullptr;
  std::vector<std::string> texts;
  void StartSplitFile() override {
    MemoryOutput::StartSplitFile();
    for (const std::string& t : texts) expander->ExpandCompiled(t, false);
  }
};

TEST(SectionExpanderNesting, OuterSectionKeepsItsStepsWhileOthersRun) {
  VariableDictionary dict = EngineTestDictionary();
  VariableStore store;
  BuildVariableTable(dict, VariableSettingTable{}, &store);
  ManyTextsOutput out;
  SectionExpander expander(store, out);
  out.expander = &expander;
  std::string expected = "A<5000>";
  for (int i = 0; i < 100; ++i) {
    out.texts.push_back("t" + std::to_string(i) + "\n");
    expected += out.texts.back();
  }
  store.Lookup(14)->SetNumber(1.5);
  SectionTable sections = SectionTable::Empty();
  sections.Find(8)->text = "A" + RefBytes(5000) + "B" + RefBytes(14) + "C\n";
  expander.set_sections(&sections);
  ExpansionSettings s;
  s.split_by_code = true;
  expander.set_settings(s);
  EXPECT_TRUE(expander.ExpandSection(8));
  EXPECT_EQ(out.text_out, expected + "B1.5C\n");
  // And again, with every text known.
  out.text_out.clear();
  store.Lookup(14)->SetNumber(2.5);
  EXPECT_TRUE(expander.ExpandSection(8));
  EXPECT_EQ(out.text_out, expected + "B2.5C\n");
}

}  // namespace
}  // namespace tlv
