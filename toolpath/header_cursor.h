// Finding the next record header of one kind ahead of the reader without
// reading the file again from each record.
#ifndef TLV_TOOLPATH_HEADER_CURSOR_H_
#define TLV_TOOLPATH_HEADER_CURSOR_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tlv {

/// Answers "where is the next header line of kind K at or after offset P"
/// for offsets P that never go back, reading the file at most once from
/// start to end whatever the number of questions. A header line of kind K is
/// a line whose text (without a CR before its LF or at the end of the file)
/// is exactly "_" followed by the decimal kind, the test the record reader's
/// look-aheads make. P must be the start of a line, as every position of
/// the record reader between records is.
///
/// The cursor keeps its own read of the file (or of the same bytes in
/// memory), a fixed buffer, and the one answer found last.  A read error
/// counts as the end of the data.
class HeaderCursor {
 public:
  static constexpr int64_t kNone = -1;

  explicit HeaderCursor(int32_t kind, size_t buffer_size = 64 * 1024);
  ~HeaderCursor();
  HeaderCursor(const HeaderCursor&) = delete;
  HeaderCursor& operator=(const HeaderCursor&) = delete;

  /// Reads the file at `path`; false when it cannot be opened.
  bool Open(const std::string& path);
  /// Reads memory that outlives the cursor.
  bool OpenMemory(std::string_view bytes);

  int32_t kind() const { return kind_; }

  /// The offset of the first header line of the kind at or after `offset`,
  /// or kNone. `offset` must not be smaller than in the call before.
  int64_t NextAtOrAfter(int64_t offset);

 private:
  // Reads more into the buffer, keeping the bytes from `keep` on; false at
  // the end of the data.
  bool Refill(size_t keep);
  // The header at buf[at] ("_" at a line start) is of the kind; nullopt-like
  // -1 when more bytes are needed to tell.
  int Matches(size_t at) const;

  int32_t kind_;
  char digits_[16];
  size_t digit_count_ = 0;

  // The file is read straight into own_, without a buffer in between.
  int fd_ = -1;
  bool memory_ = false;
  std::vector<char> own_;
  const char* data_ = nullptr;
  size_t size_ = 0;        // bytes in data_
  size_t scan_ = 0;        // next byte of data_ to look at
  int64_t base_ = 0;       // file offset of data_[0]
  bool line_start_ = true; // the byte before data_[0] ended a line (or none)
  bool end_ = false;       // no more data after data_[size_)
  bool exhausted_ = false; // scanned to the end
  int64_t found_ = kNone;  // the last header found
};

}  // namespace tlv

#endif  // TLV_TOOLPATH_HEADER_CURSOR_H_
