#include "post/job_outputs.h"

#include <algorithm>
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
  auto file = std::make_unique<RecordFile>();
  if (!file->Open(temp, RecordFile::Direction::kWrite, RecordFile::Encoding::kToken)) {
    *err = path + ": " + std::strerror(errno);
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
  const bool written = f.file->Close();
  closed_names_.insert(f.temp);
  closed_.push_back({f.path, f.target, f.temp, written});
  outputs_.pop_back();
  return true;
}

bool JobOutputs::CommitNc(std::string* err) {
  if (outputs_.empty() && closed_.empty()) {
    *err = "出力ファイルが開かれていません";
    return false;
  }
  while (has_program_output()) CloseCurrent();
  if (!outputs_.empty()) {  // the sheet file, closed after the program
    OpenFile& f = outputs_.front();
    const bool written = f.file->Close();
    closed_.push_back({f.path, f.target, f.temp, written});
    outputs_.clear();
  }
  for (const ClosedFile& c : closed_) {
    if (!c.written) {
      *err = c.path + ": 書き込みに失敗しました";
      AbandonNc();
      return false;
    }
  }
  for (std::size_t i = 0; i < closed_.size(); ++i) {
    std::string rename_err;
    if (!RenameFile(closed_[i].temp, closed_[i].target, &rename_err)) {
      *err = closed_[i].path + ": " + rename_err;
      closed_.erase(closed_.begin(), closed_.begin() + static_cast<std::ptrdiff_t>(i));
      AbandonNc();
      return false;
    }
  }
  closed_.clear();
  closed_names_.clear();
  return true;
}

void JobOutputs::AbandonNc() {
  for (OpenFile& f : outputs_) {
    f.file->Close();
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
    outputs_.front().file->WriteBytes(text.data(), text.size());
  } else if (!first_stream && has_program_output()) {
    outputs_.back().file->WriteBytes(text.data(), text.size());
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
