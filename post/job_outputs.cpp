#include "post/job_outputs.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/paths.h"
#include "post/run_messages.h"

namespace tlv {

std::string TemporaryOutputPath(std::string_view path) {
  // Beside the target, hidden: "dir/.name.tlvp-partial".
  const std::size_t slash = FindLastSeparator(path);
  const std::size_t name_at = slash == std::string_view::npos ? 0 : slash + 1;
  std::string temp(path.substr(0, name_at));
  temp += ".";
  temp += path.substr(name_at);
  temp += ".tlvp-partial";
  return temp;
}

namespace {

// Large enough that a program goes out in few writes, small enough for
// the handful of files a job has open.
constexpr std::size_t kWriteBuffer = 64 * 1024;

}  // namespace

JobOutputs::TempFile::~TempFile() {
  if (fd_ >= 0) ::close(fd_);
}

int JobOutputs::TempFile::Create(const std::string& path) {
  // A temporary left by a run that was killed is ours to replace; whatever
  // else holds the name (a folder) makes the open fail below.
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) ::unlink(path.c_str());
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd_ < 0) return errno;
  buffer_ = std::make_unique<char[]>(kWriteBuffer);
  return 0;
}

void JobOutputs::TempFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    if (fill_ == kWriteBuffer) Drain();
    const std::size_t n = std::min(bytes.size(), kWriteBuffer - fill_);
    std::memcpy(buffer_.get() + fill_, bytes.data(), n);
    fill_ += n;
    bytes.remove_prefix(n);
  }
}

