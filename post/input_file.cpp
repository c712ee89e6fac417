#include "post/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/paths.h"

namespace tlv {
namespace {

// Closes a descriptor when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now; false when close reported an error (a late write error).
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Appends the whole of `piece` to `out` and makes it durable.  False with
// `reason` when any step fails.
bool AppendPiece(int out, const struct stat& out_stat, const std::string& piece,
                 char* buffer, std::size_t chunk_size, std::string* reason) {
  Fd in(::open(piece.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat in_stat;
  if (in.get() < 0 || ::fstat(in.get(), &in_stat) != 0) {
    *reason = std::strerror(errno);
    return false;
  }
  // A piece that is the input file itself (a link) would grow as fast as
  // it is read and never end.
  if (in_stat.st_dev == out_stat.st_dev && in_stat.st_ino == out_stat.st_ino) {
    *reason = "入力ファイルそのものです";
    return false;
  }
  for (;;) {
    ssize_t n = ::read(in.get(), buffer, chunk_size);
    if (n < 0) {
      if (errno == EINTR) continue;
      *reason = std::strerror(errno);
      return false;
    }
    if (n == 0) break;
    if (!WriteAll(out, buffer, static_cast<std::size_t>(n))) {
      *reason = std::strerror(errno);
      return false;
    }
  }
  // The piece is deleted next: its bytes must be on disk before that.
  if (::fsync(out) != 0) {
    *reason = std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace

JoinResult JoinInputPieces(const std::string& input_path,
                           std::size_t chunk_size) {
  JoinResult result;
  Fd out(::open(input_path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
  if (out.get() < 0) {
    result.error = "Error: " + input_path + " に追加できません(" +
                   std::strerror(errno) + ")。\n";
    return result;
  }
  if (chunk_size == 0) chunk_size = kJoinChunkSize;
  std::unique_ptr<char[]> buffer;
  for (int n = 1;; ++n) {
    std::string piece = input_path + "_" + std::to_string(n);
    if (!FileExists(piece)) break;
    if (!buffer) buffer = std::make_unique<char[]>(chunk_size);
    struct stat before;
    if (::fstat(out.get(), &before) != 0) {
      result.error = "Error: " + input_path + " に追加できません(" +
                     std::strerror(errno) + ")。\n";
      return result;
    }
    std::string reason;
    bool appended =
        AppendPiece(out.get(), before, piece, buffer.get(), chunk_size, &reason);
    if (appended && !RemoveFile(piece, &reason)) appended = false;
    if (!appended) {
      // Undo the partial append so a second join does not double any data.
      bool restored = ::ftruncate(out.get(), before.st_size) == 0;
      result.error = "Error: " + piece + " を " + input_path +
                     " に結合できませんでした(" + reason + ")。";
      result.error += restored ? "分割ファイルは残します。\n"
                               : input_path + " は途中まで結合されています。\n";
      return result;
    }
    ++result.pieces_joined;
  }
  if (!out.Close()) {
    result.error = "Error: " + input_path + " に追加できません(" +
                   std::strerror(errno) + ")。\n";
    return result;
  }
  result.ok = true;
  return result;
}

std::string TempInputPath(const std::string& input_path) {
  return input_path + ".temp";
}

}  // namespace tlv
