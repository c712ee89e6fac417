#include "toolpath/tool_path_reader.h"

#include "bench/toolpath_generate.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tlv {
namespace {

// One record as "kind: id=value ...", texts quoted, fields without value as "id?".
std::string Debug(const ToolPathRecord& record) {
  if (record.count == 0) return "end";
  std::string out = std::to_string(record.kind()) + ":";
  for (int i = 1; i < record.count; ++i) {
    const RecordField& f = record.slots[i];
    out += " " + std::to_string(f.id);
    char number[32];
    switch (f.kind) {
      case FieldKind::kText:
        out += "='" + f.text + "'";
        break;
      case FieldKind::kNumber:
        snprintf(number, sizeof number, "%g", f.number);
        out += std::string("=") + number;
        break;
      case FieldKind::kNoValue:
        out += "?";
        break;
    }
  }
  return out;
}

std::vector<std::string> ReadAll(ToolPathReader* reader) {
  std::vector<std::string> records;
  ToolPathRecord record;
  while (reader->ReadNextRecord(&record) > 0) records.push_back(Debug(record));
  EXPECT_EQ(reader->ReadNextRecord(&record), 0);
  EXPECT_EQ(record.count, 0);
  return records;
}

std::vector<std::string> ReadText(const std::string& text, size_t buffer_size = 16) {
  ToolPathReader reader(buffer_size);
  EXPECT_TRUE(reader.OpenMemory(text));
  return ReadAll(&reader);
}

const char kSample[] =
    ".102=0 PART 01\n"
    "comment before the first record\n"
    "_100\n"
    ".102=0 PART 01\n"
    "_1100\n"
    ".512=1 10.5\n"
    ".513=1 -2\n"
    "a line without equals\n"
    ".14=1 500.0\n"
    ".19=0 G01\n"
    "_1234\n"
    ".1=9 ignored type\n"
    "_300\n"
    ".14=2 12.7\n"
    ".300=0 A B\n"
    ".301=0 \n"
    ".302=1\n"
    ".303=\n"
    "=5 x\n";

const std::vector<std::string> kSampleRecords = {
    "100: 102='PART 01'",
    "1100: 512=10.5 513=-2 14=500 19='G01'",
    "1234: 1?",
    "300: 14=12 300='A B' 301='' 302=0 303? 0?",
};

TEST(ToolPathReaderTest, RecordsAndFields) {
  EXPECT_EQ(ReadText(kSample), kSampleRecords);
  EXPECT_EQ(ReadText(kSample, 1 << 20), kSampleRecords);
  // CR LF line ends read the same.
  std::string crlf;
  for (char c : std::string(kSample)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(ReadText(crlf), kSampleRecords);
  // No header line: no record at all.
  EXPECT_TRUE(ReadText(".14=1 5\nx\n\n").empty());
  EXPECT_TRUE(ReadText("").empty());
  // A last line without LF still counts; "_" alone is kind 0.
  EXPECT_EQ(ReadText("_\n.5=1 3"), (std::vector<std::string>{"0: 5=3"}));
}

TEST(ToolPathReaderTest, TextFieldsReuseTheirSlots) {
  ToolPathReader reader;
  ASSERT_TRUE(reader.OpenMemory("_700\n.701=0 a long message text\n_800\n.701=1 3\n"));
  ToolPathRecord record;
  ASSERT_EQ(reader.ReadNextRecord(&record), 2);
  EXPECT_EQ(record.kind(), kMessage);
  ASSERT_NE(record.Find(701), nullptr);
  EXPECT_EQ(record.Find(701)->text, "a long message text");
  EXPECT_EQ(record.Find(702), nullptr);
  ASSERT_EQ(reader.ReadNextRecord(&record), 2);
  // The number field that overwrote the slot leaves no stale text behind.
  EXPECT_EQ(record.slots[1].kind, FieldKind::kNumber);
  EXPECT_EQ(record.slots[1].text, "");
  EXPECT_EQ(record.slots[1].number, 3.0);
}

TEST(ToolPathReaderTest, RecordKeepsFortyNineFields) {
  std::string text = "_1500\n";
  for (int i = 1; i <= 60; ++i) text += "." + std::to_string(i) + "=2 " + std::to_string(i) + "\n";
  text += "_1100\n.512=1 1\n";
  for (size_t buffer : {size_t{16}, size_t{1} << 16}) {
    ToolPathReader reader(buffer);
    ASSERT_TRUE(reader.OpenMemory(text));
    ToolPathRecord record;
    ASSERT_EQ(reader.ReadNextRecord(&record), ToolPathRecord::kCapacity);
    EXPECT_EQ(record.kind(), kToolChange);
    EXPECT_EQ(record.slots[49].id, 49);
    EXPECT_EQ(record.slots[49].number, 49.0);
    // The rest of the record is skipped; the next record follows.
    EXPECT_EQ(reader.ReadNextRecord(&record), 2);
    EXPECT_EQ(Debug(record), "1100: 512=1");
    EXPECT_EQ(reader.ReadNextRecord(&record), 0);
  }
}

TEST(ToolPathReaderTest, LongLinesAreCutAndTheNextLineReadFromItsStart) {
  const std::string value(300, 'v');
  const std::string text = "_700\n.701=0 " + value + "\r\n.702=1 7\n_" + std::string(250, '9') +
                           "\n.1=1 1\n_800\n";
  for (size_t buffer : {size_t{16}, size_t{64}, size_t{1} << 16}) {
    ToolPathReader reader(buffer);
    ASSERT_TRUE(reader.OpenMemory(text));
    ToolPathRecord record;
    ASSERT_EQ(reader.ReadNextRecord(&record), 3);
    // 199 characters of line: ".701=0 " and 192 of the value.
    EXPECT_EQ(record.slots[1].text, value.substr(0, ToolPathReader::kMaxLineLength - 7));
    EXPECT_EQ(Debug(record).substr(Debug(record).size() - 6), " 702=7");
    ASSERT_EQ(reader.ReadNextRecord(&record), 2);
    EXPECT_EQ(record.kind(), INT32_MAX);  // an over-long kind saturates
    ASSERT_EQ(reader.ReadNextRecord(&record), 1);
    EXPECT_EQ(record.kind(), kRapidMove);
    EXPECT_EQ(reader.cut_line_count(), 2);
  }
}

const char kProgram[] =
    "_100\n"
    "_200\n"
    "_1500\n.1=1 1\n"
    "_1100\n.512=1 1\n"
    "_11000\n"
    "_600\n"
    "_200\n"
    "_800\n"
    "_1100\n.512=1 2\n"
    "_600\n";

TEST(ToolPathReaderTest, FindAheadAndComesBefore) {
  for (size_t buffer : {size_t{16}, size_t{1} << 16}) {
    ToolPathReader reader(buffer);
    ASSERT_TRUE(reader.OpenMemory(kProgram));
    ToolPathRecord record;
    ASSERT_EQ(reader.ReadNextRecord(&record), 1);  // _100
    ASSERT_EQ(reader.ReadNextRecord(&record), 1);  // _200
    // A tool change comes before the next process start; a rapid does not.
    EXPECT_TRUE(reader.ComesBefore(kToolChange));
    EXPECT_FALSE(reader.ComesBefore(kRapidMove));
    EXPECT_TRUE(reader.ComesBefore(kProcessStart));
    EXPECT_FALSE(reader.ComesBefore(110));  // the kind must match exactly
    // With restore the position stays; the next record is still the tool change.
    EXPECT_TRUE(reader.FindAhead(kRapidMove, true));
    EXPECT_FALSE(reader.FindAhead(1101, true));
    EXPECT_TRUE(reader.FindAhead(11000, true));
    ASSERT_EQ(reader.ReadNextRecord(&record), 2);
    EXPECT_EQ(Debug(record), "1500: 1=1");
    // Without restore the found record is read next.
    EXPECT_TRUE(reader.FindAhead(kLinearFeed, false));
    ASSERT_EQ(reader.ReadNextRecord(&record), 2);
    EXPECT_EQ(Debug(record), "1100: 512=1");
    EXPECT_TRUE(reader.FindAhead(kLinearFeed, false));
    ASSERT_EQ(reader.ReadNextRecord(&record), 2);
    EXPECT_EQ(Debug(record), "1100: 512=2");
    // Nothing left of the kind: no look-ahead finds it, and the end of the
    // file stops comes-before.
    EXPECT_FALSE(reader.ComesBefore(kToolChange));
    EXPECT_TRUE(reader.ComesBefore(kProcessEnd));
    EXPECT_FALSE(reader.FindAhead(kToolChange, false));
    EXPECT_EQ(reader.ReadNextRecord(&record), 0);
    // At the end a look-ahead still answers, and reading stays at the end.
    EXPECT_FALSE(reader.FindAhead(kProcessEnd, true));
    EXPECT_FALSE(reader.ComesBefore(kProcessEnd));
    EXPECT_EQ(reader.ReadNextRecord(&record), 0);
  }
}

TEST(ToolPathReaderTest, Files) {
  namespace fs = std::filesystem;
  std::string dir_pattern = (fs::temp_directory_path() / "tool_path_reader_XXXXXX").string();
  fs::path dir = mkdtemp(dir_pattern.data());
  ToolPathReader reader(32);
  EXPECT_FALSE(reader.Open((dir / "missing.temp").string()));
  EXPECT_FALSE(reader.is_open());
  ToolPathRecord record;
  EXPECT_EQ(reader.ReadNextRecord(&record), 0);
  EXPECT_FALSE(reader.FindAhead(kProgramStart, true));
  EXPECT_FALSE(reader.ComesBefore(kProgramStart));

  std::string path = (dir / "part.temp").string();
  std::ofstream(path, std::ios::binary) << kSample;
  ASSERT_TRUE(reader.Open(path));
  EXPECT_EQ(reader.path(), path);
  EXPECT_EQ(ReadAll(&reader), kSampleRecords);
  reader.Close();
  EXPECT_FALSE(reader.is_open());
  fs::remove_all(dir);
}

// A generated program read from a file through buffers of several sizes gives
// the same records as reading it from memory, and every record it wrote.
TEST(ToolPathReaderTest, GeneratedFileThroughAnyBuffer) {
  namespace fs = std::filesystem;
  std::string dir_pattern = (fs::temp_directory_path() / "tool_path_reader_XXXXXX").string();
  fs::path dir = mkdtemp(dir_pattern.data());
  std::string path = (dir / "gen.temp").string();
  RecordFile out;
  ASSERT_TRUE(out.Open(path, RecordFile::Direction::kWrite, RecordFile::Encoding::kToken));
  bench::ToolPathGenerator generator(99);
  bench::GeneratedToolPath made = generator.Generate(&out, 300000);
  ASSERT_TRUE(out.Close());
  ASSERT_TRUE(made.ok);
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(static_cast<int64_t>(text.size()), made.bytes);

  std::vector<std::string> expected = ReadText(text, 1 << 20);
  EXPECT_EQ(static_cast<int64_t>(expected.size()), made.records);
  for (size_t buffer : {size_t{16}, size_t{1000}, size_t{4096}}) {
    ToolPathReader reader(buffer);
    ASSERT_TRUE(reader.Open(path));
    EXPECT_TRUE(ReadAll(&reader) == expected) << buffer;
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace tlv
