#include "toolpath/header_cursor.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/raster_toolpath.h"
#include "toolpath/tool_path_reader.h"

namespace tlv {
namespace {

namespace fs = std::filesystem;

struct Line {
  int64_t offset;
  std::string text;  // as the record reader sees it: no CR, cut to 199
};

// The file's lines the plain way.
std::vector<Line> Lines(const std::string& text) {
  std::vector<Line> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t lf = text.find('\n', at);
    size_t end = lf == std::string::npos ? text.size() : lf;
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > ToolPathReader::kMaxLineLength) line.resize(ToolPathReader::kMaxLineLength);
    lines.push_back({static_cast<int64_t>(at), line});
    at = lf == std::string::npos ? text.size() : lf + 1;
  }
  return lines;
}

int64_t Expected(const std::vector<Line>& lines, int32_t kind, int64_t from) {
  const std::string header = "_" + std::to_string(kind);
  for (const Line& line : lines) {
    if (line.offset >= from && line.text == header) return line.offset;
  }
  return HeaderCursor::kNone;
}

// Headers that only nearly match, CR LF ends, "_" inside lines, a long line
// ending in a header's text, and a last line without LF.
const std::string kTricky =
    "_1500\n.1=0 a_1500\n_15000\n_01500\n_1500 \n_200\r\n.2=1 x\n" +
    std::string(250, 'y') + "\n_1500x\n\n_1500\r\n_150\n" + std::string(300, 'z') +
    "_1500\n_200\n.3=0 _1500\n_1500\r";

class HeaderCursorTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "header_cursor_XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Write(const std::string& text) {
    std::string path = (dir_ / "part.temp").string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  // Asks a cursor at every line start in turn (and again at the same one)
  // and compares with the plain search, from memory and from the file through
  // buffers small enough to split every header.
  void CheckEveryLine(const std::string& text) {
    const std::vector<Line> lines = Lines(text);
    const std::string path = Write(text);
    for (int32_t kind : {1500, 200, 150, 1}) {
      for (size_t buffer : {size_t{32}, size_t{33}, size_t{47}, size_t{65536}}) {
        for (bool memory : {true, false}) {
          HeaderCursor cursor(kind, buffer);
          ASSERT_TRUE(memory ? cursor.OpenMemory(text) : cursor.Open(path));
          for (const Line& line : lines) {
            ASSERT_EQ(cursor.NextAtOrAfter(line.offset), Expected(lines, kind, line.offset))
                << kind << " at " << line.offset << " buffer " << buffer << " memory " << memory;
            ASSERT_EQ(cursor.NextAtOrAfter(line.offset), Expected(lines, kind, line.offset));
          }
          EXPECT_EQ(cursor.NextAtOrAfter(static_cast<int64_t>(text.size())), HeaderCursor::kNone);
        }
      }
    }
  }

  fs::path dir_;
};

TEST_F(HeaderCursorTest, SameAnswersAsReadingLineByLine) {
  CheckEveryLine(kTricky);
  CheckEveryLine("");
  CheckEveryLine("_1500");
  CheckEveryLine("x\n_200");
  CheckEveryLine(std::string(40, '_') + "\n_1\n");
}

// One cursor watching several kinds, asked about each of them at every
// line start in turn, answers as the plain search does.  With room for only
// a few kept headers per kind a kind may answer "unknown" once it had to
// drop one, but never a wrong place.
TEST_F(HeaderCursorTest, SeveralKindsFromOneRead) {
  const std::vector<Line> lines = Lines(kTricky);
  const std::string path = Write(kTricky);
  const int32_t kinds[] = {1500, 200, 150};
  for (size_t kept : {size_t{1}, size_t{2}, size_t{1} << 16}) {
    for (size_t buffer : {size_t{32}, size_t{41}, size_t{65536}}) {
      for (bool memory : {true, false}) {
        HeaderCursor cursor(1500, buffer, kept);
        ASSERT_TRUE(cursor.Watch(200));
        ASSERT_TRUE(cursor.Watch(150));
        ASSERT_TRUE(memory ? cursor.OpenMemory(kTricky) : cursor.Open(path));
        int unknown = 0;
        for (const Line& line : lines) {
          for (int32_t kind : kinds) {
            const int64_t got = cursor.NextAtOrAfter(kind, line.offset);
            if (got == HeaderCursor::kUnknown && kept < 16) {
              ++unknown;
              continue;
            }
            ASSERT_EQ(got, Expected(lines, kind, line.offset))
                << kind << " at " << line.offset << " kept " << kept << " buffer " << buffer;
          }
        }
        if (kept > 16) {
          EXPECT_EQ(unknown, 0);
        }
        // Kinds are fixed once a question was asked.
        EXPECT_FALSE(cursor.Watch(1));
        EXPECT_TRUE(cursor.Watch(200));
      }
    }
  }
}

