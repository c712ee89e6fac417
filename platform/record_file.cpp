#include "platform/record_file.h"

#include "platform/numbers.h"

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace tlv {

namespace {

// White space as isspace() sees it in the "C" locale.
inline bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }


// The token separators: equals sign, blank, tab, line feed.
inline bool IsSeparator(char c) { return c == '=' || c == ' ' || c == '\t' || c == '\n'; }


template <typename T>
T FromLittleEndian(T value) {
  if constexpr (std::endian::native == std::endian::big) {
    auto bytes = std::bit_cast<std::array<unsigned char, sizeof(T)>>(value);
    std::reverse(bytes.begin(), bytes.end());
    return std::bit_cast<T>(bytes);
  }
  return value;
}

}  // namespace

// --- RecordFile ------------------------------------------------------------

RecordFile::RecordFile() : RecordFile(kDefaultBufferSize) {}

RecordFile::RecordFile(size_t buffer_size)
    : buffer_size_(std::max<size_t>(buffer_size, 16)) {}

RecordFile::~RecordFile() { Close(); }

void RecordFile::Reset() {
  path_.clear();
  open_ = false;
  failed_ = false;
  eof_ = false;
  fd_ = -1;
  buf_ = nullptr;
  wbuf_ = nullptr;
  pos_ = end_ = 0;
  base_ = 0;
  memory_ = false;
  sink_ = nullptr;
  last_ = saved_ = 0;
}

bool RecordFile::Open(const std::string& path, Direction direction, Encoding encoding) {
  Close();
  Reset();
  path_ = path;
  direction_ = direction;
  encoding_ = encoding;
  int flags = direction == Direction::kRead ? O_RDONLY : (O_WRONLY | O_CREAT | O_TRUNC);
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    failed_ = true;
    return false;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    failed_ = true;
    return false;
  }
  if (direction == Direction::kRead) {
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  }
  fd_ = fd;
  own_buffer_.resize(buffer_size_);
  buf_ = own_buffer_.data();
  wbuf_ = own_buffer_.data();
  scratch_.reserve(kStringBufferSize + 1);
  open_ = true;
  return true;
}

bool RecordFile::OpenMemory(std::string_view bytes, Encoding encoding) {
  Close();
  Reset();
  direction_ = Direction::kRead;
  encoding_ = encoding;
  memory_ = true;
  buf_ = bytes.data();
  end_ = bytes.size();
  scratch_.reserve(kStringBufferSize + 1);
  open_ = true;
  return true;
}

bool RecordFile::OpenMemoryWriter(std::string* sink, Encoding encoding) {
  Close();
  Reset();
  direction_ = Direction::kWrite;
  encoding_ = encoding;
  if (sink == nullptr) {
    failed_ = true;
    return false;
  }
  memory_ = true;
  sink_ = sink;
  base_ = last_ = saved_ = static_cast<int64_t>(sink_->size());
  own_buffer_.resize(buffer_size_);
  buf_ = own_buffer_.data();
  wbuf_ = own_buffer_.data();
  open_ = true;
  return true;
}

bool RecordFile::Flush() {
  if (!open_ || direction_ != Direction::kWrite) return !failed_;
  FlushBuffer();
  return !failed_;
}

bool RecordFile::Close() {
  if (!open_) return true;
  if (direction_ == Direction::kWrite) FlushBuffer();
  if (fd_ >= 0) {
    // A close error on a writer can be a delayed write error (NFS, quota).
    if (::close(fd_) != 0 && direction_ == Direction::kWrite) failed_ = true;
    fd_ = -1;
  }
  bool ok = !failed_;
  std::string keep_path = std::move(path_);
  Reset();
  path_ = std::move(keep_path);
  return ok;
}

// --- Reading ---------------------------------------------------------------

bool RecordFile::Fill() {
  if (!open_ || direction_ != Direction::kRead || memory_) return false;
  base_ += static_cast<int64_t>(end_);
  pos_ = end_ = 0;
  ssize_t n;
  do {
    n = ::read(fd_, own_buffer_.data(), buffer_size_);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    failed_ = true;
    return false;
  }
  end_ = static_cast<size_t>(n);
  return n > 0;
}

