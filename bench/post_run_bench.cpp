// End-to-end speed of TLVP: generated finishing tool paths posted by the real
// TLVP executable with the shipped 3-axis post, each run in a folder of its
// own with a settings file of its own, measured from outside the process.
//
//   post_run_bench [--sizes=N,N,...] [--frames=MOVES] [--tlvp=PATH]
//                  [--post=PATH] [--dict=PATH] [--work=DIR] [--keep]
//
// For each size (records of moves; default 100000,1000000,10000000) the
// program writes the tool path once, posts it (9 times below 10^6 moves, 3
// times below 10^7, keeping the median time), and prints records per CPU
// second, input MB per CPU second, the peak resident memory of TLVP, the time
// per record and a checksum of the NC program (to show that a change to the
// code left the output as it was). --frames=MOVES (default 1000000; 0 skips
// it) posts MOVES moves twice: with a few processes and tool changes, and
// with 10^4 of each spread over them, and prints both per-record times.
// A first line gives TLVP's start-up: the CPU time of a tool path of one
// move, which the time per record of a short tool path includes.
// TLVP, the post and the dictionary are found beside this program's build
// folder unless given.
#define TLV_BENCH_OWN_MAIN

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/raster_toolpath.h"

namespace {

namespace fs = std::filesystem;

struct Options {
  std::vector<int64_t> sizes{100000, 1000000, 10000000};
  int64_t frame_moves = 1000000;
  std::string tlvp, post, dict, work;
  bool keep = false;
};

struct Measured {
  bool ok = false;
  int64_t records = 0;
  int64_t input_bytes = 0;
  int64_t nc_bytes = 0;
  double wall = 0;
  double cpu = 0;
  long peak_kb = 0;
  uint64_t checksum = 0;
};

bool Fail(const std::string& what) {
  std::fprintf(stderr, "post_run_bench: %s\n", what.c_str());
  return false;
}

// FNV-1a over the file's bytes.
bool Checksum(const fs::path& path, uint64_t* sum, int64_t* size) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  uint64_t h = 0xcbf29ce484222325ULL;
  int64_t total = 0;
  std::vector<unsigned char> buf(1 << 20);
  size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0) {
    for (size_t i = 0; i < n; ++i) h = (h ^ buf[i]) * 0x100000001b3ULL;
    total += static_cast<int64_t>(n);
  }
  std::fclose(f);
  *sum = h;
  *size = total;
  return true;
}

bool WriteSettings(const fs::path& dir, const Options& opt, const fs::path& nc) {
  std::FILE* f = std::fopen((dir / "registry.reg").c_str(), "w");
  if (!f) return Fail("cannot write the settings file in " + dir.string());
  std::fprintf(f,
               "Windows Registry Editor Version 5.00\n\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n"
               "\"TLVLog\"=\"%s\"\n"
               "\"TLVIni\"=\"%s\"\n"
               "\"SavePath\"=\"%s/\"\n"
               "\"DontShowExecDlg\"=dword:00000001\n"
               "\"PrmShowCompleteMsg\"=dword:00000000\n"
               "\"PrmDeleteNullLine\"=dword:00000001\n"
               "\"PrmInputBeforeRun\"=dword:00000000\n\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet1]\n"
               "\"Name\"=\"MC3AXIS\"\n"
               "\"Validate\"=dword:00000001\n"
               "\"TLVDataFile\"=\"%s\"\n"
               "\"OutDataFile\"=\"%s\"\n\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet2]\n"
               "\"Validate\"=dword:00000000\n\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet3]\n"
               "\"Validate\"=dword:00000000\n",
               (dir / "TOLvek.log").c_str(), opt.dict.c_str(), dir.c_str(), opt.post.c_str(),
               nc.c_str());
  return std::fclose(f) == 0;
}

