// Builds tool-path records in memory for the motion handlers' tests.
#ifndef TLV_MOTION_TEST_RECORD_H_
#define TLV_MOTION_TEST_RECORD_H_

#include <cstdint>
#include <initializer_list>

#include "toolpath/tool_path_record.h"

namespace tlv {

/// One field of a test record: a number, or a text when `text` is set.
struct TestItem {
  std::int32_t id;
  double number = 0;
  const char* text = nullptr;
};

/// A record of `kind` holding `items` in order, as the reader would fill it.
inline ToolPathRecord MakeRecord(std::int32_t kind, std::initializer_list<TestItem> items) {
  ToolPathRecord r;
  r.slots[0].id = kind;
  r.count = 1;
  for (const TestItem& item : items) {
    RecordField& f = r.slots[r.count++];
    f.id = item.id;
    if (item.text) {
      f.kind = FieldKind::kText;
      f.text = item.text;
    } else {
      f.kind = FieldKind::kNumber;
      f.number = item.number;
    }
  }
  return r;
}

}  // namespace tlv

#endif  // TLV_MOTION_TEST_RECORD_H_
