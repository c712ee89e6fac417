// A fresh folder under the system's temporary folder for one test, removed
// with everything in it at the end of the test.
#pragma once

#include <filesystem>
#include <string>

#include "platform/file_contents.h"

namespace tlv::testing {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tlvp-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  /// The path of `name` inside the folder.
  std::string operator/(std::string_view name) const {
    return path_ + "/" + std::string(name);
  }

 private:
  std::string path_;
};

/// Writes a file for a test; the test fails when it cannot.
inline void WriteTestFile(const std::string& path, std::string_view content) {
  std::string err;
  if (!WriteFileAtomically(path, content, &err)) {
    ADD_FAILURE() << "cannot write " << path << ": " << err;
  }
}

/// The content of a file, or "<missing>" when it cannot be read.
inline std::string ReadTestFile(const std::string& path) {
  std::string content, err;
  if (!ReadFileBytes(path, &content, &err)) return "<missing>";
  return content;
}

}  // namespace tlv::testing