// Posts `source` (left in place: TLVP gets a hard link of it, which it renames
// and deletes) in `dir` and measures the child.
bool Post(const Options& opt, const fs::path& dir, const fs::path& source, Measured* m) {
  const fs::path input = dir / "part.tlvstx";
  const fs::path nc = dir / "part.nc";
  std::error_code ec;
  fs::remove(input, ec);
  fs::remove(nc, ec);
  if (::link(source.c_str(), input.c_str()) != 0) {
    fs::copy_file(source, input, fs::copy_options::overwrite_existing, ec);
    if (ec) return Fail("cannot copy " + source.string() + ": " + ec.message());
  }
  if (!WriteSettings(dir, opt, nc)) return false;
  const std::string registry = (dir / "registry.reg").string();
  const std::string out = (dir / "stdout.txt").string();

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid < 0) return Fail("cannot start TLVP");
  if (pid == 0) {
    int in = ::open("/dev/null", O_RDONLY);
    int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || o < 0 || ::chdir(dir.c_str()) != 0) _exit(126);
    ::dup2(in, 0);
    ::dup2(o, 1);
    ::setenv("TLV_REGISTRY", registry.c_str(), 1);
    ::setenv("TLV_UI", "tty", 1);
    ::execl(opt.tlvp.c_str(), "TLVP", input.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return Fail("lost the TLVP process");
  m->wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  m->cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  m->peak_kb = usage.ru_maxrss;
  m->ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
          Checksum(nc, &m->checksum, &m->nc_bytes);
  if (!m->ok) Fail("TLVP failed on " + source.string() + "; see " + out);
  return m->ok;
}

// Writes the tool path of `plan` to `path`.
bool Generate(const tlv::bench::RasterPlan& plan, const fs::path& path, Measured* m) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return Fail("cannot write " + path.string());
  tlv::bench::RasterToolPath generator;
  tlv::bench::RasterResult made = generator.Write(plan, f);
  if (std::fclose(f) != 0 || !made.ok) return Fail("cannot write " + path.string());
  m->records = made.records;
  m->input_bytes = made.bytes;
  return true;
}

void Print(const char* label, const Measured& m) {
  const double mb = static_cast<double>(m.input_bytes) / 1e6;
  std::printf("%-26s %10" PRId64 " %8.1f %7.2f %7.2f %10.0f %7.1f %8.1f %7ld %016" PRIx64 "\n",
              label, m.records, mb, m.wall, m.cpu, static_cast<double>(m.records) / m.cpu,
              mb / m.cpu, m.cpu * 1e9 / static_cast<double>(m.records), m.peak_kb / 1024,
              m.checksum);
  std::fflush(stdout);
}

// Posts `source` `runs` times and keeps the median times (a short run's CPU
// time is only as fine as the kernel's accounting, so one run says little).
bool PostRepeatedly(const Options& opt, const fs::path& dir, const fs::path& source, int runs,
                    Measured* m) {
  std::vector<double> cpu, wall;
  for (int i = 0; i < runs; ++i) {
    if (!Post(opt, dir, source, m)) return false;
    cpu.push_back(m->cpu);
    wall.push_back(m->wall);
  }
  std::sort(cpu.begin(), cpu.end());
  std::sort(wall.begin(), wall.end());
  m->cpu = cpu[cpu.size() / 2];
  m->wall = wall[wall.size() / 2];
  return true;
}

bool RunCase(const Options& opt, const fs::path& dir, const char* label,
             const tlv::bench::RasterPlan& plan, Measured* m) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  const fs::path source = dir / "generated.tlvstx";
  const int runs = plan.moves < 1000000 ? 9 : plan.moves < 10000000 ? 3 : 1;
  if (!Generate(plan, source, m) || !PostRepeatedly(opt, dir, source, runs, m)) return false;
  Print(label, *m);
  if (!opt.keep) fs::remove_all(dir, ec);
  return true;
}

