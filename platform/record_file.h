// The file stream that every reader and writer of the system shares.
#ifndef TLV_PLATFORM_RECORD_FILE_H_
#define TLV_PLATFORM_RECORD_FILE_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tlv {

/// The file stream every reader and writer of the system shares: binary
/// encoding (little-endian int32/uint32/double/byte/bool, string = int32 length
/// + bytes) or token encoding (text tokens separated by "= \t\n"; writing adds
/// no separators).
///
/// Reading and writing both go through one large buffer over read(2) and
/// write(2); no line-end translation ever happens. A stream can also read from
/// memory or write into a std::string (tests, fuzzing).
///
/// Token encoding: a read skips leading white space (blank, tab, CR, LF, FF,
/// VT), then takes the characters up to the first separator ("=", blank, tab,
/// LF), which is consumed. Ints, uints, bytes and bools are read like atoi
/// (bool: non-zero is true), doubles like atof, strings as the token itself.
/// A token keeps at most kStringBufferSize bytes; the rest of a longer token
/// is skipped. Writing writes the decimal text (bool as "1"/"0", byte as its
/// number, double in the shortest form that reads back to the same value) or
/// the string's bytes, with nothing added.
///
/// Binary strings: an int32 length N, then N bytes. At most
/// kStringBufferSize bytes are kept; the rest of a longer string is skipped,
/// so the stream stays in step with the data after it. A negative length, or
/// one that runs past the end of the data, is a read failure (nothing huge is
/// ever allocated for a corrupt length).
///
/// Positions: Tell() is the byte offset of the next read or write. Every
/// read, write and line operation first records the position it starts from
/// (the "last position"); BackToLast() returns there, so an operation can be
/// undone (the tool-path reader pushes back a record header this way).
/// SavePosition()/BackToSaved() remember and return to any one position.
/// Both backward moves clear the end-of-file state and work across buffer
/// refills. A failed() state is kept until the stream is closed.
class RecordFile {
 public:
  enum class Direction { kRead, kWrite };
  enum class Encoding { kBinary, kToken };

  /// The most a string or token read keeps.
  static constexpr size_t kStringBufferSize = 10240;
  /// The size of the I/O buffer of a stream opened on a file.
  static constexpr size_t kDefaultBufferSize = 256 * 1024;

  RecordFile();
  /// A stream with its own I/O buffer size (at least 16 bytes; tests use
  /// small ones to cross buffer refills).
  explicit RecordFile(size_t buffer_size);
  /// Closes the stream (flushing a writer).
  ~RecordFile();
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  /// Opens a file. A read stream needs an existing file (not a folder); a
  /// write stream creates or truncates it. Returns false (and failed() is
  /// then true) when the file cannot be opened. An open stream is closed
  /// first.
  bool Open(const std::string& path, Direction direction, Encoding encoding);
  /// Reads from memory; the bytes must outlive the stream.
  bool OpenMemory(std::string_view bytes, Encoding encoding);
  /// Writes append to *sink; positions count from the start of *sink. The
  /// bytes reach *sink at the latest when the stream is flushed or closed.
  bool OpenMemoryWriter(std::string* sink, Encoding encoding);

  bool is_open() const { return open_; }
  /// True when opening failed, a read ran past the end (or the data was
  /// corrupt, such as a negative string length) or a write failed.
  bool failed() const { return failed_; }
  /// True once a read has reached the end of the data.
  bool eof() const { return eof_; }
  /// Flushes a writer and closes. Returns false when any write (or the flush)
  /// failed, or when the stream had failed in any other way. Closing a closed
  /// stream returns true.
  bool Close();
  /// Writes out what a writer has buffered; false when a write failed.
  bool Flush();

  /// The path the stream was opened with (empty for memory streams).
  const std::string& path() const { return path_; }
  Direction direction() const { return direction_; }
  Encoding encoding() const { return encoding_; }

  // Values in the stream's encoding. A read returns false (and sets failed())
  // when the data ends before a value; *value is then left unchanged.
  bool ReadInt(int32_t* value);
  bool ReadUint(uint32_t* value);
  bool ReadDouble(double* value);
  bool ReadByte(uint8_t* value);
  bool ReadBool(bool* value);
  bool ReadString(std::string* value);
  /// Reads one token (token encoding) as a view valid until the next
  /// operation on the stream. False at the end of the data.
  bool ReadToken(std::string_view* token);

