#ifndef TLV_PLATFORM_TEMP_DIR_FOR_TEST_H_
#define TLV_PLATFORM_TEMP_DIR_FOR_TEST_H_

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace tlv {

/// A fresh folder under $TMPDIR (or /tmp) for one test, removed with all it
/// holds when the object goes away.  For tests only.
class TempDirForTest {
 public:
  TempDirForTest() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tlv-test-XXXXXX";
    if (char* made = ::mkdtemp(pattern.data())) path_ = made;
  }
  ~TempDirForTest() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempDirForTest(const TempDirForTest&) = delete;
  TempDirForTest& operator=(const TempDirForTest&) = delete;

  const std::string& path() const { return path_; }
  /// path() + "/" + name.
  std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

}  // namespace tlv

#endif  // TLV_PLATFORM_TEMP_DIR_FOR_TEST_H_