std::vector<int64_t> ParseSizes(const char* text) {
  std::vector<int64_t> sizes;
  for (const char* p = text; *p;) {
    char* end = nullptr;
    long long n = std::strtoll(p, &end, 10);
    if (end == p) break;
    if (n > 0) sizes.push_back(n);
    p = *end == ',' ? end + 1 : end;
  }
  return sizes;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  // The build folder: this program lives in <build>/bench/.
  const fs::path build = fs::absolute(argv[0]).lexically_normal().parent_path().parent_path();
  opt.tlvp = (build / "bin" / "TLVP").string();
  opt.post = (build / "bin" / "samples" / "mc3axis.tlv").string();
  opt.dict = (build / "bin" / "TOLvek.ini").string();
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&](std::string_view name) -> const char* {
      return arg.substr(0, name.size()) == name ? argv[i] + name.size() : nullptr;
    };
    if (const char* v = value("--sizes=")) {
      opt.sizes = ParseSizes(v);
    } else if (const char* f = value("--frames=")) {
      opt.frame_moves = std::atoll(f);
    } else if (const char* t = value("--tlvp=")) {
      opt.tlvp = t;
    } else if (const char* p = value("--post=")) {
      opt.post = p;
    } else if (const char* d = value("--dict=")) {
      opt.dict = d;
    } else if (const char* w = value("--work=")) {
      opt.work = w;
    } else if (arg == "--keep") {
      opt.keep = true;
    } else {
      std::fprintf(stderr,
                   "usage: post_run_bench [--sizes=N,N,...] [--frames=MOVES] [--tlvp=PATH] "
                   "[--post=PATH] [--dict=PATH] [--work=DIR] [--keep]\n");
      return 2;
    }
  }
  for (const std::string* file : {&opt.tlvp, &opt.post, &opt.dict}) {
    if (!fs::exists(*file)) return Fail(*file + " does not exist; build TLVP first"), 1;
  }
  fs::path work;
  if (opt.work.empty()) {
    std::string pattern = (fs::temp_directory_path() / "post-run-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return Fail("cannot make a temporary folder"), 1;
    work = pattern;
  } else {
    work = fs::absolute(opt.work);
  }

  std::printf("TLVP %s, post %s\n", opt.tlvp.c_str(), opt.post.c_str());
  double load[3] = {0, 0, 0};
  if (getloadavg(load, 3) == 3) {
    std::printf("load average %.2f %.2f %.2f on %ld processors\n", load[0], load[1], load[2],
                sysconf(_SC_NPROCESSORS_ONLN));
  }
  bool ok = true;
  {
    // What every run pays before its first record: the time per record of
    // a short tool path includes it.
    tlv::bench::RasterPlan plan;
    plan.moves = 1;
    Measured m;
    const fs::path dir = work / "start-up";
    std::error_code ec;
    fs::create_directories(dir, ec);
    const fs::path source = dir / "generated.tlvstx";
    ok = Generate(plan, source, &m) && PostRepeatedly(opt, dir, source, 9, &m);
    if (ok) {
      std::printf("start-up: %.1f ms CPU for a tool path of one move (%" PRId64 " records)\n",
                  m.cpu * 1e3, m.records);
    }
    if (!opt.keep) fs::remove_all(dir, ec);
  }
  std::printf("%-26s %10s %8s %7s %7s %10s %7s %8s %7s %16s\n", "case", "records", "MB",
              "wall s", "cpu s", "records/s", "MB/s", "ns/rec", "peak MB", "NC checksum");
  for (int64_t size : opt.sizes) {
    tlv::bench::RasterPlan plan;
    plan.moves = size;
    Measured m;
    const std::string label = "moves " + std::to_string(size);
    ok = RunCase(opt, work / ("size-" + std::to_string(size)), label.c_str(), plan, &m) && ok;
  }
  if (opt.frame_moves > 0) {
    tlv::bench::RasterPlan few;
    few.moves = opt.frame_moves;
    tlv::bench::RasterPlan many = few;
    many.processes = 10000;
    many.tool_changes = 10000;
    Measured a, b;
    const bool both = RunCase(opt, work / "frames-few", "few processes, tools", few, &a) &&
                      RunCase(opt, work / "frames-many", "10^4 processes, tools", many, &b);
    if (both) {
      const double per_a = a.cpu / static_cast<double>(a.records);
      const double per_b = b.cpu / static_cast<double>(b.records);
      std::printf("10^4 processes and tool changes: %.2f x the time per record\n",
                  per_b / per_a);
    }
    ok = both && ok;
  }
  std::error_code ec;
  if (opt.keep) {
    std::printf("files kept in %s\n", work.c_str());
  } else if (opt.work.empty()) {
    fs::remove_all(work, ec);
  }
  return ok ? 0 : 1;
}