void JobOutputs::TempFile::Drain() {
  // After the first failure the rest is counted but not written: the job
  // fails at its end and the file is removed.
  const char* p = buffer_.get();
  std::size_t left = fill_;
  while (left > 0 && error_ == 0) {
    const ssize_t n = ::write(fd_, p, left);
    if (n < 0) {
      if (errno != EINTR) error_ = errno;
      continue;
    }
    if (n == 0) error_ = EIO;
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  drained_ += static_cast<std::int64_t>(fill_);
  fill_ = 0;
}

int JobOutputs::TempFile::Finish() {
  if (fd_ < 0) return error_ != 0 ? error_ : EBADF;
  Drain();
  // A full disk or a lost network write may only show when the data
  // reaches the disk or at the close.
  if (error_ == 0 && ::fsync(fd_) != 0 && errno != EINVAL) error_ = errno;
  if (::close(fd_) != 0 && error_ == 0) error_ = errno;
  fd_ = -1;
  buffer_.reset();
  return error_;
}

JobOutputs::~JobOutputs() { AbandonNc(); }

bool JobOutputs::Open(const std::string& path, bool sheet, OpenFile* out, std::string* err) {
  if (path.empty() || IsDirectory(path)) {
    *err = path + ": ファイルではありません";
    return false;
  }
  // An output that is a symbolic link is written where the link points, so
  // the rename replaces the file and not the link.
  std::string target = path;
  std::error_code ec;
  if (std::filesystem::is_symlink(path, ec)) {
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
    if (!ec) target = resolved.string();
  }
  const std::string temp = TemporaryOutputPath(target);
  for (const OpenFile& open : outputs_) {
    if (open.temp == temp) {
      *err = path + ": 出力中のファイルと同じ名前です";
      return false;
    }
  }
  auto file = std::make_unique<TempFile>();
  if (const int error = file->Create(temp); error != 0) {
    *err = path + ": " + std::strerror(error);
    return false;
  }
  // A file of this job closed earlier under the same name is replaced.
  if (closed_names_.erase(temp) > 0) {
    std::erase_if(closed_, [&](const ClosedFile& c) { return c.temp == temp; });
  }
  out->file = std::move(file);
  out->path = path;
  out->target = std::move(target);
  out->temp = temp;
  out->sheet = sheet;
  return true;
}

bool JobOutputs::OpenNc(const std::string& path, std::string* err) {
  OpenFile f;
  if (!Open(path, false, &f, err)) return false;
  outputs_.push_back(std::move(f));
  return true;
}

bool JobOutputs::OpenSheet(const std::string& path, std::string* err) {
  OpenFile f;
  if (!Open(path, true, &f, err)) return false;
  outputs_.insert(outputs_.begin(), std::move(f));
  return true;
}

bool JobOutputs::OpenSplit(const std::string& path, std::string* err) {
  OpenFile f;
  if (!Open(path, false, &f, err)) return false;
  outputs_.push_back(std::move(f));
  lost_reported_ = false;
  return true;
}

bool JobOutputs::CloseCurrent() {
  if (!has_program_output()) return false;
  OpenFile& f = outputs_.back();
  const int error = f.file->Finish();
  closed_names_.insert(f.temp);
  closed_.push_back({f.path, f.target, f.temp, error});
  outputs_.pop_back();
  return true;
}

bool JobOutputs::CommitNc(std::string* err) {
  failed_path_.clear();
  if (outputs_.empty() && closed_.empty()) {
    *err = "出力ファイルが開かれていません";
    return false;
  }
  while (has_program_output()) CloseCurrent();
  if (!outputs_.empty()) {  // the sheet file, closed after the program
    OpenFile& f = outputs_.front();
    const int error = f.file->Finish();
    closed_.push_back({f.path, f.target, f.temp, error, true});
    outputs_.clear();
  }
  for (const ClosedFile& c : closed_) {
    if (c.error != 0) {
      failed_path_ = c.path;
      *err = std::strerror(c.error);
      AbandonNc();
      return false;
    }
  }
  for (std::size_t i = 0; i < closed_.size(); ++i) {
    std::string rename_err;
    if (!RenameFile(closed_[i].temp, closed_[i].target, &rename_err)) {
      failed_path_ = closed_[i].path;
      *err = rename_err;
      closed_.erase(closed_.begin(), closed_.begin() + static_cast<std::ptrdiff_t>(i));
      AbandonNc();
      return false;
    }
  }
  placed_programs_.clear();
  for (const ClosedFile& c : closed_) {
    if (!c.sheet) placed_programs_.push_back(c.path);
  }
  closed_.clear();
  closed_names_.clear();
  return true;
}

void JobOutputs::AbandonNc() {
  for (OpenFile& f : outputs_) {
    f.file.reset();  // closed unsynced: it is removed at once
    RemoveFile(f.temp);
  }
  outputs_.clear();
  for (const ClosedFile& c : closed_) RemoveFile(c.temp);
  closed_.clear();
  closed_names_.clear();
}

std::int64_t JobOutputs::WritePosition() const {
  return has_program_output() ? outputs_.back().file->Tell() : 0;
}

const std::string& JobOutputs::CurrentPath() const {
  static const std::string kNone;
  return outputs_.empty() ? kNone : outputs_.back().path;
}

void JobOutputs::Write(std::string_view text, bool first_stream) {
  if (first_stream && !outputs_.empty()) {
    outputs_.front().file->Write(text);
  } else if (!first_stream && has_program_output()) {
    outputs_.back().file->Write(text);
  } else if (!first_stream && !text.empty() && !closed_.empty()) {
    // Every program file is closed: say so rather than drop the text
    // silently, and never put it into the process sheet.
    ReportLostText();
  }
}

void JobOutputs::ReportLostText() {
  if (lost_reported_) return;
  lost_reported_ = true;
  messages_.Both("Warning: 分割ファイルが閉じられているため、NC データの一部を出力できません。\n");
}

void JobOutputs::StartSplitFile() {
  if (split_) split_->StartNextFile();
}

void JobOutputs::EndSplitFile() {
  if (split_) split_->EndFile();
}

void JobOutputs::Log(std::string_view text) { messages_.log().Write(text); }

void JobOutputs::Print(std::string_view text) { messages_.Out(text); }

}  // namespace tlv
