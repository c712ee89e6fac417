// Reading and drawing a long NC program: a raster of straight cuts with an
// arc at every row end and a drilled row, as our posts write them.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "plot/nc_reader.h"
#include "plot/render_png.h"
#include "plot/render_svg.h"

namespace {

std::string Program(int rows) {
  std::string text = "%\nO0001\nG17 G40 G49 G80 G90\nT1 M06\nG00 G90 G54 X0. Y0. S3000 M03\nG43 Z50. H01\nG01 Z-1. F300.\n";
  char line[96];
  for (int i = 0; i < rows; ++i) {
    const double y = i * 2.0;
    std::snprintf(line, sizeof line, "X%d.\nG0%dX%d.Y%.1fR1.\nG01\n", i % 2 ? 0 : 200,
                  i % 2 ? 2 : 3, i % 2 ? 0 : 200, y + 2.0);
    text += line;
  }
  text += "G00Z50.\nG99G81X10.Y10.Z-5.R2.F100.\n";
  for (int i = 0; i < rows / 10; ++i) {
    std::snprintf(line, sizeof line, "X%d.\n", 10 + i);
    text += line;
  }
  text += "G80\nM30\n%\n";
  return text;
}

void BM_ReadNcProgram(benchmark::State& state) {
  const std::string text = Program(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    tlv::NcPath path = tlv::ReadNcProgram(text, "bench.nc");
    benchmark::DoNotOptimize(path.segments.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}
BENCHMARK(BM_ReadNcProgram)->Arg(10000)->Arg(100000);

void BM_RenderSvg(benchmark::State& state) {
  const tlv::NcPath path = tlv::ReadNcProgram(Program(10000), "bench.nc");
  for (auto _ : state) benchmark::DoNotOptimize(tlv::RenderSvg(path, {}).size());
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * path.segments.size());
}
BENCHMARK(BM_RenderSvg);

void BM_RenderPng(benchmark::State& state) {
  const tlv::NcPath path = tlv::ReadNcProgram(Program(10000), "bench.nc");
  for (auto _ : state) benchmark::DoNotOptimize(tlv::RenderPng(path, {}).size());
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * path.segments.size());
}
BENCHMARK(BM_RenderPng);

}  // namespace
BENCHMARK_MAIN();