// A cursor opened where the reader stands answers from there on.
TEST_F(HeaderCursorTest, StartingInTheMiddle) {
  const std::vector<Line> lines = Lines(kTricky);
  const std::string path = Write(kTricky);
  for (size_t from = 0; from < lines.size(); from += 3) {
    for (bool memory : {true, false}) {
      HeaderCursor cursor(1500, 32);
      ASSERT_TRUE(cursor.Watch(200));
      const int64_t start = lines[from].offset;
      ASSERT_TRUE(memory ? cursor.OpenMemory(kTricky, start) : cursor.Open(path, start));
      for (size_t i = from; i < lines.size(); ++i) {
        ASSERT_EQ(cursor.NextAtOrAfter(200, lines[i].offset), Expected(lines, 200, lines[i].offset));
        ASSERT_EQ(cursor.NextAtOrAfter(1500, lines[i].offset),
                  Expected(lines, 1500, lines[i].offset));
      }
    }
  }
}

TEST_F(HeaderCursorTest, SkippingAheadWithoutAskingInBetween) {
  const std::vector<Line> lines = Lines(kTricky);
  HeaderCursor cursor(1500, 32);
  ASSERT_TRUE(cursor.OpenMemory(kTricky));
  for (size_t i = 0; i < lines.size(); i += 5) {
    EXPECT_EQ(cursor.NextAtOrAfter(lines[i].offset), Expected(lines, 1500, lines[i].offset));
  }
  EXPECT_FALSE(cursor.Open((dir_ / "missing").string()));
}

// The reader's look-aheads, now answered by cursors, give what scanning the
// rest of the file from each record gives: checked at every record of a
// finishing program with many processes and tool changes.
TEST_F(HeaderCursorTest, ReaderLookAheadsAtEveryRecord) {
  std::string path = (dir_ / "raster.temp").string();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  bench::RasterPlan plan;
  plan.moves = 3000;
  plan.processes = 40;
  plan.tool_changes = 25;
  bench::RasterToolPath generator;
  ASSERT_TRUE(generator.Write(plan, f).ok);
  ASSERT_EQ(std::fclose(f), 0);
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  // Headers in file order; after reading record i the reader stands at
  // header i + 1.
  std::vector<std::string> headers;
  for (const Line& line : Lines(text)) {
    if (!line.text.empty() && line.text[0] == '_') headers.push_back(line.text);
  }
  auto find = [&](size_t from, int32_t kind) {
    for (size_t j = from; j < headers.size(); ++j) {
      if (headers[j] == "_" + std::to_string(kind)) return true;
    }
    return false;
  };
  auto before = [&](size_t from, int32_t kind) {
    for (size_t j = from; j < headers.size(); ++j) {
      if (headers[j] == "_" + std::to_string(kind)) return true;
      if (headers[j] == "_200") return false;
    }
    return false;
  };
  for (size_t buffer : {size_t{64}, size_t{1} << 16}) {
    ToolPathReader reader(buffer);
    ASSERT_TRUE(reader.Open(path));
    ToolPathRecord record;
    size_t read = 0;
    int tool_changes = 0;
    while (reader.ReadNextRecord(&record) > 0) {
      ++read;
      if (record.kind() == kToolChange) ++tool_changes;
      ASSERT_EQ(reader.FindAhead(kToolChange, true), find(read, kToolChange)) << read;
      ASSERT_EQ(reader.ComesBefore(kToolChange), before(read, kToolChange)) << read;
      ASSERT_EQ(reader.ComesBefore(kProcessEnd), before(read, kProcessEnd)) << read;
      ASSERT_EQ(reader.FindAhead(kProcessStart, true), find(read, kProcessStart)) << read;
    }
    EXPECT_EQ(read, headers.size());
    EXPECT_EQ(tool_changes, 25);
  }
}

}  // namespace
}  // namespace tlv
