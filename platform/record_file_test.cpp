#include "platform/numbers.h"
#include "platform/record_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

namespace tlv {
namespace {

namespace fs = std::filesystem;
using Direction = RecordFile::Direction;
using Encoding = RecordFile::Encoding;

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "record_file_test_XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string File(const std::string& name) const { return (fs::path(path_) / name).string(); }

 private:
  std::string path_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

TEST(RecordFileTest, BinaryBytesAreLittleEndianWithoutPadding) {
  TempDir dir;
  std::string path = dir.File("a.bin");
  RecordFile out(16);
  ASSERT_TRUE(out.Open(path, Direction::kWrite, Encoding::kBinary));
  out.WriteInt(-2);
  out.WriteUint(0x01020304u);
  out.WriteDouble(1.0);
  out.WriteByte(0xAB);
  out.WriteBool(true);
  out.WriteString("ab");
  out.WriteString("");
  EXPECT_EQ(out.Tell(), 4 + 4 + 8 + 1 + 1 + 6 + 4);
  ASSERT_TRUE(out.Close());
  const std::string expected(
      "\xFE\xFF\xFF\xFF"
      "\x04\x03\x02\x01"
      "\x00\x00\x00\x00\x00\x00\xF0\x3F"
      "\xAB\x01"
      "\x02\x00\x00\x00" "ab"
      "\x00\x00\x00\x00",
      28);
  EXPECT_EQ(ReadAll(path), expected);

  for (size_t buffer : {size_t{16}, RecordFile::kDefaultBufferSize}) {
    RecordFile in(buffer);
    ASSERT_TRUE(in.Open(path, Direction::kRead, Encoding::kBinary));
    int32_t i = 0;
    uint32_t u = 0;
    double d = 0;
    uint8_t b = 0;
    bool flag = false;
    std::string s, empty = "x";
    EXPECT_TRUE(in.ReadInt(&i) && in.ReadUint(&u) && in.ReadDouble(&d) && in.ReadByte(&b) &&
                in.ReadBool(&flag) && in.ReadString(&s));
    EXPECT_EQ(i, -2);
    EXPECT_EQ(u, 0x01020304u);
    EXPECT_EQ(d, 1.0);
    EXPECT_EQ(b, 0xAB);
    EXPECT_TRUE(flag);
    EXPECT_EQ(s, "ab");
    // An empty string consumes only its four length bytes.
    int64_t before = in.Tell();
    EXPECT_TRUE(in.ReadString(&empty));
    EXPECT_EQ(empty, "");
    EXPECT_EQ(in.Tell(), before + 4);
    EXPECT_FALSE(in.failed());
    // Reading past the end fails and leaves the value alone.
    i = 7;
    EXPECT_FALSE(in.ReadInt(&i));
    EXPECT_EQ(i, 7);
    EXPECT_TRUE(in.failed());
    EXPECT_TRUE(in.eof());
    EXPECT_FALSE(in.Close());
  }
}

TEST(RecordFileTest, BinaryStringsAreCutOrRefusedNeverOverrun) {
  std::string data;
  RecordFile out;
  ASSERT_TRUE(out.OpenMemoryWriter(&data, Encoding::kBinary));
  out.WriteString(std::string(20000, 'q'));
  out.WriteInt(42);
  ASSERT_TRUE(out.Close());

  // A string beyond the buffer keeps its first kStringBufferSize bytes and the
  // stream stays in step with the value after it.
  RecordFile in(64);
  ASSERT_TRUE(in.OpenMemory(data, Encoding::kBinary));
  std::string s;
  int32_t after = 0;
  EXPECT_TRUE(in.ReadString(&s));
  EXPECT_TRUE(s == std::string(RecordFile::kStringBufferSize, 'q')) << s.size();
  EXPECT_TRUE(in.ReadInt(&after));
  EXPECT_EQ(after, 42);

  // Raw bytes ignore the encoding; a short read says how much it got.
  RecordFile raw(16);
  ASSERT_TRUE(raw.OpenMemory(data, Encoding::kToken));
  std::string bytes(20100, '\0');
  EXPECT_EQ(raw.ReadBytes(bytes.data(), 4), 4u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x20\x4E\x00\x00", 4));
  EXPECT_EQ(raw.ReadBytes(bytes.data(), bytes.size()), data.size() - 4);
  EXPECT_TRUE(raw.eof());
  EXPECT_TRUE(raw.failed());

  // Corrupt lengths: negative, beyond the data, absurd.
  for (std::string bad : {std::string("\xFF\xFF\xFF\xFF" "abc", 7), std::string("\x05\x00\x00\x00" "abc", 7),
                          std::string("\xFF\xFF\xFF\x7F" "abc", 7), std::string("\x05\x00", 2)}) {
    RecordFile corrupt;
    ASSERT_TRUE(corrupt.OpenMemory(bad, Encoding::kBinary));
    s = "kept";
    EXPECT_FALSE(corrupt.ReadString(&s));
    EXPECT_EQ(s, "kept");
    EXPECT_TRUE(corrupt.failed());
  }
}

TEST(RecordFileTest, TokenWritingAddsNothing) {
  std::string data = "%\n";  // a memory writer appends
  RecordFile out(16);
  ASSERT_TRUE(out.OpenMemoryWriter(&data, Encoding::kToken));
  out.WriteString("G01");
  out.WriteString("X");
  out.WriteInt(-12);
  out.WriteUint(4000000000u);
  out.WriteBool(false);
  out.WriteByte(200);
  out.WriteDouble(0.1);
  out.WriteDouble(-2.5e-7);
  out.WriteString("\r\n");
  ASSERT_TRUE(out.Close());
  EXPECT_EQ(data, "%\nG01X-12400000000002000.1-2.5e-07\r\n");
}

TEST(RecordFileTest, TokenReading) {
  std::string text = "  12abc=x y\t-3.5e2\n\n 0x10 1 =7\r\n" + std::string(12000, 'L') + " tail";
  for (size_t buffer : {size_t{16}, size_t{4096}}) {
    RecordFile in(buffer);
    ASSERT_TRUE(in.OpenMemory(text, Encoding::kToken));
    int32_t i = 0;
    std::string s;
    double d = 0;
    bool flag = false;
    EXPECT_TRUE(in.ReadInt(&i));
    EXPECT_EQ(i, 12);  // like atoi: the digits before the letters
    EXPECT_TRUE(in.ReadString(&s));
    EXPECT_EQ(s, "x");
    EXPECT_TRUE(in.ReadString(&s));
    EXPECT_EQ(s, "y");
    EXPECT_TRUE(in.ReadDouble(&d));
    EXPECT_EQ(d, -350.0);
    EXPECT_TRUE(in.ReadDouble(&d));
    EXPECT_EQ(d, 16.0);  // atof reads hexadecimal
    EXPECT_TRUE(in.ReadBool(&flag));
    EXPECT_TRUE(flag);
    // "=" right after a separator gives an empty token.
    EXPECT_TRUE(in.ReadString(&s));
    EXPECT_EQ(s, "");
    EXPECT_TRUE(in.ReadInt(&i));
    EXPECT_EQ(i, 7);  // "7\r": the CR is not a separator, atoi ignores it
    EXPECT_TRUE(in.ReadString(&s));
    EXPECT_TRUE(s == std::string(RecordFile::kStringBufferSize, 'L')) << s.size();
    EXPECT_TRUE(in.ReadString(&s));
    EXPECT_EQ(s, "tail");
    EXPECT_FALSE(in.failed());
    EXPECT_FALSE(in.ReadString(&s));
    EXPECT_TRUE(in.failed());
    EXPECT_TRUE(in.eof());
  }
}

TEST(RecordFileTest, ReadLineEndings) {
  const std::string text = "one\r\ntwo\n\n\r\nin\rside\nlast";
  for (size_t buffer : {size_t{16}, size_t{1024}}) {
    RecordFile in(buffer);
    ASSERT_TRUE(in.OpenMemory(text, Encoding::kToken));
    std::vector<std::string> lines;
    std::string_view line;
    while (in.ReadLine(&line)) lines.emplace_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", "", "in\rside", "last"}));
    EXPECT_TRUE(in.eof());
    EXPECT_FALSE(in.failed());
  }
}

TEST(RecordFileTest, LongLinesAreCutAndTheRestDropped) {
  TempDir dir;
  std::string path = dir.File("long.txt");
  std::string exact(10, 'e');
  WriteAll(path, std::string(25, 'a') + "\n" + exact + "\r\n" + std::string(11, 'b') + "\r\n" +
                     std::string(40, 'c') + "\r\nnext\n" + std::string(30, 'd'));
  for (size_t buffer : {size_t{16}, size_t{4096}}) {
    RecordFile in(buffer);
    ASSERT_TRUE(in.Open(path, Direction::kRead, Encoding::kToken));
    std::string_view line;
    bool cut = false;
    EXPECT_TRUE(in.ReadLine(&line, 10, &cut));
    EXPECT_EQ(line, std::string(10, 'a'));
    EXPECT_TRUE(cut);
    // Ten characters and CR LF are not too long.
    EXPECT_TRUE(in.ReadLine(&line, 10, &cut));
    EXPECT_EQ(line, exact);
    EXPECT_FALSE(cut);
    EXPECT_TRUE(in.ReadLine(&line, 10, &cut));
    EXPECT_EQ(line, std::string(10, 'b'));
    EXPECT_TRUE(cut);
    EXPECT_TRUE(in.ReadLine(&line, 10, &cut));
    EXPECT_EQ(line, std::string(10, 'c'));
    EXPECT_TRUE(in.ReadLine(&line, 10, &cut));
    EXPECT_EQ(line, "next");
    EXPECT_FALSE(cut);
    EXPECT_TRUE(in.ReadLine(&line, 10, &cut));
    EXPECT_EQ(line, std::string(10, 'd'));
    EXPECT_TRUE(cut);
    EXPECT_FALSE(in.ReadLine(&line, 10, &cut));
  }
}

// Going back must land on the right byte wherever the buffer was refilled.
TEST(RecordFileTest, PositionsAcrossBufferRefills) {
  TempDir dir;
  std::string path = dir.File("lines.txt");
  std::mt19937 random(7);
  std::vector<std::string> lines;
  std::string text;
  for (int i = 0; i < 400; ++i) {
    std::string line = "_" + std::to_string(i) + std::string(random() % 40, 'x');
    lines.push_back(line);
    text += line + (i % 3 ? "\n" : "\r\n");
  }
  WriteAll(path, text);

  for (size_t buffer : {size_t{16}, size_t{37}, size_t{4096}}) {
    RecordFile in(buffer);
    ASSERT_TRUE(in.Open(path, Direction::kRead, Encoding::kToken));
    std::string_view line;
    size_t saved_index = 0;
    in.SavePosition();
    for (size_t i = 0; i < lines.size(); ++i) {
      // A look at the next byte reads nothing, whether or not it needs a
      // refill.
      ASSERT_EQ(in.PeekByte(), '_');
      ASSERT_TRUE(in.ReadLine(&line));
      ASSERT_EQ(line, lines[i]);
      if (i % 7 == 0 && i + 1 < lines.size()) {
        ASSERT_EQ(in.PeekByte(), '_');
        in.BackToLast();
        ASSERT_TRUE(in.ReadLine(&line));
        ASSERT_EQ(line, lines[i]);
      }
      if (i % 5 == 0) {
        // The same line again after going back to the last position.
        in.BackToLast();
        ASSERT_TRUE(in.ReadLine(&line));
        ASSERT_EQ(line, lines[i]);
      }
      if (i % 50 == 0) {
        in.SavePosition();
        saved_index = i + 1;
      }
    }
    EXPECT_EQ(in.PeekByte(), -1);
    EXPECT_TRUE(in.eof());
    EXPECT_FALSE(in.ReadLine(&line));
    EXPECT_TRUE(in.eof());
    // Back to a saved position from the end: the end-of-file state is cleared.
    in.BackToSaved();
    EXPECT_FALSE(in.eof());
    ASSERT_TRUE(in.ReadLine(&line));
    EXPECT_EQ(line, lines[saved_index]);
    EXPECT_GT(in.Tell(), 0);
  }
}

TEST(RecordFileTest, TellAndBackToLastWhileWriting) {
  TempDir dir;
  std::string path = dir.File("w.txt");
  std::string memory;
  RecordFile to_file(16), to_memory(16);
  ASSERT_TRUE(to_file.Open(path, Direction::kWrite, Encoding::kToken));
  ASSERT_TRUE(to_memory.OpenMemoryWriter(&memory, Encoding::kToken));
  for (RecordFile* out : {&to_file, &to_memory}) {
    out->WriteString("N10G01X12.5");
    out->WriteString(std::string(30, '-'));
    EXPECT_EQ(out->Tell(), 41);
    // Going back over the last write lets a writer replace it.
    out->BackToLast();
    EXPECT_EQ(out->Tell(), 11);
    out->WriteString("Y3\n");
    EXPECT_TRUE(out->Close());
  }
  EXPECT_EQ(ReadAll(path), "N10G01X12.5Y3\n" + std::string(27, '-'));
  EXPECT_EQ(memory, ReadAll(path));
}

TEST(RecordFileTest, FailuresAreReported) {
  TempDir dir;
  RecordFile file;
  EXPECT_FALSE(file.Open(dir.File("missing"), Direction::kRead, Encoding::kToken));
  EXPECT_TRUE(file.failed());
  EXPECT_FALSE(file.is_open());
  EXPECT_EQ(file.path(), dir.File("missing"));
  // A folder is not a file to read.
  EXPECT_FALSE(file.Open(dir.File(""), Direction::kRead, Encoding::kToken));
  EXPECT_FALSE(file.Open(dir.File("no/such/dir/out.nc"), Direction::kWrite, Encoding::kToken));

  // A write error (a full device) shows in Close() and failed().
  if (access("/dev/full", W_OK) == 0) {
    RecordFile full(16);
    ASSERT_TRUE(full.Open("/dev/full", Direction::kWrite, Encoding::kToken));
    full.WriteString("more than sixteen bytes of NC text");
    EXPECT_TRUE(full.failed());
    EXPECT_FALSE(full.Close());
    RecordFile full_at_close;
    ASSERT_TRUE(full_at_close.Open("/dev/full", Direction::kWrite, Encoding::kToken));
    full_at_close.WriteString("G00");
    EXPECT_FALSE(full_at_close.Close());
  }

  // Reading from a writer and writing to a reader fail rather than misbehave.
  std::string sink;
  RecordFile writer;
  ASSERT_TRUE(writer.OpenMemoryWriter(&sink, Encoding::kBinary));
  int32_t value = 0;
  EXPECT_FALSE(writer.ReadInt(&value));
  EXPECT_TRUE(writer.failed());
  RecordFile reader;
  ASSERT_TRUE(reader.OpenMemory("abc", Encoding::kBinary));
  reader.WriteInt(1);
  EXPECT_TRUE(reader.failed());

  // Writing creates and truncates.
  std::string path = dir.File("t.nc");
  WriteAll(path, "old contents that must go");
  RecordFile out;
  ASSERT_TRUE(out.Open(path, Direction::kWrite, Encoding::kToken));
  out.WriteString("%");
  ASSERT_TRUE(out.Close());
  EXPECT_EQ(ReadAll(path), "%");
}

TEST(TextToNumberTest, IntLikeAtoi) {
  struct Case {
    const char* text;
    int32_t value;
  };
  for (Case c : std::vector<Case>{{"", 0},           {"abc", 0},         {"  42", 42},
                                  {"\t\r\n-7x", -7}, {"+15", 15},        {"- 5", 0},
                                  {"+-5", 0},        {"007", 7},         {"12.9", 12},
                                  {"2147483647", INT32_MAX},           {"-2147483648", INT32_MIN},
                                  {"2147483648", INT32_MAX},           {"-99999999999999999999", INT32_MIN}}) {
    EXPECT_EQ(ParseLeadingInt(c.text), c.value) << '"' << c.text << '"';
  }
}

// The reader's own conversion must agree with strtod to the last bit.
TEST(TextToNumberTest, DoubleAgreesWithStrtod) {
  std::vector<std::string> texts = {
      "", "abc", "  1.5", "-0", "+.5", ".", "-.", "1.5e", "1.5e+", "1e5x", "2E-3", "1.", "  +-1",
      "0x", "0x1p4", "0X.8", "0xg", "-0x1.8p1", "0x1p", "inf", "-Infinity", "INFx", "nan", "nan(123)",
      "nanx", "1e400", "-1e400", "1e-400", "4e-320", "2.2250738585072011e-308", "9007199254740993",
      "0.1000000000000000055511151231257827", "12.7 mm", "500.0", "\v\f7", "1,5", "1e0001",
      std::string(400, '9'), "0." + std::string(400, '0') + "1",
      // Edges of the short way for plain decimals.
      "9007199254740992", "9007199254740992.5", "900719925474099.3", "123456789012345678",
      "0.0000000000000000000001", "0.00000000000000000000001", "0.30000000000000004",
      "-0.0", "1234.5678e", "99999999999999999.9", "0.1e1", "5.", ".5x", "1200.0000"};
  std::mt19937_64 random(12345);
  std::uniform_real_distribution<double> coordinate(-5000.0, 5000.0);
  char text[64];
  for (int i = 0; i < 20000; ++i) {
    double v = coordinate(random);
    int precision = static_cast<int>(random() % 18);
    snprintf(text, sizeof text, i % 2 ? "%.*f" : "%.*e", precision, v);
    texts.emplace_back(text);
    double bits;
    uint64_t raw = random();
    std::memcpy(&bits, &raw, sizeof bits);
    snprintf(text, sizeof text, "%.17g", bits);
    texts.emplace_back(text);
  }
  for (const std::string& t : texts) {
    double expected = std::strtod(t.c_str(), nullptr);
    double actual = ParseLeadingDouble(t);
    if (std::isnan(expected)) {
      EXPECT_TRUE(std::isnan(actual)) << t;
    } else {
      EXPECT_EQ(std::memcmp(&expected, &actual, sizeof actual), 0)
          << '"' << t << "\" strtod " << expected << " ours " << actual;
    }
  }
}

}  // namespace
}  // namespace tlv
