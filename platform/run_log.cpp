#include "platform/run_log.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/numbers.h"

namespace tlv {

namespace {

// Appends printf(spec, value) for a spec we built ourselves from known parts.
template <typename T>
void AppendFormatted(std::string* out, const char* spec, T value) {
  char buffer[512];
  int n = std::snprintf(buffer, sizeof(buffer), spec, value);
  if (n < 0) return;
  if (static_cast<std::size_t>(n) < sizeof(buffer)) {
    out->append(buffer, static_cast<std::size_t>(n));
    return;
  }
  // Huge width or precision: format again into a buffer of the right size.
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), spec, value);
  big.resize(static_cast<std::size_t>(n));
  out->append(big);
}

// Pads `text` to `width` like %s does (left-justified with '-').
void AppendPadded(std::string* out, std::string_view text, long width,
                  bool left) {
  std::size_t pad = width > 0 && static_cast<std::size_t>(width) > text.size()
                        ? static_cast<std::size_t>(width) - text.size()
                        : 0;
  if (!left) out->append(pad, ' ');
  out->append(text);
  if (left) out->append(pad, ' ');
}

// Digits in a width or precision beyond this are almost surely a mistake;
// capping them keeps a bad format from asking for gigabytes.
constexpr long kMaxField = 4096;

}  // namespace

std::string FormatMessage(std::string_view format, LogArg a, LogArg b) {
  const LogArg* args[2] = {&a, &b};
  std::size_t next = 0;
  std::string out;
  out.reserve(format.size() + 64);
  std::size_t i = 0;
  while (i < format.size()) {
    char c = format[i];
    if (c != '%') {
      out.push_back(c);
      ++i;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out.push_back('%');
      i += 2;
      continue;
    }
    // Parses  '%' [flags] [width] ['.' precision] [length] conversion
    std::size_t start = i++;
    std::string flags;
    while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string_view::npos) {
      if (flags.size() < 5) flags.push_back(format[i]);
      ++i;
    }
    long width = -1;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
      width = (width < 0 ? 0 : width) * 10 + (format[i] - '0');
      if (width > kMaxField) width = kMaxField;
      ++i;
    }
    long precision = -1;
    if (i < format.size() && format[i] == '.') {
      ++i;
      precision = 0;
      while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
        precision = precision * 10 + (format[i] - '0');
        if (precision > kMaxField) precision = kMaxField;
        ++i;
      }
    }
    while (i < format.size() && std::string_view("hlLqjzt").find(format[i]) != std::string_view::npos) ++i;
    char conv = i < format.size() ? format[i] : '\0';
    bool known = std::string_view("sdiuxXcfFgGeE").find(conv) != std::string_view::npos && conv != '\0';
    if (!known || next >= 2 || args[next]->kind() == LogArg::Kind::kNone) {
      // Copy what we do not understand, or cannot feed, as it stands.
      std::size_t end = conv != '\0' ? i + 1 : i;
      out.append(format.substr(start, end - start));
      i = end;
      continue;
    }
    ++i;
    const LogArg& arg = *args[next++];
    if (conv == 'd' || conv == 'i' || conv == 'u') {
      // '#' has no meaning for decimal integers (and is undefined there).
      std::erase(flags, '#');
    }
    std::string spec = "%" + flags;
    if (width >= 0) spec += std::to_string(width);
    if (precision >= 0) spec += "." + std::to_string(precision);

    std::int64_t as_int = arg.kind() == LogArg::Kind::kInt ? arg.int_value()
                          : arg.kind() == LogArg::Kind::kDouble
                              ? static_cast<std::int64_t>(arg.double_value())
                              : ParseLeadingInt(arg.text());
    double as_double = arg.kind() == LogArg::Kind::kDouble ? arg.double_value()
                       : arg.kind() == LogArg::Kind::kInt
                           ? static_cast<double>(arg.int_value())
                           : ParseLeadingDouble(arg.text());
    switch (conv) {
      case 's': {
        std::string text;
        if (arg.kind() == LogArg::Kind::kText) {
          text = arg.text();
        } else if (arg.kind() == LogArg::Kind::kInt) {
          text = std::to_string(arg.int_value());
        } else {
          AppendFormatted(&text, "%g", arg.double_value());
        }
        std::string_view shown = text;
        if (precision >= 0 && shown.size() > static_cast<std::size_t>(precision)) {
          shown = shown.substr(0, static_cast<std::size_t>(precision));
        }
        AppendPadded(&out, shown, width, flags.find('-') != std::string::npos);
        break;
      }
      case 'c': {
        char one = static_cast<char>(static_cast<unsigned char>(as_int));
        AppendPadded(&out, std::string_view(&one, 1), width,
                     flags.find('-') != std::string::npos);
        break;
      }
      case 'd':
      case 'i':
        AppendFormatted(&out, (spec + PRId64).c_str(), as_int);
        break;
      case 'u':
      case 'x':
      case 'X': {
        // Unsigned conversions see the 32-bit pattern, as the original's
        // int arguments would.
        std::uint64_t value = static_cast<std::uint32_t>(as_int);
        const char* length = conv == 'u' ? PRIu64 : conv == 'x' ? PRIx64 : PRIX64;
        AppendFormatted(&out, (spec + length).c_str(), value);
        break;
      }
      default:
        AppendFormatted(&out, (spec + conv).c_str(), as_double);
        break;
    }
  }
  return out;
}

RunLog::~RunLog() { CloseFile(); }

RunLog::RunLog(RunLog&& other) noexcept
    : path_(std::move(other.path_)), fd_(other.fd_) {
  other.path_.clear();
  other.fd_ = -1;
}

RunLog& RunLog::operator=(RunLog&& other) noexcept {
  if (this != &other) {
    CloseFile();
    path_ = std::move(other.path_);
    fd_ = other.fd_;
    other.path_.clear();
    other.fd_ = -1;
  }
  return *this;
}

void RunLog::CloseFile() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool RunLog::Open(std::string path, std::string* err) {
  CloseFile();
  path_ = std::move(path);
  fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    if (err) *err = path_ + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

int RunLog::Descriptor() {
  if (fd_ >= 0) {
    // Someone removed the file (cleaning up): start it again under its name
    // rather than write into a file nobody can see.
    struct stat st;
    if (::fstat(fd_, &st) != 0 || st.st_nlink == 0) CloseFile();
  }
  if (fd_ < 0) fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  return fd_;
}

bool RunLog::Write(std::string_view text) {
  if (path_.empty()) return false;
  // Kept open for appending and written at once, unbuffered: another program
  // may read the log while we run, and a crash loses nothing already
  // reported.
  const int fd = Descriptor();
  if (fd < 0) return false;
  const char* data = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    ssize_t n = ::write(fd, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

bool RunLog::Printf(std::string_view format, LogArg a, LogArg b) {
  return Write(FormatMessage(format, a, b));
}

}  // namespace tlv
