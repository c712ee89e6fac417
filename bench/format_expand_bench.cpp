// The format engine's hot path: number formatting, condition evaluation and
// the expansion of a typical linear-feed section, as once per tool-path
// record.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "definition/section_compiler.h"
#include "definition/section_table.h"
#include "definition/variable_dictionary.h"
#include "definition/variable_setting.h"
#include "format/engine_output.h"
#include "format/number_format.h"
#include "format/section_expander.h"
#include "format/variable_store.h"

namespace tlv {
namespace {

// Counts what would be written, as a file writer's buffer would take it.
class CountingOutput : public EngineOutput {
 public:
  void Write(std::string_view text, bool) override { bytes += text.size(); }
  void StartSplitFile() override {}
  void EndSplitFile() override {}
  void Log(std::string_view) override {}
  void Print(std::string_view) override {}
  std::size_t bytes = 0;
};

VariableDictionary Dictionary() {
  VariableDictionary dict;
  auto put = [&](const char* name, std::int32_t id, std::int32_t kind) {
    DictionaryEntry e;
    e.name = name;
    e.text = name;
    e.id = id;
    e.kind = kind;
    e.modal_default = 1;
    e.flags = kDictInEveryDefinition;
    dict.Put(e);
  };
  put("X_CORD", 10, kKindNumber);
  put("Y_CORD", 11, kKindNumber);
  put("Z_CORD", 12, kKindNumber);
  put("F_CORD", 14, kKindNumber);
  put("G_MOVE", 19, kKindText);
  put("PREV_X", 32, kKindNumber);
  put("PREV_Y", 33, kKindNumber);
  put("PREV_Z", 34, kKindNumber);
  put("X_SRC", 51, kKindNumber);
  put("Y_SRC", 52, kKindNumber);
  put("Z_SRC", 53, kKindNumber);
  return dict;
}

struct Fixture {
  Fixture() : expander(store, output) {
    BuildVariableTable(dict, VariableSettingTable{}, &store);
    expander.set_sections(&sections);
  }
  void Compile(int id, std::string_view display) {
    sections.Find(id)->text = CompileSection(display, dict).bytes;
  }
  VariableDictionary dict = Dictionary();
  VariableStore store;
  CountingOutput output;
  SectionExpander expander;
  SectionTable sections = SectionTable::Empty();
};

void BM_FormatDigits(benchmark::State& state) {
  OutputFormat f = OutputFormat::RealPreset();
  PrintedNumber p;
  double x = 12.3456;
  for (auto _ : state) {
    FormatDigits(x, f, &p);
    benchmark::DoNotOptimize(p);
    x += 0.001;
  }
}
BENCHMARK(BM_FormatDigits);

void BM_SetNumberAndPrint(benchmark::State& state) {
  Variable v(10, false, OutputFormat::RealPreset());
  std::string out;
  out.reserve(64);
  double x = 0;
  for (auto _ : state) {
    v.SetNumber(x);
    out.clear();
    v.FormatIfDueOwn(&out, 64);
    benchmark::DoNotOptimize(out.data());
    x += 0.25;
  }
}
BENCHMARK(BM_SetNumberAndPrint);

// A coordinate word moving every time: the target compared with the
// tracked position, then the word printed and the position moved.
void BM_CoordinateWordMove(benchmark::State& state) {
  Fixture f;
  const CoordinateWord word = FindCoordinateWord(10);
  Variable& source = *f.store.Lookup(51);
  std::string out;
  out.reserve(64);
  double x = -100;
  for (auto _ : state) {
    source.SetNumber(x);
    f.store.RecalculateSource(word);
    f.store.RecalculateSource(word);
    f.store.AssignCoordinate(word);
    out.clear();
    f.store.FormatIfDue(*f.store.Lookup(10), &out, 64);
    benchmark::DoNotOptimize(out.data());
    x = x > 100 ? -100 : x + 0.5;
  }
}
BENCHMARK(BM_CoordinateWordMove);

void BM_Condition(benchmark::State& state) {
  Fixture fx;
  fx.store.Lookup(14)->SetNumber(1500);
  fx.store.Lookup(19)->SetText("G01");
  CompileResult r = CompileSection("<IF><F_CORD> > 1000 AND <G_MOVE> == \"G01\"<THEN><ENDIF>",
                                   fx.dict);
  // The condition is the text between the IF and THEN markers.
  const std::string condition = r.bytes.substr(2, r.bytes.size() - 6);
  for (auto _ : state) benchmark::DoNotOptimize(fx.expander.EvaluateCondition(condition));
}
BENCHMARK(BM_Condition);

void BM_ExpandLinearFeed(benchmark::State& state) {
  Fixture fx;
  fx.Compile(8, "{<G_MOVE>}{X<X_CORD>}{Y<Y_CORD>}{Z<Z_CORD>}{F<F_CORD>}\n");
  fx.store.Lookup(19)->SetText("G01");
  fx.store.Lookup(14)->SetNumber(1200);
  Variable* x = fx.store.Lookup(51);
  Variable* y = fx.store.Lookup(52);
  Variable* z = fx.store.Lookup(53);
  double t = 0;
  for (auto _ : state) {
    // One feed move per record: X and Y change, Z and F mostly stay.
    x->SetNumber(100.0 + t);
    y->SetNumber(50.0 - t * 0.5);
    z->SetNumber(-2.0);
    benchmark::DoNotOptimize(fx.expander.ExpandSection(8));
    t += 0.0137;
  }
  state.counters["bytes/expansion"] =
      static_cast<double>(fx.output.bytes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ExpandLinearFeed);

void BM_ExpandWithConditions(benchmark::State& state) {
  Fixture fx;
  fx.Compile(8,
             "<IF><F_CORD> > 5000<THEN>\nG00{X<X_CORD>}{Y<Y_CORD>}\n"
             "<ELSE>\n{<G_MOVE>}{X<X_CORD>}{Y<Y_CORD>}{Z<Z_CORD>}{F<F_CORD>}\n<ENDIF>\n");
  fx.store.Lookup(19)->SetText("G01");
  fx.store.Lookup(14)->SetNumber(1200);
  Variable* x = fx.store.Lookup(51);
  double t = 0;
  for (auto _ : state) {
    x->SetNumber(100.0 + t);
    benchmark::DoNotOptimize(fx.expander.ExpandSection(8));
    t += 0.0137;
  }
}
BENCHMARK(BM_ExpandWithConditions);

}  // namespace
}  // namespace tlv

BENCHMARK_MAIN();
