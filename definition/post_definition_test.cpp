#include "definition/post_definition.h"

#include <gtest/gtest.h>

#include "definition/variable_dictionary.h"

namespace tlv {
namespace {

TEST(PostDefinitionTest, BlocksPackAsTheFileStoresThem) {
  PostDefinition def;
  EXPECT_EQ(def.coordinate_mode.Pack(), 0x00030100);
  EXPECT_EQ(def.split_mode.Pack(), 0x000A0000);
  EXPECT_EQ(def.process_sheet.Pack(), 0x00020000);

  // Byte 0 is the low byte; the 16-bit halves are signed / unsigned.
  SplitModeBlock split = SplitModeBlock::Unpack(static_cast<std::int32_t>(0xFFFE0511u));
  EXPECT_EQ(split.methods, 0x11);
  EXPECT_EQ(split.name_source, 5);
  EXPECT_EQ(split.machining_length, -2);
  EXPECT_EQ(split.Pack(), static_cast<std::int32_t>(0xFFFE0511u));
  ProcessSheetBlock sheet = ProcessSheetBlock::Unpack(static_cast<std::int32_t>(0xFFFE0102u));
  EXPECT_EQ(sheet.extension_index, 0xFFFE);
  EXPECT_EQ(sheet.reserved, 1);
  EXPECT_EQ(SheetExtension(sheet.extension_index), "");
  EXPECT_EQ(SheetExtension(7), "dat");
  EXPECT_EQ(SheetExtension(-1), "");

  CoordinateModeBlock coord;
  coord.SetByte(3, 1);
  coord.SetByte(4, 9);  // ignored
  EXPECT_EQ(coord.Pack(), 0x01030100);
  EXPECT_EQ(coord.Byte(1), 1);
  EXPECT_EQ(coord.Byte(-1), 0);
  split.SetByte(2, 0x20);
  EXPECT_EQ(split.machining_length, static_cast<std::int16_t>(0xFF20));
}

TEST(PostDefinitionTest, NewResetsOnlyWhatTheEditorsNewCommandResets) {
  VariableDictionary dict;
  dict.Put({"F_CORD", "F", 14, kKindNumber, 1, kDictInEveryDefinition});
  PostDefinition def = NewPostDefinition(dict);
  EXPECT_EQ(def.codes.size(), 33u);
  EXPECT_EQ(def.sections.count, 22);
  EXPECT_EQ(def.variables.size(), 1u);

  def.coordinate_mode.output_mode = 1;
  def.split_mode.methods = kSplitByCode;
  def.process_sheet.output = 2;
  def.sheet_unit = 3;
  def.tape_length = 4;
  def.machining_length = 5;
  def.serial_number = 1;
  def.split_position = 2;
  def.tiny_arc_as_circle = 0;
  def.rigid_tap = 1;
  def.min_unit_digits = 4;
  def.rapid_feed = 5000.0;
  def.codes.Set("G00_CODE", "G0");
  def.variables.settings.clear();
  def.sections.slots[3].text = "x";

  ResetToNew(dict, &def);
  PostDefinition expected = NewPostDefinition(dict);
  expected.split_position = 2;
  expected.tiny_arc_as_circle = 0;
  expected.rigid_tap = 1;
  expected.min_unit_digits = 4;
  expected.rapid_feed = 5000.0;
  EXPECT_EQ(def, expected);
}

TEST(PostDefinitionTest, CodeAndSectionTables) {
  CodeTable codes = CodeTable::Defaults();
  EXPECT_EQ(codes.Text("G06_CODE"), "G06.2");
  EXPECT_EQ(codes.Text("CYC_ETC"), "G89");
  EXPECT_EQ(codes.Text("NONE"), "");
  EXPECT_EQ(codes.Find("NONE"), nullptr);
  EXPECT_FALSE(codes.AddIfMissing("G00_CODE", "X"));
  EXPECT_EQ(codes.Text("G00_CODE"), "G00");
  // Cut at 100 bytes, never inside a double-byte character.
  codes.Set("LONG", std::string(99, 'a') + "\x88\x9f" + "b");
  EXPECT_EQ(*codes.Find("LONG"), std::string(99, 'a'));
  codes.Set(std::string(150, 'K'), "t");
  EXPECT_EQ(codes.Text(std::string(100, 'K')), "t");

  SectionTable sections = SectionTable::Empty();
  EXPECT_EQ(sections.Find(SectionId::kNurbsEnd)->id, 21);
  EXPECT_EQ(sections.Find(22), nullptr);
  EXPECT_EQ(sections.Find(-1), nullptr);
  SectionTable old = SectionTable::EmptySlots(20);
  EXPECT_EQ(old.Find(SectionId::kNurbs), nullptr);
  EXPECT_EQ(old.Text(20), "");
  EXPECT_EQ(SectionCodeName(8), "LinearFeed");
  EXPECT_EQ(SectionDisplayName(20), "NURBS補間");
  EXPECT_EQ(SectionDisplayName(0), "");
  EXPECT_EQ(SectionDisplayName(22), "");
}

}  // namespace
}  // namespace tlv
