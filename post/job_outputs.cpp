#include "post/job_outputs.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

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

JobOutputs::~JobOutputs() { AbandonNc(); }

bool JobOutputs::OpenNc(const std::string& path, std::string* err) {
  AbandonNc();
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
  auto file = std::make_unique<RecordFile>();
  const std::string temp = TemporaryOutputPath(target);
  if (!file->Open(temp, RecordFile::Direction::kWrite, RecordFile::Encoding::kToken)) {
    *err = path + ": " + std::strerror(errno);
    return false;
  }
  nc_path_ = target;
  nc_temp_path_ = temp;
  outputs_.push_back(std::move(file));
  return true;
}

bool JobOutputs::CommitNc(std::string* err) {
  if (outputs_.empty()) {
    *err = nc_path_ + ": 出力ファイルが開かれていません";
    return false;
  }
  std::unique_ptr<RecordFile> file = std::move(outputs_.back());
  outputs_.pop_back();
  if (!file->Close()) {
    *err = nc_path_ + ": 書き込みに失敗しました";
    RemoveFile(nc_temp_path_);
    return false;
  }
  std::string rename_err;
  if (!RenameFile(nc_temp_path_, nc_path_, &rename_err)) {
    *err = nc_path_ + ": " + rename_err;
    RemoveFile(nc_temp_path_);
    return false;
  }
  nc_temp_path_.clear();
  return true;
}

void JobOutputs::AbandonNc() {
  if (outputs_.empty()) return;
  outputs_.clear();
  if (!nc_temp_path_.empty()) RemoveFile(nc_temp_path_);
  nc_temp_path_.clear();
}

std::int64_t JobOutputs::WritePosition() const {
  return outputs_.empty() ? 0 : outputs_.back()->Tell();
}

void JobOutputs::Write(std::string_view text, bool first_stream) {
  if (outputs_.empty()) return;
  RecordFile& out = first_stream ? *outputs_.front() : *outputs_.back();
  out.WriteBytes(text.data(), text.size());
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
