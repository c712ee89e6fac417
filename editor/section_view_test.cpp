// Section text conversion, colouring and word lookup of the section view.
#include <gtest/gtest.h>

#include "definition/section_compiler.h"
#include "editor/editor_test_support.h"
#include "editor/section_highlighter.h"
#include "editor/section_text.h"
#include "editor/section_view.h"

namespace tlv {
namespace {

TEST(SectionTextTest, ConvertsToCp932WithLfLineEnds) {
  const SectionTextResult r = ViewTextToCp932(QStringLiteral("Ｘ座標\r\nG01\rM30\n?"));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.bytes, "\x82\x77\x8D\xC0\x95\x57\nG01\nM30\n?");
  EXPECT_EQ(Cp932ToViewText(r.bytes), QStringLiteral("Ｘ座標\nG01\nM30\n?"));
}

TEST(SectionTextTest, RefusesWhatCp932CannotHold) {
  SectionTextResult r = ViewTextToCp932(QStringLiteral("ab\n\tc😀d"));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.line, 2);
  EXPECT_EQ(r.column, 3);
  EXPECT_TRUE(r.message.contains(QStringLiteral("U+1F600"))) << r.message.toStdString();

  // Bytes that were not CP932 in the file come back as U+FFFD and cannot
  // be stored back as something else.
  r = ViewTextToCp932(Cp932ToViewText("G\xFD"));
  EXPECT_FALSE(r.ok);
}

TEST(SectionTextTest, EnforcesTheSectionSize) {
  EXPECT_TRUE(ViewTextToCp932(QString(kDisplayTextLimit, QChar('G'))).ok);
  EXPECT_FALSE(ViewTextToCp932(QString(kDisplayTextLimit + 1, QChar('G'))).ok);
  // Double-byte characters count two bytes each.
  EXPECT_FALSE(ViewTextToCp932(QString(kDisplayTextLimit / 2 + 1, QChar(0x5EA7))).ok);
}

std::string Inks(const QString& line, bool* in_tag) {
  std::string out;
  for (SectionInk ink : InkOfLine(line, in_tag)) {
    out += ink == SectionInk::kCode ? 'c' : ink == SectionInk::kComment ? '#' : '.';
  }
  return out;
}

TEST(SectionHighlighterTest, TagsCodeCommentsGreen) {
  bool in_tag = false;
  EXPECT_EQ(Inks(QStringLiteral("G1<X>{ ... <Y>"), &in_tag), "..ccc..#######");
  EXPECT_FALSE(in_tag);
  EXPECT_EQ(Inks(QStringLiteral("a..,b"), &in_tag), ".####");
  EXPECT_EQ(Inks(QStringLiteral("a..b"), &in_tag), "....");
  // A tag left open runs over the line end, and a comment inside it is not one.
  EXPECT_EQ(Inks(QStringLiteral("x<IF"), &in_tag), ".ccc");
  EXPECT_TRUE(in_tag);
  EXPECT_EQ(Inks(QStringLiteral("...>y"), &in_tag), "cccc.");
  EXPECT_FALSE(in_tag);
}

TEST(SectionViewTest, WordUnderTheCaret) {
  const QString line = QStringLiteral("G01<X_CORD>{Y}");
  EXPECT_EQ(WordAt(line, 4), QStringLiteral("X_CORD"));
  EXPECT_EQ(WordAt(line, 10), QStringLiteral("X_CORD"));  // just before ">"
  EXPECT_EQ(WordAt(line, 0), QStringLiteral("G01"));
  EXPECT_EQ(WordAt(line, 12), QStringLiteral("Y"));
  EXPECT_EQ(WordAt(QStringLiteral("{ }"), 1), QString());
  EXPECT_EQ(WordAt(line, 99), QString());
}

TEST(SectionViewTest, TypingSetsTheChangedFlagLoadingDoesNot) {
  TestApp();
  const VariableDictionary dict = ShippedDictionary();
  SectionView view(dict);
  view.SetText(QStringLiteral("G00"));
  EXPECT_FALSE(view.text_changed());
  view.PasteAtCaret(QStringLiteral("<X_CORD>"));
  EXPECT_TRUE(view.text_changed());
  EXPECT_EQ(view.Text(), QStringLiteral("<X_CORD>G00"));
}

}  // namespace
}  // namespace tlv