int RecordFile::PeekAfterFill() {
  if (!open_ || direction_ != Direction::kRead) return -1;
  if (pos_ == end_ && !Fill()) {
    eof_ = true;
    return -1;
  }
  return static_cast<unsigned char>(buf_[pos_]);
}

bool RecordFile::ReadRaw(void* data, size_t count) {
  char* out = static_cast<char*>(data);
  while (count > 0) {
    if (pos_ == end_ && !Fill()) {
      eof_ = true;
      failed_ = true;
      return false;
    }
    size_t n = std::min(count, end_ - pos_);
    std::memcpy(out, buf_ + pos_, n);
    pos_ += n;
    out += n;
    count -= n;
  }
  return true;
}

size_t RecordFile::ReadBytes(void* data, size_t count) {
  if (!open_ || direction_ != Direction::kRead) {
    failed_ = true;
    return 0;
  }
  last_ = Tell();
  char* out = static_cast<char*>(data);
  size_t done = 0;
  while (done < count) {
    if (pos_ == end_ && !Fill()) {
      eof_ = true;
      failed_ = true;
      break;
    }
    size_t n = std::min(count - done, end_ - pos_);
    std::memcpy(out + done, buf_ + pos_, n);
    pos_ += n;
    done += n;
  }
  return done;
}

bool RecordFile::NextToken(std::string_view* token) {
  // Skip leading white space.
  for (;;) {
    if (pos_ == end_ && !Fill()) {
      eof_ = true;
      return false;
    }
    if (!IsSpace(buf_[pos_])) break;
    ++pos_;
  }
  size_t start = pos_;
  bool in_scratch = false;
  for (;;) {
    if (pos_ == end_) {
      // The token runs on past the buffer: keep what we have before refilling.
      if (!in_scratch) scratch_.clear();
      in_scratch = true;
      size_t n = pos_ - start;
      size_t room = kStringBufferSize - std::min(kStringBufferSize, scratch_.size());
      scratch_.append(buf_ + start, std::min(n, room));
      if (!Fill()) {
        eof_ = true;
        *token = scratch_;
        return true;
      }
      start = pos_;
      continue;
    }
    if (IsSeparator(buf_[pos_])) break;
    ++pos_;
  }
  size_t n = pos_ - start;
  if (in_scratch) {
    size_t room = kStringBufferSize - std::min(kStringBufferSize, scratch_.size());
    scratch_.append(buf_ + start, std::min(n, room));
    *token = scratch_;
  } else {
    *token = std::string_view(buf_ + start, std::min(n, kStringBufferSize));
  }
  ++pos_;  // the separator
  return true;
}

bool RecordFile::ReadToken(std::string_view* token) {
  if (!open_ || direction_ != Direction::kRead) {
    failed_ = true;
    return false;
  }
  last_ = Tell();
  if (!NextToken(token)) {
    failed_ = true;
    *token = {};
    return false;
  }
  return true;
}

template <typename T>
bool RecordFile::ReadScalar(T* value, T (*from_token)(std::string_view)) {
  if (encoding_ == Encoding::kToken) {
    std::string_view token;
    if (!ReadToken(&token)) return false;
    *value = from_token(token);
    return true;
  }
  if (!open_ || direction_ != Direction::kRead) return Refuse();
  last_ = Tell();
  T raw;
  if (!ReadRaw(&raw, sizeof raw)) return false;
  *value = FromLittleEndian(raw);
  return true;
}

bool RecordFile::ReadInt(int32_t* value) {
  return ReadScalar<int32_t>(value, [](std::string_view t) -> int32_t { return ParseLeadingInt(t); });
}

bool RecordFile::ReadUint(uint32_t* value) {
  return ReadScalar<uint32_t>(
      value, [](std::string_view t) { return static_cast<uint32_t>(ParseLeadingInt(t)); });
}

bool RecordFile::ReadDouble(double* value) {
  return ReadScalar<double>(value, [](std::string_view t) { return ParseLeadingDouble(t); });
}

