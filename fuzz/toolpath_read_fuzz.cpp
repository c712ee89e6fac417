// Arbitrary bytes as a tool-path data file: the record reader with its
// look-aheads mixed in (through a buffer small enough that lines and
// pushed-back headers cross refills, and a large one), the header scans, and
// the record stream underneath in both encodings.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/record_file.h"

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

// The stream underneath, in both encodings, as the definition reader and
// the token reader drive it.
void ReadStream(std::string_view bytes, tlv::RecordFile::Encoding encoding) {
  tlv::RecordFile in(16);
  if (!in.OpenMemory(bytes, encoding)) return;
  std::string text;
  int32_t i = 0;
  double d = 0;
  uint8_t b = 0;
  for (int step = 0; !in.failed() && step < 100000; ++step) {
    int64_t before = in.Tell();
    switch (step % 5) {
      case 0: in.ReadInt(&i); break;
      case 1: in.ReadString(&text); break;
      case 2: in.ReadDouble(&d); break;
      case 3: in.ReadByte(&b); break;
      default:
        in.BackToLast();
        if (in.Tell() > before) __builtin_trap();
        in.ReadString(&text);
        break;
    }
    if (text.size() > tlv::RecordFile::kStringBufferSize) __builtin_trap();
    if (in.Tell() < 0 || static_cast<size_t>(in.Tell()) > bytes.size()) __builtin_trap();
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
  ReadStream(text, tlv::RecordFile::Encoding::kBinary);
  ReadStream(text, tlv::RecordFile::Encoding::kToken);
  return 0;
}
