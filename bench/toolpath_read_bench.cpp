// Reading speed of the tool-path reader, the innermost loop of every run.
//
//   toolpath_read_bench [--size=MB] [--file=PATH] [--keep]
//       Generates a tool-path file of about MB megabytes (default 1024) into a
//       temporary folder, or uses PATH (generated there when it does not
//       exist), reads it record by record and reports MB/s, records/s and
//       the peak resident memory.
//   toolpath_read_bench --micro [Google Benchmark options]
//       Micro-benchmarks of line reading, number reading, record reading and
//       token writing in memory.
#define TLV_BENCH_OWN_MAIN

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/toolpath_generate.h"
#include "platform/numbers.h"
#include "platform/record_file.h"
#include "toolpath/tool_path_reader.h"

namespace {

using tlv::RecordFile;
using tlv::ToolPathReader;
using tlv::ToolPathRecord;

// User plus system time of this process so far, in seconds: on a busy
// machine MB per CPU second shows the reader's own speed.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

std::string GenerateInMemory(int64_t bytes) {
  std::string text;
  RecordFile out;
  out.OpenMemoryWriter(&text, RecordFile::Encoding::kToken);
  tlv::bench::ToolPathGenerator generator;
  generator.Generate(&out, bytes);
  out.Close();
  return text;
}

const std::string& SampleText() {
  static const std::string text = GenerateInMemory(16 << 20);
  return text;
}

void BM_ReadLine(benchmark::State& state) {
  const std::string& text = SampleText();
  for (auto _ : state) {
    RecordFile in;
    in.OpenMemory(text, RecordFile::Encoding::kToken);
    std::string_view line;
    size_t total = 0;
    while (in.ReadLine(&line, ToolPathReader::kMaxLineLength)) total += line.size();
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadLine);

void BM_ReadNextRecord(benchmark::State& state) {
  const std::string& text = SampleText();
  ToolPathRecord record;
  for (auto _ : state) {
    ToolPathReader reader;
    reader.OpenMemory(text);
    int64_t records = 0;
    while (reader.ReadNextRecord(&record) > 0) ++records;
    benchmark::DoNotOptimize(records);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadNextRecord);

void BM_ParseLeadingDouble(benchmark::State& state) {
  const char* texts[] = {"123.4567", "-12.5000", "0.0000", "1200.0", " 3.25", "-199.9999", "8000", "12"};
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tlv::ParseLeadingDouble(texts[i++ & 7]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseLeadingDouble);

void BM_ParseLeadingInt(benchmark::State& state) {
  const char* texts[] = {"512", "1100", "14", "19", "-3", " 7", "1504", "0"};
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tlv::ParseLeadingInt(texts[i++ & 7]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseLeadingInt);

// The NC output side: many small token writes through the same stream.
void BM_WriteTokens(benchmark::State& state) {
  std::string sink;
  for (auto _ : state) {
    RecordFile out;
    out.OpenMemoryWriter(&sink, RecordFile::Encoding::kToken);
    for (int i = 0; i < 100000; ++i) {
      out.WriteString("N");
      out.WriteInt(i);
      out.WriteString("G01X");
      out.WriteString("123.456");
      out.WriteString("Y-12.5\n");
    }
    out.Close();
    benchmark::DoNotOptimize(sink.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sink.size()));
}
BENCHMARK(BM_WriteTokens);

int RunFileBenchmark(int64_t megabytes, std::string path, bool keep) {
  std::string temp_dir;
  if (path.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "toolpath_bench_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::fprintf(stderr, "cannot create a temporary folder\n");
      return 1;
    }
    temp_dir = pattern;
    path = temp_dir + "/bench.temp";
  }
  if (!std::filesystem::exists(path)) {
    auto start = std::chrono::steady_clock::now();
    RecordFile out;
    if (!out.Open(path, RecordFile::Direction::kWrite, RecordFile::Encoding::kToken)) {
      std::fprintf(stderr, "%s: cannot create\n", path.c_str());
      return 1;
    }
    tlv::bench::ToolPathGenerator generator;
    tlv::bench::GeneratedToolPath made = generator.Generate(&out, megabytes << 20);
    if (!out.Close() || !made.ok) {
      std::fprintf(stderr, "%s: write failed\n", path.c_str());
      return 1;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("generated %s: %.1f MB, %lld records in %.2f s\n", path.c_str(),
                static_cast<double>(made.bytes) / 1e6, static_cast<long long>(made.records), seconds);
  }
  long rss_before = PeakRssKb();

  ToolPathReader reader;
  if (!reader.Open(path)) {
    std::fprintf(stderr, "%s: cannot open\n", path.c_str());
    return 1;
  }
  ToolPathRecord record;
  int64_t records = 0;
  int64_t fields = 0;
  double checksum = 0;
  double cpu_start = CpuSeconds();
  auto start = std::chrono::steady_clock::now();
  while (reader.ReadNextRecord(&record) > 0) {
    ++records;
    fields += record.count - 1;
    if (record.count > 1) checksum += record.slots[1].number;
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  double cpu_seconds = CpuSeconds() - cpu_start;
  reader.Close();
  double bytes = static_cast<double>(std::filesystem::file_size(path));
  std::printf("read %.1f MB: %lld records, %lld fields in %.3f s (checksum %.4f)\n", bytes / 1e6,
              static_cast<long long>(records), static_cast<long long>(fields), seconds, checksum);
  std::printf("  %.1f MB/s, %.2f M records/s (%.1f MB per CPU second)\n", bytes / 1e6 / seconds,
              static_cast<double>(records) / 1e6 / seconds, bytes / 1e6 / cpu_seconds);
  std::printf("  peak RSS %ld KB before reading, %ld KB after\n", rss_before, PeakRssKb());
  if (!temp_dir.empty() && !keep) std::filesystem::remove_all(temp_dir);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int64_t megabytes = 1024;
  std::string path;
  bool keep = false;
  bool micro = false;
  std::vector<char*> rest = {argv[0]};
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.rfind("--size=", 0) == 0) {
      megabytes = std::atoll(arg.c_str() + 7);
      if (megabytes <= 0) {
        std::fprintf(stderr, "--size wants a positive number of megabytes\n");
        return 1;
      }
    } else if (arg.rfind("--file=", 0) == 0) {
      path = arg.substr(7);
    } else if (arg == "--keep") {
      keep = true;
    } else if (arg == "--micro") {
      micro = true;
    } else {
      rest.push_back(argv[i]);
    }
  }
  if (micro) {
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
  }
  return RunFileBenchmark(megabytes, path, keep);
}
