// A whole job on a generated tool path: definition and dictionary loading,
// the record loop with the straight-move and frame handlers, section
// expansion and the NC file, with the shipped 3-axis post.
//
//   post_run_bench [--size=MB] [--keep]
//       Generates a tool path of about MB megabytes (default 64) in a
//       temporary folder, runs the job on it once and reports MB/s,
//       records/s, the NC bytes written and the peak resident memory.
//
// The generator's arcs are posted as linear feeds to the same end points:
// arcs have no handler in this build yet.
#define TLV_BENCH_OWN_MAIN

#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench/toolpath_generate.h"
#include "definition/definition_file.h"
#include "definition/post_definition.h"
#include "definition/text_form.h"
#include "definition/variable_dictionary.h"
#include "platform/file_contents.h"
#include "platform/prompts.h"
#include "platform/record_file.h"
#include "platform/run_log.h"
#include "post/job.h"
#include "post/pipeline_job.h"
#include "post/run_messages.h"
#include "post/run_settings.h"

namespace {

namespace fs = std::filesystem;

const fs::path kDataDir = fs::path(__FILE__).parent_path().parent_path() / "data";

bool Fail(const std::string& what) {
  std::fprintf(stderr, "post_run_bench: %s\n", what.c_str());
  return false;
}

// The dictionary and the shipped definition as files in `dir`.
bool PrepareDefinition(const fs::path& dir, std::string* dictionary, std::string* definition) {
  std::string source, text, err;
  tlv::VariableDictionary dict;
  if (!tlv::ReadFileBytes((kDataDir / "dictionary.txt").string(), &source, &err) ||
      !tlv::ParseDictionarySource(source, "dictionary.txt", &dict, &err)) {
    return Fail(err);
  }
  *dictionary = (dir / "TOLvek.ini").string();
  if (!tlv::SaveDictionaryFile(*dictionary, dict, &err)) return Fail(err);
  tlv::PostDefinition def;
  if (!tlv::ReadFileBytes((kDataDir / "mc3axis.tlv.txt").string(), &text, &err) ||
      !tlv::ParseTextForm(text, "mc3axis.tlv.txt", dict, &def, &err)) {
    return Fail(err);
  }
  *definition = (dir / "mc3axis.tlv").string();
  tlv::DefinitionResult saved = tlv::SaveDefinitionFile(*definition, def);
  if (!saved.ok()) return Fail(saved.error);
  return true;
}

// The generated tool path with every arc record turned into a linear feed.
bool PrepareToolPath(const fs::path& path, long long megabytes, long long* records) {
  std::string bytes;
  tlv::RecordFile out;
  out.OpenMemoryWriter(&bytes, tlv::RecordFile::Encoding::kToken);
  tlv::bench::ToolPathGenerator generator;
  tlv::bench::GeneratedToolPath made = generator.Generate(&out, megabytes << 20);
  out.Close();
  if (!made.ok) return Fail("cannot generate the tool path");
  std::string posted;
  posted.reserve(bytes.size() + bytes.size() / 32);
  std::size_t from = 0;
  for (std::size_t at = bytes.find("_300\n"); at != std::string::npos;
       at = bytes.find("_300\n", from)) {
    posted.append(bytes, from, at - from);
    posted += "_1100\n";
    from = at + 5;
  }
  posted.append(bytes, from, std::string::npos);
  bytes.swap(posted);
  *records = made.records;
  std::string err;
  if (!tlv::WriteFileAtomically(path.string(), bytes, &err)) return Fail(err);
  return true;
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long PeakResidentKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  long long megabytes = 64;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--size=", 7) == 0) {
      megabytes = std::atoll(argv[i] + 7);
    } else if (std::strcmp(argv[i], "--keep") == 0) {
      keep = true;
    } else {
      std::fprintf(stderr, "usage: post_run_bench [--size=MB] [--keep]\n");
      return 2;
    }
  }
  if (megabytes <= 0) megabytes = 64;

  std::string pattern = (fs::temp_directory_path() / "post-run-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return Fail("cannot make a temporary folder"), 1;
  const fs::path dir = pattern;

  tlv::RunSettings settings;
  long long records = 0;
  settings.input_path = (dir / "bench.tlvstx").string();
  if (!PrepareDefinition(dir, &settings.dictionary_path, &settings.slots[0].definition_path) ||
      !PrepareToolPath(settings.input_path, megabytes, &records)) {
    return 1;
  }
  settings.slots[0].enabled = true;
  settings.slots[0].output_path = (dir / "bench.nc").string();

  tlv::RunLog log;  // not opened: the log drops its lines
  std::FILE* devnull = std::fopen("/dev/null", "w");
  tlv::RunMessages messages(&log, devnull);
  tlv::TerminalPrompts prompts(nullptr, devnull);
  tlv::JobServices services{&messages, &prompts, nullptr};
  std::unique_ptr<tlv::Job> job = tlv::MakePipelineJob();

  const double cpu_start = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  const bool ok = job->Run(settings, 0, services);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = CpuSeconds() - cpu_start;
  std::error_code ec;
  const auto input_bytes = fs::file_size(settings.input_path, ec);
  const auto nc_bytes = fs::file_size(settings.slots[0].output_path, ec);
  std::fclose(devnull);

  std::printf("job %s: %.1f MB tool path, %lld records, %.3f s (%.3f s CPU)\n",
              ok ? "ok" : "FAILED", static_cast<double>(input_bytes) / (1 << 20), records,
              seconds, cpu);
  std::printf("  %.1f MB per CPU second, %.0f records per CPU second, %.1f MB NC written, "
              "peak RSS %ld MB\n",
              static_cast<double>(input_bytes) / (1 << 20) / cpu, records / cpu,
              static_cast<double>(nc_bytes) / (1 << 20), PeakResidentKb() / 1024);
  if (keep) {
    std::printf("  files kept in %s\n", dir.c_str());
  } else {
    fs::remove_all(dir, ec);
  }
  return ok ? 0 : 1;
}
