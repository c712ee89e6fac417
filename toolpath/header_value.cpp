#include "toolpath/header_value.h"

#include <charconv>
#include <cstring>

#include "platform/record_file.h"

namespace tlv {

namespace {

constexpr std::string_view kFileOpened = "ファイルを開きました。\n";
constexpr std::string_view kCodeFound = "コードが見つかりました。\n";
constexpr std::string_view kCannotOpen = "ファイルを開けません。\n";

// The scan as a state machine over pieces of the file, so a file of any size
// is scanned with one fixed buffer.
class HeaderScanner {
 public:
  explicit HeaderScanner(int32_t field_id) {
    auto r = std::to_chars(id_, id_ + sizeof id_, field_id);
    id_length_ = static_cast<size_t>(r.ptr - id_);
  }

  /// Feeds the next piece; true once the scan has ended (found, or a NUL).
  bool Feed(std::string_view piece);
  /// True once the wanted ".<id>=" was seen.
  bool found() const { return found_; }
  /// True once the scan has ended.
  bool done() const { return state_ == State::kDone; }
  const std::string& value() const { return value_; }

 private:
  enum class State {
    kLineStart,  // at the first character of a line
    kSkipLine,   // in a line that is not the wanted field
    kId,         // after ".", matching the id digits
    kEquals,     // after the id, expecting "="
    kSkipType,   // skipping the type digit and the separator
    kValue,      // collecting the value
    kDone,
  };

  State state_ = State::kLineStart;
  char id_[16];
  size_t id_length_ = 0;
  size_t matched_ = 0;
  int skipped_ = 0;
  bool found_ = false;
  std::string value_;
};

bool HeaderScanner::Feed(std::string_view piece) {
  size_t i = 0;
  const size_t n = piece.size();
  while (i < n && state_ != State::kDone) {
    char c = piece[i];
    switch (state_) {
      case State::kLineStart:
        if (c == '\0') {
          state_ = State::kDone;
        } else if (c == '.') {
          state_ = State::kId;
          matched_ = 0;
          ++i;
        } else {
          state_ = State::kSkipLine;
        }
        break;
      case State::kSkipLine: {
        // Up to the next LF, unless a NUL ends the scan first.
        const char* p = piece.data() + i;
        const void* lf = std::memchr(p, '\n', n - i);
        size_t stop = lf ? static_cast<size_t>(static_cast<const char*>(lf) - p) : n - i;
        if (std::memchr(p, '\0', stop) != nullptr) {
          state_ = State::kDone;
          break;
        }
        i += stop;
        if (lf) {
          ++i;
          state_ = State::kLineStart;
        }
        break;
      }
      case State::kId:
        if (c == id_[matched_]) {
          ++i;
          if (++matched_ == id_length_) state_ = State::kEquals;
        } else {
          state_ = State::kSkipLine;
        }
        break;
      case State::kEquals:
        if (c == '=') {
          ++i;
          state_ = State::kSkipType;
          skipped_ = 0;
          found_ = true;
        } else {
          state_ = State::kSkipLine;
        }
        break;
      case State::kSkipType:
        // The type digit and the separator; a line that ends sooner has an
        // empty value rather than taking the next line's text.
        if (c == '\r' || c == '\n' || c == '\0') {
          state_ = State::kDone;
        } else {
          ++i;
          if (++skipped_ == 2) state_ = State::kValue;
        }
        break;
      case State::kValue:
        if (c == '\r' || c == '\n' || c == '\0') {
          state_ = State::kDone;
        } else {
          if (c != ' ' && value_.size() < kMaxHeaderValueLength) value_.push_back(c);
          ++i;
        }
        break;
      case State::kDone:
        break;
    }
  }
  return state_ == State::kDone;
}

void Report(const ProgressSink& progress, int32_t field_id, std::string_view line) {
  if (field_id == kHeaderItem212 && progress) progress(line);
}

}  // namespace

std::string ScanHeaderValue(std::string_view text, int32_t field_id) {
  HeaderScanner scanner(field_id);
  scanner.Feed(text);
  return scanner.value();
}

std::string ReadHeaderValue(const std::string& path, int32_t field_id,
                            const ProgressSink& progress) {
  RecordFile file;
  if (!file.Open(path, RecordFile::Direction::kRead, RecordFile::Encoding::kToken)) {
    Report(progress, field_id, kCannotOpen);
    return std::string();
  }
  Report(progress, field_id, kFileOpened);
  HeaderScanner scanner(field_id);
  char piece[64 * 1024];
  bool done = false;
  while (!done) {
    size_t n = file.ReadBytes(piece, sizeof piece);
    if (n == 0) break;
    done = scanner.Feed(std::string_view(piece, n));
  }
  file.Close();
  if (scanner.found()) Report(progress, field_id, kCodeFound);
  return scanner.value();
}

std::vector<std::string> ReadHeaderValues(const std::string& path,
                                          std::span<const int32_t> field_ids,
                                          const ProgressSink& progress) {
  std::vector<std::string> values(field_ids.size());
  bool reports = false;
  for (int32_t id : field_ids) reports = reports || id == kHeaderItem212;
  RecordFile file;
  if (!file.Open(path, RecordFile::Direction::kRead, RecordFile::Encoding::kToken)) {
    if (reports) Report(progress, kHeaderItem212, kCannotOpen);
    return values;
  }
  if (reports) Report(progress, kHeaderItem212, kFileOpened);
  // Every item's scan sees the same pieces; the read ends when all have ended.
  std::vector<HeaderScanner> scanners;
  scanners.reserve(field_ids.size());
  for (int32_t id : field_ids) scanners.emplace_back(id);
  std::vector<char> piece(64 * 1024);
  size_t running = scanners.size();
  while (running > 0) {
    size_t n = file.ReadBytes(piece.data(), piece.size());
    if (n == 0) break;
    running = 0;
    for (HeaderScanner& scanner : scanners) {
      if (!scanner.done() && !scanner.Feed(std::string_view(piece.data(), n))) ++running;
    }
  }
  file.Close();
  bool found_212 = false;
  for (size_t i = 0; i < scanners.size(); ++i) {
    values[i] = scanners[i].value();
    found_212 = found_212 || (field_ids[i] == kHeaderItem212 && scanners[i].found());
  }
  if (found_212) Report(progress, kHeaderItem212, kCodeFound);
  return values;
}

std::string ReadHeaderValueBeside(const std::string& path, int32_t field_id,
                                  std::string_view base_path,
                                  const ProgressSink& progress) {
  size_t slash = base_path.find_last_of("/\\");
  std::string result(slash == std::string_view::npos ? std::string_view()
                                                     : base_path.substr(0, slash + 1));
  result += ReadHeaderValue(path, field_id, progress);
  return result;
}

}  // namespace tlv
