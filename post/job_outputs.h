// The open output files of a job and what the format engine writes to.
// The NC program is written to a temporary file beside its target and put
// in place only when the job ends well, so a failed run never leaves half
// a program where a good one was.
#ifndef TLV_POST_JOB_OUTPUTS_H_
#define TLV_POST_JOB_OUTPUTS_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "format/engine_output.h"

namespace tlv {

class RunMessages;

/// File splitting as the record loop and the code markers reach it.  The
/// job runs with NoSplit until splitting is part of the build.
class SplitPolicy {
 public:
  virtual ~SplitPolicy() = default;
  /// Job set-up: asks the limits the definition leaves open.
  virtual void AskOpenValues() {}
  /// After every record, with its rapid class (0 none, 1 XY, 2 Z).
  virtual void AfterRecord(int rapid_class) { (void)rapid_class; }
  /// Starts the next split file (code marker 5000, path start).
  virtual void StartNextFile() {}
  /// Finishes the current split file (code marker 5001, path end).
  virtual void EndFile() {}
  /// Tape length of the split files already closed, metres.
  virtual double ClosedTapeLength() const { return 0; }
  /// True once a split file could not be made; the job then fails.
  virtual bool failed() const { return false; }
};

/// Writes everything into the one NC file.
class NoSplit : public SplitPolicy {};

/// The output list of a job: the process-sheet file first when there is
/// one, then the NC file, then at most one split file.  The last entry is
/// the current output.  Every file is written under a temporary name
/// beside its target; closed files wait for the end of the job, when all
/// of them are put in place together, or removed when the job fails.
class JobOutputs : public EngineOutput {
 public:
  explicit JobOutputs(RunMessages& messages) : messages_(messages) {}
  ~JobOutputs() override;
  JobOutputs(const JobOutputs&) = delete;
  JobOutputs& operator=(const JobOutputs&) = delete;

  void set_split_policy(SplitPolicy* split) { split_ = split; }

  /// Opens the NC program for `path` (its temporary file beside it) as the
  /// current output.  False with `err` (naming the path) when it cannot be
  /// created.
  bool OpenNc(const std::string& path, std::string* err);
  /// Opens the process-sheet file for `path` as the first entry of the
  /// list; it takes the first-stream text.  False with `err` as OpenNc.
  bool OpenSheet(const std::string& path, std::string* err);
  /// Opens a split file for `path` after the others; it becomes current.
  /// False with `err` when it cannot be created or a file of this job is
  /// still open under that name.  A closed file of this job with the same
  /// name is replaced by the new one.
  bool OpenSplit(const std::string& path, std::string* err);
  /// Closes the current NC or split file and takes it off the list (it is
  /// put in place at the end of the job).  False when the current output is
  /// the sheet file or the list is empty: nothing is closed then.
  bool CloseCurrent();
  /// Closes every open file and puts every file of the job in place.
  /// False with `err` (the reason) when a write, the flush to disk, the
  /// close or a rename failed; failed_path() then names the file.  The
  /// targets not yet renamed are untouched and every temporary file is
  /// removed.  No file is put in place when any write failed.
  bool CommitNc(std::string* err);
  /// The file (as the job named it) whose write or rename failed the last
  /// CommitNc; "" before that.
  const std::string& failed_path() const { return failed_path_; }
  /// Closes and removes every unfinished file of the job.
  void AbandonNc();
  /// The NC and split files (not the sheet file) the last successful
  /// CommitNc put in place, as the job named them, in the order they were
  /// closed.
  const std::vector<std::string>& placed_programs() const { return placed_programs_; }

  /// Bytes written to the current NC or split file so far (0 when none).
  std::int64_t WritePosition() const;
  bool has_output() const { return !outputs_.empty(); }
  /// The path of the current output as the job named it ("" when none).
  const std::string& CurrentPath() const;
  /// True when an NC or split file is open.
  bool has_program_output() const { return !outputs_.empty() && !outputs_.back().sheet; }

  // EngineOutput.
  void Write(std::string_view text, bool first_stream) override;
  void StartSplitFile() override;
  void EndSplitFile() override;
  void Log(std::string_view text) override;
  void Print(std::string_view text) override;

 private:
  /// One output under its temporary name: buffered writes that stop at
  /// the first failure and keep its reason (errno), so that a full disk
  /// is reported as such, whenever it is noticed.
  class TempFile {
   public:
    TempFile() = default;
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    /// Creates `path` afresh: a leftover of an earlier run is removed
    /// first and a link put in its place is not followed.  The errno
    /// value when it cannot, else 0.
    int Create(const std::string& path);
    void Write(std::string_view bytes);
    /// Bytes written so far, buffered ones included.
    std::int64_t Tell() const { return drained_ + static_cast<std::int64_t>(fill_); }
    /// Writes out the buffer, flushes the file to disk and closes it; the
    /// errno value of the first failure of the file's life, or 0.
    int Finish();

   private:
    void Drain();

    int fd_ = -1;
    int error_ = 0;
    std::unique_ptr<char[]> buffer_;
    std::size_t fill_ = 0;
    std::int64_t drained_ = 0;
  };

  struct OpenFile {
    std::unique_ptr<TempFile> file;
    std::string path;    ///< as named by the job
    std::string target;  ///< where it is put (a link's destination)
    std::string temp;
    bool sheet = false;
  };
  struct ClosedFile {
    std::string path;
    std::string target;
    std::string temp;
    int error = 0;  ///< errno of a failed write, flush or close; 0 when written
    bool sheet = false;
  };

  bool Open(const std::string& path, bool sheet, OpenFile* out, std::string* err);
  void ReportLostText();

  RunMessages& messages_;
  SplitPolicy* split_ = nullptr;
  std::vector<OpenFile> outputs_;
  std::vector<ClosedFile> closed_;
  /// The temporary names in closed_, so a new file finds its namesake fast.
  std::unordered_set<std::string> closed_names_;
  bool lost_reported_ = false;
  std::string failed_path_;
  std::vector<std::string> placed_programs_;
};

/// The temporary name the NC program of `path` is written under.
std::string TemporaryOutputPath(std::string_view path);

}  // namespace tlv

#endif  // TLV_POST_JOB_OUTPUTS_H_
