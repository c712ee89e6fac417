// Express: compiling a formula, and the hot use of a compiled one (set the
// input, run, read the result), which every formatted number goes through.
#include <benchmark/benchmark.h>

#include "express/evaluate.h"
#include "express/express.h"

namespace {

void BM_CompileFormatFormula(benchmark::State& state) {
  tlv::ExpressProgram program;
  for (auto _ : state) {
    int rc = program.Compile("a = a/25.4;", true);
    benchmark::DoNotOptimize(rc);
  }
}
BENCHMARK(BM_CompileFormatFormula);

void BM_CompileUserFormula(benchmark::State& state) {
  tlv::ExpressProgram program;
  for (auto _ : state) {
    int rc = program.Compile(
        "_2101 = SQRT(POW(_51 - _61, 2) + POW(_52 - _62, 2)); _2102 = _2101 / _14 * 60;", true);
    benchmark::DoNotOptimize(rc);
  }
}
BENCHMARK(BM_CompileUserFormula);

void BM_RunCompiledByHandle(benchmark::State& state) {
  tlv::ExpressProgram program;
  program.Compile("a = a*2;", true);
  const tlv::SymbolHandle a = program.Find("a");
  double x = 1.0;
  for (auto _ : state) {
    program.SetNumber(a, x);
    program.Run();
    program.GetNumber(a, &x);
    if (x > 1e300) x = 1.0;
    benchmark::DoNotOptimize(x);
  }
}
BENCHMARK(BM_RunCompiledByHandle);

void BM_RunCompiledByName(benchmark::State& state) {
  tlv::ExpressProgram program;
  program.Compile("a = a*2;", true);
  double x = 1.0;
  for (auto _ : state) {
    program.SetNumber("a", x);
    program.Run();
    program.GetNumber("a", &x);
    if (x > 1e300) x = 1.0;
    benchmark::DoNotOptimize(x);
  }
}
BENCHMARK(BM_RunCompiledByName);

void BM_RunTrigonometry(benchmark::State& state) {
  tlv::ExpressProgram program;
  program.Compile("y = r * SIN(t) + c; x = r * COS(t) + c;", true);
  const tlv::SymbolHandle t = program.Find("t");
  program.SetNumber("r", 10);
  program.SetNumber("c", 5);
  double angle = 0;
  for (auto _ : state) {
    program.SetNumber(t, angle);
    program.Run();
    angle += 1;
  }
}
BENCHMARK(BM_RunTrigonometry);

void BM_EvaluateText(benchmark::State& state) {
  tlv::Value result;
  for (auto _ : state) {
    auto r = tlv::Evaluate("1 + 2 * 3 > 6 AND 1", std::span<tlv::Value>(&result, 1));
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_EvaluateText);

}  // namespace

BENCHMARK_MAIN();
