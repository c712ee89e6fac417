// TLVP loads the window dialogs only when a run wants windows: checked on the
// real executable through the dynamic loader's own report of what it loads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

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

TEST(WindowModule, LoadedForWindowsAndNeverForTheTerminal) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer runtime's own loader report differs; checked in the normal build.
  GTEST_SKIP();
#endif
  TempFolder dir;
  const TlvpEnd terminal = RunTlvp(dir, "tty");
  EXPECT_EQ(1, terminal.status);
  EXPECT_EQ(std::string::npos, terminal.err.find("tlvp_windows.so"));
  EXPECT_EQ(std::string::npos, terminal.err.find("libQt6")) << "the toolkit was loaded";

  const TlvpEnd window = RunTlvp(dir, "gui");
  EXPECT_EQ(1, window.status);
  EXPECT_NE(std::string::npos, window.err.find("tlvp_windows.so"));
  EXPECT_NE(std::string::npos, window.err.find("libQt6Widgets"));
  // Every reference of the module was answered: no loading error, and the
  // prompts did not fall back to the terminal.
  EXPECT_EQ(std::string::npos, window.err.find("undefined symbol")) << window.err;
  EXPECT_EQ(std::string::npos, window.err.find("no window front end is available"))
      << window.err;
}

}  // namespace
}  // namespace tlv
