#include "toolpath/header_cursor.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace tlv {

HeaderCursor::HeaderCursor(int32_t kind, size_t buffer_size, size_t max_kept)
    : max_kept_(std::max<size_t>(max_kept, 1)), own_(std::max<size_t>(buffer_size, 32)) {
  Watch(kind);
}

HeaderCursor::~HeaderCursor() {
  if (fd_ >= 0) ::close(fd_);
}

bool HeaderCursor::Open(const std::string& path, int64_t start) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  start = std::max<int64_t>(start, 0);
  if (start > 0 && ::lseek(fd_, start, SEEK_SET) != start) {
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  data_ = own_.data();
  size_ = scan_ = 0;
  base_ = start;
  line_start_ = true;
  end_ = exhausted_ = false;
  return true;
}

bool HeaderCursor::OpenMemory(std::string_view bytes, int64_t start) {
  data_ = bytes.data();
  size_ = bytes.size();
  scan_ = static_cast<size_t>(std::clamp<int64_t>(start, 0, static_cast<int64_t>(size_)));
  base_ = 0;
  line_start_ = true;
  end_ = true;
  exhausted_ = false;
  return true;
}

bool HeaderCursor::Watch(int32_t kind) {
  if (Find(kind)) return true;
  if (asked_ || kinds_.size() == kMaxKinds) return false;
  Kind k;
  k.kind = kind;
  auto r = std::to_chars(k.digits, k.digits + sizeof k.digits, kind);
  k.digit_count = static_cast<size_t>(r.ptr - k.digits);
  kinds_.push_back(std::move(k));
  return true;
}

const HeaderCursor::Kind* HeaderCursor::Find(int32_t kind) const {
  for (const Kind& k : kinds_) {
    if (k.kind == kind) return &k;
  }
  return nullptr;
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

HeaderCursor::Kind* HeaderCursor::KindAt(size_t at, bool* more) {
  // "_", the digits of a kind, then LF, CR LF, or CR or nothing at the end.
  // The longest header text of a kind and its line end must be buffered to
  // tell.
  constexpr size_t kLongest = 1 + sizeof Kind::digits + 2;
  *more = !end_ && size_ - at < kLongest;
  if (*more) return nullptr;
  for (Kind& k : kinds_) {
    const size_t digits_end = at + 1 + k.digit_count;
    if (digits_end > size_) continue;
    size_t i = 0;
    while (i < k.digit_count && data_[at + 1 + i] == k.digits[i]) ++i;
    if (i < k.digit_count) continue;
    if (digits_end == size_) return &k;  // the end of the data
    const char c = data_[digits_end];
    if (c == '\n') return &k;
    if (c != '\r') continue;
    if (digits_end + 1 == size_ || data_[digits_end + 1] == '\n') return &k;
  }
  return nullptr;
}

bool HeaderCursor::ScanToNextHeader() {
  if (exhausted_) return false;
  for (;;) {
    const void* hit =
        scan_ < size_ ? std::memchr(data_ + scan_, '_', size_ - scan_) : nullptr;
    if (hit == nullptr) {
      // Nothing in what is buffered: keep the last byte to know whether the
      // next piece starts a line.
      scan_ = size_;
      if (!Refill(size_)) {
        exhausted_ = true;
        return false;
      }
      continue;
    }
    const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - data_);
    const bool at_line_start = at == 0 ? line_start_ : data_[at - 1] == '\n';
    if (!at_line_start) {
      scan_ = at + 1;
      continue;
    }
    bool more = false;
    Kind* kind = KindAt(at, &more);
    if (more) {
      // The header runs past the buffer: read on, keeping it whole.
      scan_ = at;
      if (!Refill(at)) end_ = true;
      continue;
    }
    scan_ = at + 1;
    // A kind that dropped a header keeps nothing after it: what it kept
    // must be every header of the kind up to its last one.
    if (kind == nullptr || kind->dropped) continue;
    // No question will go back before the latest one.
    while (!kind->found.empty() && kind->found.front() < last_offset_) kind->found.pop_front();
    if (kind->found.size() < max_kept_) {
      kind->found.push_back(base_ + static_cast<int64_t>(at));
    } else {
      kind->dropped = true;
    }
    return true;
  }
}

int64_t HeaderCursor::NextAtOrAfter(int32_t kind, int64_t offset) {
  asked_ = true;
  last_offset_ = std::max(last_offset_, offset);
  Kind* k = Find(kind);
  if (k == nullptr) return kUnknown;
  for (;;) {
    while (!k->found.empty() && k->found.front() < offset) k->found.pop_front();
    if (!k->found.empty()) return k->found.front();
    if (k->dropped) return kUnknown;
    if (!ScanToNextHeader()) return kNone;
  }
}

}  // namespace tlv
