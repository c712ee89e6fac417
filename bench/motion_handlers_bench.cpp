// Throughput of the straight-move, arc, canned-cycle and NURBS handlers on a job's
// machine state, in the steady state of a long tool path.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <initializer_list>

#include "definition/code_table.h"
#include "format/variable_store.h"
#include "motion/arc.h"
#include "motion/cycle.h"
#include "motion/motion_core.h"
#include "motion/nurbs.h"
#include "motion/straight_move.h"
#include "toolpath/tool_path_record.h"

namespace tlv {
namespace {

struct Job {
  Job() {
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
    ctx.variables = &store;
    ctx.codes = &codes;
    ResetRanges(ctx);
  }
  VariableStore store;
  CodeTable codes = CodeTable::Defaults();
  RunContext ctx;
};

struct Item {
  std::int32_t id;
  double number;
  const char* text = nullptr;
};

ToolPathRecord Make(std::int32_t kind, std::initializer_list<Item> items) {
  ToolPathRecord r;
  r.slots[0].id = kind;
  r.count = 1;
  for (const Item& i : items) {
    RecordField& f = r.slots[r.count++];
    f.id = i.id;
    f.kind = i.text ? FieldKind::kText : FieldKind::kNumber;
    if (i.text) f.text = i.text;
    f.number = i.number;
  }
  return r;
}

// A raster feed move (X and Z change, the motion word repeated), with the
// code table looked up by key (0) or resolved once for the job (1).
void BM_StraightFeed(benchmark::State& state) {
  Job job;
  if (state.range(0) == 1) job.ctx.ResolveCodes();
  ToolPathRecord r = Make(1100, {{19, 0, "G01"}, {512, 0}, {513, -75}, {514, -8}, {801, 0.065}});
  double x = -100;
  for (auto _ : state) {
    r.slots[2].number = x;
    r.slots[4].number = -8 + x * 0.01;
    HandleStraightMove(job.ctx, r, StraightMode::kFeed);
    x = x > 100 ? -100 : x + 0.5;
  }
}
BENCHMARK(BM_StraightFeed)->Arg(0)->Arg(1);

void BM_Arc(benchmark::State& state) {
  Job job;
  job.ctx.split_large_arcs = static_cast<int>(state.range(0));
  const ToolPathRecord arc =
      Make(kArcFeed, {{20, 0, "G03"}, {14, 400}, {301, 270}, {305, 12.3456}, {306, 17.5},
                      {307, 50.1234}, {308, 40.5678}, {309, -3.5}, {310, 52.2674}, {311, 28.4097},
                      {312, -3.5}, {313, 1}});
  int halves = 0;
  const ArcSectionWriter first = [&halves] { ++halves; };
  for (auto _ : state) {
    job.store.Lookup(32)->SetNumber(61.898);
    job.store.Lookup(33)->SetNumber(44.277);
    benchmark::DoNotOptimize(HandleArc(job.ctx, arc, first));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Arc)->Arg(0)->Arg(1);

void BM_CyclePoint(benchmark::State& state) {
  Job job;
  HandleCycle(job.ctx,
              Make(kCycleSecondForm, {{21, 0, "G83"}, {22, 0, "G99"}, {512, 0}, {513, 0},
                                      {514, -0.5}, {501, 3}, {503, 20}, {506, 4}, {507, 1},
                                      {14, 120}}),
              CycleMode::kStart);
  const ToolPathRecord point = Make(kCycle, {{512, 80}, {513, 60}});
  for (auto _ : state) {
    HandleCycle(job.ctx, point, CycleMode::kPoint);
    benchmark::DoNotOptimize(FinishCycleSection(job.ctx, true));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CyclePoint);

void BM_NurbsBlock(benchmark::State& state) {
  Job job;
  const ToolPathRecord block = Make(kNurbsSpan, {{1720, 30}, {1721, 75}, {1722, -1.5},
                                                 {1730, 1}, {1740, 0.25}, {14, 300}});
  for (auto _ : state) HandleNurbs(job.ctx, block, NurbsMode::kBlock);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NurbsBlock);

}  // namespace
}  // namespace tlv

BENCHMARK_MAIN();
