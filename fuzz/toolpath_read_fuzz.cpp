// Arbitrary bytes as a tool-path data file: the record reader with its
// look-aheads mixed in, the header scans, and the same through a file-sized
// buffer small enough that lines and pushed-back headers cross refills.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "toolpath/header_value.h"
#include "toolpath/tool_path_reader.h"

namespace {

void ReadThrough(std::string_view text, size_t buffer_size) {
  tlv::ToolPathReader reader(buffer_size);
  if (!reader.OpenMemory(text)) return;
  tlv::ToolPathRecord record;
  int steps = 0;
  while (reader.ReadNextRecord(&record) > 0) {
    if (record.count < 1 || record.count > tlv::ToolPathRecord::kCapacity) __builtin_trap();
    for (int i = 1; i < record.count; ++i) {
      const tlv::RecordField& field = record.slots[i];
      if (field.kind != tlv::FieldKind::kText && !field.text.empty()) __builtin_trap();
      if (field.text.size() > tlv::ToolPathReader::kMaxLineLength) __builtin_trap();
    }
    // Look-aheads with restore must leave the next record where it was.
    switch (++steps % 4) {
      case 0:
        reader.ComesBefore(tlv::kToolChange);
        break;
      case 1:
        reader.FindAhead(record.kind(), true);
        break;
      case 2:
        reader.FindAhead(tlv::kLinearFeed, steps % 8 == 2);
        break;
      default:
        break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  ReadThrough(text, 16);
  ReadThrough(text, 1 << 16);
  for (int32_t id : {tlv::kHeaderToolPathName, tlv::kHeaderItem118, tlv::kHeaderItem212,
                     tlv::kHeaderProcedureName}) {
    if (tlv::ScanHeaderValue(text, id).size() > tlv::kMaxHeaderValueLength) __builtin_trap();
  }
  return 0;
}
