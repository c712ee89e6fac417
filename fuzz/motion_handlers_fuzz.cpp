// Arbitrary arc, canned-cycle and NURBS records (any values, NaN and
// infinities included, any coordinate output mode) through their handlers:
// no crash, no overrun, no hang.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "definition/code_table.h"
#include "format/variable_store.h"
#include "motion/arc.h"
#include "motion/cycle.h"
#include "motion/motion_core.h"
#include "motion/nurbs.h"
#include "toolpath/tool_path_record.h"

namespace {

using namespace tlv;

// Item codes worth choosing from: every code the three handlers read, and
// a few they ignore.
constexpr std::int32_t kItems[] = {14,  20,  21,  22,  23,  301, 305, 306,  307,  308,  309,
                                   310, 311, 312, 313, 501, 503, 504, 506,  507,  509,  510,
                                   511, 512, 513, 514, 801, 1705, 1712, 1720, 1721, 1722, 1730,
                                   1740, 1723, 99};
constexpr const char* kWords[] = {"G02", "G03", "G81", "G73", "G83", "G84", "G98", "G99",
                                  "G41", "G42", "",    "G8"};

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  double Double() {
    // Small values most of the time; raw bit patterns now and then.
    const std::uint8_t how = Byte();
    if (how < 200) return (static_cast<int>(Byte()) - 128) * 0.37 + Byte() * 0.001;
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = bits << 8 | Byte();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  VariableStore store;
  for (std::int32_t n : {18, 19, 20, 21, 22, 23, 46, 1705}) {
    store.Put(Variable(n, true, OutputFormat::RealPreset()));
  }
  for (std::int32_t n = 13; n <= 62; ++n) {
    if (!store.Lookup(n)) store.Put(Variable(n, false, OutputFormat::RealPreset()));
  }
  for (std::int32_t n : {301, 313, 504, 506, 507, 509, 510, 511, 1712, 1723, 1724, 1725, 1730,
                         1740, 3005, 3006}) {
    store.Put(Variable(n, false, OutputFormat::RealPreset()));
  }
  const CodeTable codes = CodeTable::Defaults();
  RunContext ctx;
  ctx.variables = &store;
  ctx.codes = &codes;

  Input in(data, size);
  const std::uint8_t setup = in.Byte();
  ctx.tiny_arc_as_circle = setup & 1;
  ctx.split_large_arcs = (setup >> 1) & 1;
  ctx.rigid_tap = (setup >> 2) & 1;
  ctx.rapid_feed = (setup >> 3) & 1 ? 10000 : 0;
  store.coordinates().mode = (setup >> 4) % 3;
  store.coordinates().g92_offset[2] = in.Double();
  ResetRanges(ctx);

  ToolPathRecord record;
  for (int records = 0; !in.empty() && records < 200; ++records) {
    const std::uint8_t kind = in.Byte() % 7;
    record.count = 1 + in.Byte() % 12;
    for (int i = 1; i < record.count; ++i) {
      RecordField& f = record.slots[i];
      f.id = kItems[in.Byte() % (sizeof kItems / sizeof kItems[0])];
      if (in.Byte() & 1) {
        f.kind = FieldKind::kText;
        f.text = kWords[in.Byte() % (sizeof kWords / sizeof kWords[0])];
        f.number = 0;
      } else {
        f.kind = FieldKind::kNumber;
        f.text.clear();
        f.number = in.Double();
      }
    }
    switch (kind) {
      case 0:
        HandleArc(ctx, record, [] {});
        break;
      case 1:
      case 2:
        HandleCycle(ctx, record, kind == 1 ? CycleMode::kStart : CycleMode::kPoint);
        FinishCycleSection(ctx, in.Byte() & 1);
        break;
      case 3:
        HandleCycle(ctx, record, CycleMode::kEnd);
        ResetCycle(ctx);
        break;
      case 4:
      case 5:
        HandleNurbs(ctx, record, kind == 4 ? NurbsMode::kBlock : NurbsMode::kEnd);
        break;
      default:
        // The section would have moved the tracked position.
        for (int a = 0; a < 3; ++a) store.Lookup(32 + a)->SetNumber(in.Double());
        break;
    }
  }
  return 0;
}
