// The process database: one process-sheet row (items 3 to 28, one
// transaction) into a real file, as a job with many processes writes them.
#include <benchmark/benchmark.h>

#include "format/variable_store.h"
#include "platform/temp_dir_for_test.h"
#include "sheet/process_database.h"

namespace {

void FillVariables(tlv::VariableStore* vars) {
  auto number = [&](std::int32_t n, double value) {
    vars->Put(tlv::Variable(n, false, tlv::OutputFormat::RealPreset())).SetNumber(value);
  };
  vars->Put(tlv::Variable(43, true, tlv::OutputFormat::RealPreset())).SetText("/nc/P1.NC");
  vars->Put(tlv::Variable(1502, true, tlv::OutputFormat::RealPreset())).SetText("END MILL D10");
  vars->Put(tlv::Variable(1507, true, tlv::OutputFormat::RealPreset())).SetText("ROUGHING");
  for (std::int32_t n : {1504, 1515, 1535, 1513, 1512, 1534, 28, 15, 29, 14, 36, 44, 37, 38,
                         39, 40, 41, 42, 45}) {
    number(n, n * 0.25);
  }
}

// Every commit waits for the disk, so this is mostly the file system's
// sync time.
void BM_SheetRow(benchmark::State& state) {
  tlv::TempDirForTest dir;
  tlv::ProcessDatabase db(dir.File("process.db"));
  if (db.DbOpen() != tlv::kDbOk) {
    state.SkipWithError(db.error().c_str());
    return;
  }
  int target = -1;
  db.AddMaster({-1, "bench", "", dir.path(), "", ""}, &target);
  tlv::VariableStore vars;
  FillVariables(&vars);
  const std::array<int, 4> comments = {0, 0, 0, 0};
  tlv::DbSavePoint point{target, 1, tlv::kDbAppend};
  std::string err;
  for (auto _ : state) {
    if (!tlv::WriteSheetRow(db, vars, comments, &point, &err)) {
      state.SkipWithError(err.c_str());
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SheetRow)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