bool RecordFile::ReadByte(uint8_t* value) {
  return ReadScalar<uint8_t>(
      value, [](std::string_view t) { return static_cast<uint8_t>(ParseLeadingInt(t)); });
}

bool RecordFile::ReadBool(bool* value) {
  // A bool is one byte in the binary encoding and non-zero is true.
  uint8_t raw = 0;
  if (!ReadScalar<uint8_t>(&raw, [](std::string_view t) {
        return static_cast<uint8_t>(ParseLeadingInt(t) != 0);
      })) {
    return false;
  }
  *value = raw != 0;
  return true;
}

bool RecordFile::ReadString(std::string* value) {
  if (encoding_ == Encoding::kToken) {
    std::string_view token;
    if (!ReadToken(&token)) return false;
    value->assign(token);
    return true;
  }
  if (!open_ || direction_ != Direction::kRead) return Refuse();
  last_ = Tell();
  int32_t length;
  if (!ReadRaw(&length, sizeof length)) return false;
  length = FromLittleEndian(length);
  if (length < 0) {
    failed_ = true;
    return false;
  }
  size_t keep = std::min<size_t>(static_cast<size_t>(length), kStringBufferSize);
  scratch_.resize(keep);
  if (!ReadRaw(scratch_.data(), keep)) return false;
  // Skip the part beyond what a string keeps, staying in step with the data.
  size_t skip = static_cast<size_t>(length) - keep;
  while (skip > 0) {
    if (pos_ == end_ && !Fill()) {
      eof_ = true;
      failed_ = true;
      return false;
    }
    size_t n = std::min(skip, end_ - pos_);
    pos_ += n;
    skip -= n;
  }
  value->assign(scratch_);
  return true;
}

bool RecordFile::ReadLineSlow(std::string_view* line, size_t max_length, bool* was_cut) {
  if (was_cut) *was_cut = false;
  *line = {};
  if (!open_ || direction_ != Direction::kRead) {
    failed_ = true;
    return false;
  }
  max_length = std::min(max_length, kStringBufferSize);
  last_ = Tell();
  if (pos_ == end_ && !Fill()) {
    eof_ = true;
    return false;
  }
  // A line the inline reader left: one that runs past the buffer or is too
  // long.  It is gathered in scratch_, keeping at most one byte more than
  // max_length (to tell a CR before the LF from a long line) and counting
  // the rest.
  scratch_.clear();
  const size_t cap = max_length + 1;
  size_t total = 0;
  char last_char = 0;
  for (;;) {
    const char* p = buf_ + pos_;
    const size_t avail = end_ - pos_;
    const void* lf = std::memchr(p, '\n', avail);
    size_t n = lf ? static_cast<size_t>(static_cast<const char*>(lf) - p) : avail;
    if (n > 0) {
      if (scratch_.size() < cap) scratch_.append(p, std::min(n, cap - scratch_.size()));
      total += n;
      last_char = p[n - 1];
    }
    pos_ += n;
    if (lf) {
      ++pos_;
      break;
    }
    if (!Fill()) break;  // a last line without LF
  }
  size_t length = total;
  if (length > 0 && last_char == '\r') --length;
  if (length > max_length) {
    length = max_length;
    if (was_cut) *was_cut = true;
  }
  *line = std::string_view(scratch_.data(), length);
  return true;
}

// --- Writing ---------------------------------------------------------------

bool RecordFile::FlushBuffer() {
  if (end_ == 0) return !failed_;
  if (memory_) {
    size_t at = static_cast<size_t>(base_);
    if (at >= sink_->size()) {
      sink_->append(wbuf_, end_);
    } else {
      size_t overlap = std::min(end_, sink_->size() - at);
      sink_->replace(at, overlap, wbuf_, end_);
    }
  } else if (!failed_) {
    const char* p = wbuf_;
    size_t left = end_;
    while (left > 0) {
      ssize_t n = ::write(fd_, p, left);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        failed_ = true;
        break;
      }
      p += n;
      left -= static_cast<size_t>(n);
    }
  }
  base_ += static_cast<int64_t>(end_);
  end_ = 0;
  return !failed_;
}

