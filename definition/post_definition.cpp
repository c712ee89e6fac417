#include "definition/post_definition.h"

#include "definition/variable_dictionary.h"

namespace tlv {
namespace {

std::int32_t PackBytes(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2,
                       std::uint8_t b3) {
  std::uint32_t packed = std::uint32_t{b0} | (std::uint32_t{b1} << 8) |
                         (std::uint32_t{b2} << 16) | (std::uint32_t{b3} << 24);
  return static_cast<std::int32_t>(packed);
}

std::uint8_t ByteOf(std::int32_t packed, int index) {
  if (index < 0 || index > 3) return 0;
  return static_cast<std::uint8_t>(static_cast<std::uint32_t>(packed) >> (8 * index));
}

std::int32_t WithByte(std::int32_t packed, int index, std::uint8_t value) {
  if (index < 0 || index > 3) return packed;
  std::uint32_t bits = static_cast<std::uint32_t>(packed);
  bits &= ~(std::uint32_t{0xFF} << (8 * index));
  bits |= std::uint32_t{value} << (8 * index);
  return static_cast<std::int32_t>(bits);
}

}  // namespace

std::int32_t CoordinateModeBlock::Pack() const {
  return PackBytes(output_mode, start_point, error_digits, tool_position);
}

CoordinateModeBlock CoordinateModeBlock::Unpack(std::int32_t packed) {
  CoordinateModeBlock block;
  block.output_mode = ByteOf(packed, 0);
  block.start_point = ByteOf(packed, 1);
  block.error_digits = ByteOf(packed, 2);
  block.tool_position = ByteOf(packed, 3);
  return block;
}

std::uint8_t CoordinateModeBlock::Byte(int index) const {
  return ByteOf(Pack(), index);
}

void CoordinateModeBlock::SetByte(int index, std::uint8_t value) {
  *this = Unpack(WithByte(Pack(), index, value));
}

std::int32_t SplitModeBlock::Pack() const {
  std::uint16_t length = static_cast<std::uint16_t>(machining_length);
  return PackBytes(methods, name_source, static_cast<std::uint8_t>(length),
                   static_cast<std::uint8_t>(length >> 8));
}

SplitModeBlock SplitModeBlock::Unpack(std::int32_t packed) {
  SplitModeBlock block;
  block.methods = ByteOf(packed, 0);
  block.name_source = ByteOf(packed, 1);
  block.machining_length = static_cast<std::int16_t>(
      static_cast<std::uint16_t>(ByteOf(packed, 2) | (ByteOf(packed, 3) << 8)));
  return block;
}

std::uint8_t SplitModeBlock::Byte(int index) const { return ByteOf(Pack(), index); }

void SplitModeBlock::SetByte(int index, std::uint8_t value) {
  *this = Unpack(WithByte(Pack(), index, value));
}

std::int32_t ProcessSheetBlock::Pack() const {
  return PackBytes(output, reserved, static_cast<std::uint8_t>(extension_index),
                   static_cast<std::uint8_t>(extension_index >> 8));
}

ProcessSheetBlock ProcessSheetBlock::Unpack(std::int32_t packed) {
  ProcessSheetBlock block;
  block.output = ByteOf(packed, 0);
  block.reserved = ByteOf(packed, 1);
  block.extension_index =
      static_cast<std::uint16_t>(ByteOf(packed, 2) | (ByteOf(packed, 3) << 8));
  return block;
}

std::uint8_t ProcessSheetBlock::Byte(int index) const {
  return ByteOf(Pack(), index);
}

void ProcessSheetBlock::SetByte(int index, std::uint8_t value) {
  *this = Unpack(WithByte(Pack(), index, value));
}

std::string_view SheetExtension(int index) {
  if (index < 0 || index >= static_cast<int>(kSheetExtensions.size())) return {};
  return kSheetExtensions[index];
}

PostDefinition NewPostDefinition(const VariableDictionary& dict) {
  PostDefinition def;
  def.variables = VariableSettingTable::FromDictionary(dict);
  return def;
}

void ResetToNew(const VariableDictionary& dict, PostDefinition* def) {
  const PostDefinition fresh;
  def->coordinate_mode = fresh.coordinate_mode;
  def->split_mode = fresh.split_mode;
  def->process_sheet = fresh.process_sheet;
  def->sheet_unit = fresh.sheet_unit;
  def->sheet_name_source = fresh.sheet_name_source;
  def->tape_length = fresh.tape_length;
  def->machining_time = fresh.machining_time;
  def->machining_length = fresh.machining_length;
  def->serial_number = fresh.serial_number;
  def->codes = CodeTable::Defaults();
  def->variables = VariableSettingTable::FromDictionary(dict);
  def->sections = SectionTable::Empty();
}

}  // namespace tlv
