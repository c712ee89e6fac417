// Finding the next record header of the kinds the look-aheads ask about,
// ahead of the reader, without reading the file again from each record.
#ifndef TLV_TOOLPATH_HEADER_CURSOR_H_
#define TLV_TOOLPATH_HEADER_CURSOR_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace tlv {

/// Answers "where is the next header line of kind K at or after offset P"
/// for a few watched kinds K and offsets P that never go back (across all
/// kinds), reading the file at most once from where it starts to the end
/// whatever the number of questions.  A header line of kind K is a line
/// whose text (without a CR before its LF or at the end of the file) is
/// exactly "_" followed by the decimal kind, the test the record reader's
/// look-aheads make.  P must be the start of a line, as every position of
/// the record reader between records is.
///
/// The cursor keeps its own read of the file (or of the same bytes in
/// memory) and a fixed buffer.  Headers of the watched kinds met on the way
/// to an answer are kept for the questions to come, at most `max_kept` per
/// kind; a kind that had to drop some answers kUnknown once its kept ones
/// are used up, and the caller asks a cursor of its own.  A read error
/// counts as the end of the data.
class HeaderCursor {
 public:
  static constexpr int64_t kNone = -1;
  static constexpr int64_t kUnknown = -2;
  static constexpr size_t kMaxKinds = 4;

  /// A cursor watching `kind`.
  explicit HeaderCursor(int32_t kind, size_t buffer_size = 64 * 1024,
                        size_t max_kept = size_t{1} << 16);
  ~HeaderCursor();
  HeaderCursor(const HeaderCursor&) = delete;
  HeaderCursor& operator=(const HeaderCursor&) = delete;

  /// Reads the file at `path` from offset `start` (a line start); false
  /// when it cannot be opened.
  bool Open(const std::string& path, int64_t start = 0);
  /// Reads memory that outlives the cursor, from offset `start`.
  bool OpenMemory(std::string_view bytes, int64_t start = 0);

  /// Watches `kind` too.  Only before the first question (and up to
  /// kMaxKinds kinds): false otherwise.
  bool Watch(int32_t kind);
  bool Watches(int32_t kind) const { return Find(kind) != nullptr; }

  /// The offset of the first header line of `kind` at or after `offset`,
  /// kNone when there is none, or kUnknown (see above).  `kind` must be
  /// watched; `offset` must not be smaller than in any call before and not
  /// smaller than the start.
  int64_t NextAtOrAfter(int32_t kind, int64_t offset);
  /// The same for the kind the cursor was made for.
  int64_t NextAtOrAfter(int64_t offset) { return NextAtOrAfter(kinds_.front().kind, offset); }

 private:
  struct Kind {
    int32_t kind = 0;
    char digits[16] = {};
    size_t digit_count = 0;
    std::deque<int64_t> found;  // its headers met and not yet passed
    bool dropped = false;       // some were not kept
  };

  const Kind* Find(int32_t kind) const;
  Kind* Find(int32_t kind) {
    return const_cast<Kind*>(static_cast<const HeaderCursor*>(this)->Find(kind));
  }
  // Reads more into the buffer, keeping the bytes from `keep` on; false at
  // the end of the data.
  bool Refill(size_t keep);
  // Scans on to the next header of a watched kind and keeps it; false at the
  // end of the data.
  bool ScanToNextHeader();
  // The watched kind of the header at data_[at] ("_" at a line start), null
  // for none; *more when more bytes are needed to tell.
  Kind* KindAt(size_t at, bool* more);

  std::vector<Kind> kinds_;
  size_t max_kept_;
  bool asked_ = false;
  int64_t last_offset_ = 0;  // the offset of the latest question

  // The file is read straight into own_, without a buffer in between.
  int fd_ = -1;
  std::vector<char> own_;
  const char* data_ = nullptr;
  size_t size_ = 0;        // bytes in data_
  size_t scan_ = 0;        // next byte of data_ to look at
  int64_t base_ = 0;       // file offset of data_[0]
  bool line_start_ = true; // the byte before data_[0] ended a line (or none)
  bool end_ = false;       // no more data after data_[size_)
  bool exhausted_ = false; // scanned to the end
};

}  // namespace tlv

#endif  // TLV_TOOLPATH_HEADER_CURSOR_H_