  void WriteInt(int32_t value);
  void WriteUint(uint32_t value);
  void WriteDouble(double value);
  void WriteByte(uint8_t value);
  void WriteBool(bool value);
  void WriteString(std::string_view value);

  /// Reads up to count raw bytes whatever the encoding; returns how many were
  /// read. Fewer than count means the end was reached (eof() and failed()).
  size_t ReadBytes(void* data, size_t count);
  /// Writes count raw bytes whatever the encoding.
  void WriteBytes(const void* data, size_t count);

  /// Reads one line: the bytes up to the next LF, without the LF and without
  /// a CR just before it. A last line without LF is a line too. A line longer
  /// than max_length (at most kStringBufferSize) is cut to its first
  /// max_length bytes and the rest of the line, up to and including its LF,
  /// is consumed and dropped, so the next read starts at the next line;
  /// *was_cut (when given) tells so.
  /// *line stays valid until the next operation on the stream. Returns false
  /// at the end of the data (eof() is then true; failed() is not set). The
  /// last position is the start of the line, so BackToLast() makes the same
  /// line read again.
  bool ReadLine(std::string_view* line, size_t max_length = kStringBufferSize,
                bool* was_cut = nullptr) {
    // The usual case, kept inline: the whole line, not too long, lies in
    // the buffer.
    if (direction_ == Direction::kRead && pos_ < end_) {
      const char* p = buf_ + pos_;
      if (const void* lf = std::memchr(p, '\n', end_ - pos_)) {
        size_t length = static_cast<size_t>(static_cast<const char*>(lf) - p);
        if (length <= max_length && length <= kStringBufferSize) {
          last_ = base_ + static_cast<int64_t>(pos_);
          pos_ += length + 1;
          if (length > 0 && p[length - 1] == '\r') --length;
          if (was_cut) *was_cut = false;
          *line = std::string_view(p, length);
          return true;
        }
      }
    }
    return ReadLineSlow(line, max_length, was_cut);
  }

  /// The next byte of a read stream without reading it, or -1 at the end of
  /// the data (eof() is then true) or on a stream that cannot read.  The
  /// last position (BackToLast) stays where it was.
  int PeekByte() {
    if (pos_ < end_ && direction_ == Direction::kRead) {
      return static_cast<unsigned char>(buf_[pos_]);
    }
    return PeekAfterFill();
  }

  /// The byte offset of the next read or write.
  int64_t Tell() const;
  /// Remembers the current position for BackToSaved().
  void SavePosition();
  /// Returns to the position before the most recent operation.
  void BackToLast();
  /// Returns to the position remembered by SavePosition() (the start of the
  /// data when none was saved).
  void BackToSaved();

 private:
  void Reset();
  bool Fill();                 // reads more data; false at the end
  int PeekAfterFill();         // PeekByte with the buffer used up
  bool ReadLineSlow(std::string_view* line, size_t max_length, bool* was_cut);
  bool Seek(int64_t offset);   // to an absolute read or write position
  bool Refuse() {              // an operation the stream cannot do
    failed_ = true;
    return false;
  }
  bool NextToken(std::string_view* token);
  bool ReadRaw(void* data, size_t count);
  // Reads one fixed-size value: a token converted by `from_token` in the
  // token encoding, little-endian bytes in the binary one.
  template <typename T>
  bool ReadScalar(T* value, T (*from_token)(std::string_view));
  void WriteRaw(const void* data, size_t count);
  bool FlushBuffer();

  std::string path_;
  Direction direction_ = Direction::kRead;
  Encoding encoding_ = Encoding::kBinary;
  bool open_ = false;
  bool failed_ = false;
  bool eof_ = false;
  int fd_ = -1;

  // Reading: buf_[pos_, end_) is unread data whose first byte sits at file
  // offset base_ + pos_. A memory reader points buf_ at the caller's bytes.
  // Writing: buf_[0, end_) is pending data for file offset base_.
  size_t buffer_size_;
  std::string own_buffer_;
  const char* buf_ = nullptr;
  char* wbuf_ = nullptr;
  size_t pos_ = 0;
  size_t end_ = 0;
  int64_t base_ = 0;
  bool memory_ = false;
  std::string* sink_ = nullptr;

  int64_t last_ = 0;
  int64_t saved_ = 0;
  std::string scratch_;        // lines and tokens that cross a refill
};

}  // namespace tlv

#endif  // TLV_PLATFORM_RECORD_FILE_H_
