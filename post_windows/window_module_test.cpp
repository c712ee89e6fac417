// TLVP loads the window dialogs only when a run wants windows: checked on the
// real executable through the dynamic loader's own report of what it loads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <vector>

#include "post/testing/temp_folder.h"

namespace tlv {
namespace {

using testing::ReadTestFile;
using testing::TempFolder;

struct TlvpEnd {
  int status = -1;
  std::string err;  ///< standard error, with the loader's report
};

// Runs TLVP without arguments (it refuses at once, no dialog) under `ui`.
TlvpEnd RunTlvp(const TempFolder& dir, const std::string& ui) {
  const std::string command = "cd '" + dir.path() + "' && TLV_REGISTRY='" +
                              (dir / "registry.reg") + "' TLV_UI=" + ui +
                              " QT_QPA_PLATFORM=offscreen LD_DEBUG=libs '" TLV_BIN_DIR
                              "/TLVP' </dev/null >out.txt 2>err.txt";
  TlvpEnd run;
  const int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.err = ReadTestFile(dir / "err.txt");
  return run;
}

std::string_view FileName(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// What the loader's report on standard error says.  Its lines read
// "<pid>:\t<text>"; TLVP's own messages have no such start.
struct LoaderReport {
  std::vector<std::string> initialised;  ///< objects whose initialisers ran
  /// Lines telling of a symbol nobody answered: the loader's, and TLVP's own
  /// message when loading the module failed.
  std::vector<std::string> unresolved;
};

// True for the sanitizer runtime asking at its start for functions this C
// library may not have (old printf variants, XDR, ...): the loader reports
// each missing one as an undefined symbol of the runtime, though the runtime
// only goes without it.  Any other object's undefined symbol is a fault.
bool IsSanitizerProbe(std::string_view text) {
  const size_t colon = text.find(": error: symbol lookup error:");
  if (colon == std::string_view::npos) return false;
  const std::string_view object = FileName(text.substr(0, colon));
  return object.starts_with("libasan.so") || object.starts_with("libubsan.so");
}

LoaderReport ReadLoaderReport(std::string_view err) {
  LoaderReport report;
  while (!err.empty()) {
    const size_t end = err.find('\n');
    std::string_view line = err.substr(0, end);
    err = end == std::string_view::npos ? std::string_view() : err.substr(end + 1);

    std::string_view text;
    const size_t digits = line.find_first_not_of(' ');
    const size_t tab = line.find(":\t");
    if (digits != std::string_view::npos && tab != std::string_view::npos && tab > digits &&
        line.substr(digits, tab - digits).find_first_not_of("0123456789") ==
            std::string_view::npos) {
      text = line.substr(tab + 2);
    }
    constexpr std::string_view kInit = "calling init: ";
    if (text.starts_with(kInit)) report.initialised.emplace_back(text.substr(kInit.size()));
    if (line.find("undefined symbol") != std::string_view::npos && !IsSanitizerProbe(text)) {
      report.unresolved.emplace_back(line);
    }
  }
  return report;
}

bool Initialised(const LoaderReport& report, std::string_view name_start) {
  for (const std::string& path : report.initialised) {
    if (FileName(path).starts_with(name_start)) return true;
  }
  return false;
}

// A sanitizer build ends the run with a report; with its default exit
// status that would look like TLVP's own refusal.
void ExpectNoSanitizerReport(const std::string& err) {
  EXPECT_EQ(std::string::npos, err.find("ERROR: AddressSanitizer")) << err;
  EXPECT_EQ(std::string::npos, err.find("ERROR: LeakSanitizer")) << err;
  EXPECT_EQ(std::string::npos, err.find("runtime error:")) << err;
}

TEST(WindowModule, LoadedForWindowsAndNeverForTheTerminal) {
  TempFolder dir;
  const TlvpEnd terminal = RunTlvp(dir, "tty");
  EXPECT_EQ(1, terminal.status);
  ExpectNoSanitizerReport(terminal.err);
  EXPECT_EQ(std::string::npos, terminal.err.find("tlvp_windows.so"));
  EXPECT_EQ(std::string::npos, terminal.err.find("libQt6")) << "the toolkit was loaded";
  EXPECT_TRUE(ReadLoaderReport(terminal.err).unresolved.empty()) << terminal.err;

  const TlvpEnd window = RunTlvp(dir, "gui");
  EXPECT_EQ(1, window.status);
  ExpectNoSanitizerReport(window.err);
  const LoaderReport report = ReadLoaderReport(window.err);
  ASSERT_FALSE(report.initialised.empty()) << "no loader report:\n" << window.err;
  // The module beside TLVP itself was set up, and the toolkit with it.
  bool module_ran = false;
  for (const std::string& path : report.initialised) {
    std::error_code ec;
    module_ran = module_ran ||
                 std::filesystem::equivalent(path, TLV_BIN_DIR "/tlvp_windows.so", ec);
  }
  EXPECT_TRUE(module_ran) << window.err;
  EXPECT_TRUE(Initialised(report, "libQt6Widgets.so")) << window.err;
  // Every reference of the module was answered: no loading error, and the
  // prompts did not fall back to the terminal.
  for (const std::string& line : report.unresolved) ADD_FAILURE() << line;
  EXPECT_EQ(std::string::npos, window.err.find("no window front end is available"))
      << window.err;
}

}  // namespace
}  // namespace tlv
