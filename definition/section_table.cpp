#include "definition/section_table.h"

namespace tlv {
namespace {

struct SectionNames {
  std::string_view code;
  std::string_view display;
};

// ORDER SectionId
constexpr SectionNames kSectionNames[] = {
    {"", ""},
    {"ProgramStart", "プログラム開始"},
    {"ProgramEnd", "プログラム終了"},
    {"ProcessStart", "工程開始"},
    {"ProcessEnd", "工程終了"},
    {"ToolChange", "工具交換"},
    {"RapidXY", "ＸＹ早送り"},
    {"RapidZ", "Ｚ早送り"},
    {"LinearFeed", "直線送り"},
    {"ArcFeed", "円弧送り"},
    {"Cycle", "固定サイクル"},
    {"CycleOff", "固定サイクルオフ"},
    {"Approach", "アプローチ"},
    {"Retract", "リトラクト"},
    {"Message", "メッセージ"},
    {"SplitFileHead", "分割ファイル先頭"},
    {"SplitFileEnd", "分割ファイル終了"},
    {"SheetHead", "工程表先頭"},
    {"SheetItem", "工程表項目"},
    {"SheetTail", "工程表末尾"},
    {"Nurbs", "NURBS補間"},
    {"NurbsEnd", "NURBS補間終了"},
};
static_assert(std::size(kSectionNames) == kSectionSlots);

}  // namespace

std::string_view SectionCodeName(int id) {
  return id >= 0 && id < kSectionSlots ? kSectionNames[id].code : std::string_view();
}

std::string_view SectionDisplayName(int id) {
  return id >= 0 && id < kSectionSlots ? kSectionNames[id].display
                                       : std::string_view();
}

SectionTable SectionTable::Empty() { return EmptySlots(kSectionSlots); }

SectionTable SectionTable::EmptySlots(int n) {
  SectionTable table;
  if (n < 0) n = 0;
  if (n > kSectionSlots) n = kSectionSlots;
  for (int i = 0; i < kSectionSlots; ++i) table.slots[i].id = i;
  table.count = n;
  return table;
}

const FormatSection* SectionTable::Find(int slot) const {
  if (slot < 0 || slot >= count || slot >= kSectionSlots) return nullptr;
  return &slots[slot];
}

FormatSection* SectionTable::Find(int slot) {
  if (slot < 0 || slot >= count || slot >= kSectionSlots) return nullptr;
  return &slots[slot];
}

std::string_view SectionTable::Text(int slot) const {
  const FormatSection* section = Find(slot);
  return section ? std::string_view(section->text) : std::string_view();
}

}  // namespace tlv
