#include "definition/machine_data.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/file_contents.h"
#include "platform/text_encoding.h"

namespace tlv {
namespace {

TEST(MachineDataTest, DefaultsWriteSeventeenLabelledLines) {
  std::string text = WriteMachineData(MachineData());
  EXPECT_EQ(Cp932ToUtf8(text),
            "機械種類：0\n"
            "第１軸：0\n"
            "第２軸：2\n"
            "第１軸の回転方向：0\n"
            "第２軸の回転方向：0\n"
            "第１軸の制限のスイッチ：1\n"
            "第２軸の制限のスイッチ：1\n"
            "第１軸の最大値：180.000000\n"
            "第１軸の最小値：-180.000000\n"
            "第２軸の最大値：180.000000\n"
            "第２軸の最小値：-180.000000\n"
            "第１テーブル軸の位置Ｘ：0.000000\n"
            "第１テーブル軸の位置Ｙ：0.000000\n"
            "第１テーブル軸の位置Ｚ：0.000000\n"
            "第２テーブル軸の位置Ｘ：0.000000\n"
            "第２テーブル軸の位置Ｙ：0.000000\n"
            "第２テーブル軸の位置Ｚ：0.000000\n");
  // The labels are code page 932 in the file.
  EXPECT_EQ(text.substr(0, 10), "\x8b\x40\x8a\x42\x8e\xed\x97\xde\x81\x46");
}

TEST(MachineDataTest, RoundTripAndLineEnds) {
  MachineData data;
  data.machine_type = 3;
  data.first_axis = 1;
  data.second_axis = 0;
  data.first_direction = 1;
  data.second_limited = 0;
  data.first_max = 95.5;
  data.second_min = -0.25;
  data.table1_x = 12.125;
  data.table2_z = -300.0;
  MachineData read;
  EXPECT_EQ(ReadMachineData(WriteMachineData(data), &read), 17);
  EXPECT_EQ(read, data);

  // CR LF line ends and UTF-8 labels read the same.
  std::string crlf;
  for (char c : Cp932ToUtf8(WriteMachineData(data))) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  read = MachineData();
  EXPECT_EQ(ReadMachineData(crlf, &read), 17);
  EXPECT_EQ(read, data);
}

TEST(MachineDataTest, ReadingStopsQuietlyAtTheFirstMismatch) {
  MachineData data;
  data.machine_type = 5;
  data.first_axis = 2;
  data.second_axis = 1;
  data.first_direction = 1;
  data.first_max = 10.0;
  std::string text = WriteMachineData(data);

  // Line 4 has no number: lines 1-3 are taken, the rest keeps its values.
  std::string broken = text;
  std::string label = Utf8ToCp932("第１軸の回転方向：");
  broken.replace(broken.find(label) + label.size(), 1, "x");
  MachineData read;
  EXPECT_EQ(ReadMachineData(broken, &read), 3);
  EXPECT_EQ(read.machine_type, 5);
  EXPECT_EQ(read.second_axis, 1);
  EXPECT_EQ(read.first_direction, 0);
  EXPECT_EQ(read.first_max, 180.0);

  // Lines out of order, a leading blank, an empty file, a cut file.
  std::string first_line = text.substr(0, text.find('\n') + 1);
  read = MachineData();
  EXPECT_EQ(ReadMachineData(text.substr(first_line.size()), &read), 0);
  EXPECT_EQ(ReadMachineData(" " + text, &read), 0);
  EXPECT_EQ(ReadMachineData("", &read), 0);
  EXPECT_EQ(read, MachineData());
  // Cut inside the label of line 10.
  std::size_t cut = 0;
  for (int i = 0; i < 9; ++i) cut = text.find('\n', cut) + 1;
  EXPECT_EQ(ReadMachineData(text.substr(0, cut + 3), &read), 9);
  // Trailing text after a number is ignored, as "%d" reads.
  EXPECT_EQ(ReadMachineData(Utf8ToCp932("機械種類：4 軸\n"), &read), 1);
  EXPECT_EQ(read.machine_type, 4);
  EXPECT_EQ(ReadMachineData(Utf8ToCp932("機械種類：99999999999\n"), &read), 1);
  EXPECT_EQ(read.machine_type, 2147483647);
}

TEST(MachineDataTest, Files) {
  namespace fs = std::filesystem;
  std::string pattern = (fs::temp_directory_path() / "machine_data_XXXXXX").string();
  fs::path dir = mkdtemp(pattern.data());
  std::string path = (dir / "five.mch").string();
  MachineData data;
  data.machine_type = 1;
  std::string err;
  ASSERT_TRUE(SaveMachineDataFile(path, data, &err)) << err;
  MachineData read;
  EXPECT_TRUE(LoadMachineDataFile(path, &read));
  EXPECT_EQ(read, data);
  // A file that cannot be opened is ignored.
  read.machine_type = 4;
  EXPECT_FALSE(LoadMachineDataFile((dir / "none.mch").string(), &read));
  EXPECT_EQ(read.machine_type, 4);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace tlv
