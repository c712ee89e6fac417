#include "toolpath/header_cursor.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace tlv {

HeaderCursor::HeaderCursor(int32_t kind, size_t buffer_size)
    : kind_(kind), own_(std::max<size_t>(buffer_size, 32)) {
  auto r = std::to_chars(digits_, digits_ + sizeof digits_, kind);
  digit_count_ = static_cast<size_t>(r.ptr - digits_);
}

HeaderCursor::~HeaderCursor() {
  if (fd_ >= 0) ::close(fd_);
}

bool HeaderCursor::Open(const std::string& path) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  memory_ = false;
  data_ = own_.data();
  size_ = scan_ = 0;
  base_ = 0;
  line_start_ = true;
  end_ = exhausted_ = false;
  found_ = kNone;
  return true;
}

bool HeaderCursor::OpenMemory(std::string_view bytes) {
  memory_ = true;
  data_ = bytes.data();
  size_ = bytes.size();
  scan_ = 0;
  base_ = 0;
  line_start_ = true;
  end_ = true;
  exhausted_ = false;
  found_ = kNone;
  return true;
}

bool HeaderCursor::Refill(size_t keep) {
  if (end_) return false;
  // Keep data_[keep, size_) at the front, then fill the rest.
  const size_t kept = size_ - keep;
  if (keep > 0) {
    line_start_ = data_[keep - 1] == '\n';
    std::memmove(own_.data(), own_.data() + keep, kept);
    base_ += static_cast<int64_t>(keep);
    scan_ -= keep;
  }
  const size_t want = own_.size() - kept;
  size_t n = 0;
  while (n < want) {
    const ssize_t got = ::read(fd_, own_.data() + kept + n, want - n);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      end_ = true;
      break;
    }
    n += static_cast<size_t>(got);
  }
  size_ = kept + n;
  return n > 0;
}

int HeaderCursor::Matches(size_t at) const {
  // "_", the digits, then LF, CR LF, or CR or nothing at the end.
  const size_t digits_end = at + 1 + digit_count_;
  if (digits_end > size_) {
    if (!end_) return -1;
    return 0;
  }
  // A few digits: compared in place rather than by a call.
  for (size_t i = 0; i < digit_count_; ++i) {
    if (data_[at + 1 + i] != digits_[i]) return 0;
  }
  if (digits_end == size_) return end_ ? 1 : -1;
  const char c = data_[digits_end];
  if (c == '\n') return 1;
  if (c != '\r') return 0;
  if (digits_end + 1 == size_) return end_ ? 1 : -1;
  return data_[digits_end + 1] == '\n' ? 1 : 0;
}

int64_t HeaderCursor::NextAtOrAfter(int64_t offset) {
  if (found_ != kNone && found_ >= offset) return found_;
  if (exhausted_) return kNone;
  for (;;) {
    const void* hit =
        scan_ < size_ ? std::memchr(data_ + scan_, '_', size_ - scan_) : nullptr;
    if (hit == nullptr) {
      // Nothing in what is buffered: keep the last byte to know whether the
      // next piece starts a line.
      scan_ = size_;
      if (!Refill(size_)) {
        exhausted_ = true;
        return kNone;
      }
      continue;
    }
    const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - data_);
    const bool at_line_start = at == 0 ? line_start_ : data_[at - 1] == '\n';
    if (!at_line_start || base_ + static_cast<int64_t>(at) < offset) {
      scan_ = at + 1;
      continue;
    }
    const int match = Matches(at);
    if (match < 0) {
      // The header runs past the buffer: read on, keeping it whole.
      scan_ = at;
      if (!Refill(at)) end_ = true;
      continue;
    }
    scan_ = at + 1;
    if (match == 1) {
      found_ = base_ + static_cast<int64_t>(at);
      return found_;
    }
  }
}

}  // namespace tlv
