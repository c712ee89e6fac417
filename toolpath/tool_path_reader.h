// The forward record reader of the tool-path data file.
#ifndef TLV_TOOLPATH_TOOL_PATH_READER_H_
#define TLV_TOOLPATH_TOOL_PATH_READER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/record_file.h"
#include "toolpath/header_cursor.h"
#include "toolpath/tool_path_record.h"

namespace tlv {

/// Reads the tool-path data file one record at a time.
///
/// The file is a sequence of lines (LF, or CR LF): a header line "_<kind>"
/// starts a record, field lines ".<id>=<type> <value>" follow it, and every
/// other line is ignored. Lines are read up to kMaxLineLength characters; of
/// a longer line only that much is kept and the rest of it is dropped, so the
/// next line is still read from its start. The reader is buffered and, once
/// the record's text fields have grown, does not allocate per line.
///
/// **Example**
///
///     ToolPathReader reader;
///     ToolPathRecord record;
///     if (!reader.Open(path)) return false;
///     while (reader.ReadNextRecord(&record) > 0) Handle(record);
class ToolPathReader {
 public:
  static constexpr size_t kMaxLineLength = 199;

  ToolPathReader() = default;
  /// A reader with its own I/O buffer size (tests use small ones).
  explicit ToolPathReader(size_t buffer_size)
      : file_(buffer_size), cursor_buffer_size_(buffer_size) {}

  /// Opens the file; false (and the reader stays closed) when it cannot be
  /// read.
  bool Open(const std::string& path);
  /// Reads from memory; the text must outlive the reader.
  bool OpenMemory(std::string_view text);
  bool is_open() const { return file_.is_open(); }
  void Close();
  const std::string& path() const { return file_.path(); }

  /// Reads the next record into *record and returns its count (fields + 1);
  /// 0 at the end of the file or when no further header line exists. Field
  /// lines beyond ToolPathRecord::kCapacity - 1 are skipped with the rest of
  /// their record.
  int ReadNextRecord(ToolPathRecord* record);

  /// Searches forward for the next header line whose text after "_" is
  /// exactly the decimal kind. With restore, the read position is put back
  /// where it was whatever the outcome. Without it, a found header is read
  /// next; when none is found the reader is left at the end of the file.
  /// The look-aheads with restore (and ComesBefore) keep cursors that move
  /// forward with the reader, so a run asks them at every record if it
  /// likes and the file is still read ahead only once.
  bool FindAhead(int32_t kind, bool restore);

  /// True when a header of the given kind comes before the next process
  /// start header ("_200") or the end of the file. The read position is
  /// always put back.
  bool ComesBefore(int32_t kind);

  /// The byte offset of the next read (how far the run has come).
  int64_t position() const { return file_.Tell(); }

  /// How many lines read into records so far were longer than
  /// kMaxLineLength and were cut.
  int64_t cut_line_count() const { return cut_lines_; }

 private:
  // Look-aheads pass count_cut = false, so a line counts once however often
  // it is read.
  bool ReadLine(std::string_view* line, bool count_cut) {
    bool cut = false;
    if (!file_.ReadLine(line, kMaxLineLength, &cut)) return false;
    last_line_cut_ = cut && count_cut;
    if (last_line_cut_) ++cut_lines_;
    return true;
  }
  // The offset of the next header of `kind` from the reader's position
  // `at` on, HeaderCursor::kNone when there is none, or kUnknown when no
  // cursor can tell (no more cursors are kept or the file cannot be opened
  // again; the look-ahead then reads on from the reader's position itself).
  // One cursor, opened at the first look-ahead, watches the asked kind and
  // process starts together; another kind, or one that cursor had to let
  // go, gets a cursor of its own from where the reader stands.
  int64_t NextHeader(int32_t kind, int64_t at);
  bool ScanAhead(int32_t kind, bool restore);
  bool ScanComesBefore(int32_t kind);

  static constexpr size_t kMaxCursors = 4;

  RecordFile file_;
  std::string_view memory_;  // the bytes of a memory reader
  bool from_memory_ = false;
  std::unique_ptr<HeaderCursor> shared_cursor_;
  std::vector<std::unique_ptr<HeaderCursor>> own_cursors_;
  bool cursors_failed_ = false;
  size_t cursor_buffer_size_ = 64 * 1024;
  int64_t cut_lines_ = 0;
  bool last_line_cut_ = false;
};

/// Fills *field from a field line (a line holding "="): the id is the number
/// after the first character, the type the character after the first "=",
/// the value starts at the third character after it.
void ParseFieldLine(std::string_view line, RecordField* field);

}  // namespace tlv

#endif  // TLV_TOOLPATH_TOOL_PATH_READER_H_