void RecordFile::WriteRaw(const void* data, size_t count) {
  const char* in = static_cast<const char*>(data);
  while (count > 0) {
    if (end_ == buffer_size_) FlushBuffer();
    size_t n = std::min(count, buffer_size_ - end_);
    std::memcpy(wbuf_ + end_, in, n);
    end_ += n;
    in += n;
    count -= n;
  }
}

void RecordFile::WriteBytes(const void* data, size_t count) {
  if (!open_ || direction_ != Direction::kWrite) {
    failed_ = true;
    return;
  }
  last_ = Tell();
  WriteRaw(data, count);
}

void RecordFile::WriteInt(int32_t value) {
  if (encoding_ == Encoding::kToken) {
    char text[16];
    auto r = std::to_chars(text, text + sizeof text, value);
    WriteBytes(text, static_cast<size_t>(r.ptr - text));
    return;
  }
  value = FromLittleEndian(value);
  WriteBytes(&value, sizeof value);
}

void RecordFile::WriteUint(uint32_t value) {
  if (encoding_ == Encoding::kToken) {
    char text[16];
    auto r = std::to_chars(text, text + sizeof text, value);
    WriteBytes(text, static_cast<size_t>(r.ptr - text));
    return;
  }
  value = FromLittleEndian(value);
  WriteBytes(&value, sizeof value);
}

void RecordFile::WriteDouble(double value) {
  if (encoding_ == Encoding::kToken) {
    char text[32];
    auto r = std::to_chars(text, text + sizeof text, value);
    WriteBytes(text, static_cast<size_t>(r.ptr - text));
    return;
  }
  value = FromLittleEndian(value);
  WriteBytes(&value, sizeof value);
}

void RecordFile::WriteByte(uint8_t value) {
  if (encoding_ == Encoding::kToken) {
    WriteUint(value);
    return;
  }
  WriteBytes(&value, 1);
}

void RecordFile::WriteBool(bool value) {
  if (encoding_ == Encoding::kToken) {
    WriteBytes(value ? "1" : "0", 1);
    return;
  }
  uint8_t raw = value ? 1 : 0;
  WriteBytes(&raw, 1);
}

void RecordFile::WriteString(std::string_view value) {
  if (encoding_ == Encoding::kToken) {
    WriteBytes(value.data(), value.size());
    return;
  }
  if (value.size() > static_cast<size_t>(INT32_MAX)) {
    // Cannot be encoded; writing a wrong length would corrupt the file.
    failed_ = true;
    return;
  }
  if (!open_ || direction_ != Direction::kWrite) {
    failed_ = true;
    return;
  }
  last_ = Tell();
  int32_t length = FromLittleEndian(static_cast<int32_t>(value.size()));
  WriteRaw(&length, sizeof length);
  WriteRaw(value.data(), value.size());
}

// --- Positions -------------------------------------------------------------

int64_t RecordFile::Tell() const {
  return base_ + static_cast<int64_t>(direction_ == Direction::kRead ? pos_ : end_);
}

void RecordFile::SavePosition() { saved_ = Tell(); }

void RecordFile::BackToLast() { Seek(last_); }

void RecordFile::BackToSaved() { Seek(saved_); }

bool RecordFile::Seek(int64_t offset) {
  if (!open_) return false;
  eof_ = false;
  if (offset < 0) offset = 0;
  if (direction_ == Direction::kWrite) {
    FlushBuffer();
    if (memory_) {
      base_ = std::min<int64_t>(offset, static_cast<int64_t>(sink_->size()));
      return true;
    }
    if (::lseek(fd_, offset, SEEK_SET) < 0) {
      failed_ = true;
      return false;
    }
    base_ = offset;
    return true;
  }
  if (memory_) {
    pos_ = static_cast<size_t>(std::min<int64_t>(offset, static_cast<int64_t>(end_)));
    return true;
  }
  if (offset >= base_ && offset <= base_ + static_cast<int64_t>(end_)) {
    pos_ = static_cast<size_t>(offset - base_);
    return true;
  }
  if (::lseek(fd_, offset, SEEK_SET) < 0) {
    failed_ = true;
    return false;
  }
  base_ = offset;
  pos_ = end_ = 0;
  return true;
}

}  // namespace tlv
