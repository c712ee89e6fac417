// End-to-end tests: the real tlvdef on real files in a temporary folder.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/file_contents.h"
#include "platform/text_encoding.h"

namespace tlv {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTlvdef = TLV_BIN_DIR "/tlvdef";

// A small dictionary in the source format of data/dictionary.txt.
constexpr const char* kDictionarySource =
    "# test dictionary\n"
    "10    X_CORD    number   1  S    Ｘ座標\n"
    "11    Y_CORD    number   1  S    Ｙ座標\n"
    "14    F_CORD    number   1  S    送り速度\n"
    "19    G_MOVE    text     1  S    移動コード\n"
    "2001  USER_IN1  number   0  S    入力1\n"
    "2101  USER_CALC1 number  0  SN   計算1\n";

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

class TlvdefTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/tlvdef_test_XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
    Write("dictionary.txt", kDictionarySource);
    const RunResult built = Run("dict build dictionary.txt -o TOLvek.ini");
    ASSERT_EQ(built.status, 0) << built.err;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  void Write(const std::string& name, const std::string& bytes) {
    std::string err;
    ASSERT_TRUE(WriteFileAtomically(Path(name), bytes, &err)) << err;
  }
  std::string Read(const std::string& name) {
    std::string bytes, err;
    EXPECT_TRUE(ReadFileBytes(Path(name), &bytes, &err)) << err;
    return bytes;
  }

  // Runs tlvdef in the temporary folder with its own settings store,
  // standard input from the file `in` (none when empty).
  RunResult Run(const std::string& args, const std::string& in = "") {
    const std::string cmd = "cd '" + dir_ + "' && TLV_REGISTRY='" + Path("registry.reg") +
                            "' '" + kTlvdef + "' " + args + (in.empty() ? " </dev/null" : " <'" + in + "'") +
                            " >'" + Path("stdout") + "' 2>'" + Path("stderr") + "'";
    const int raw = std::system(cmd.c_str());
    RunResult r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = Read("stdout");
    r.err = Read("stderr");
    return r;
  }

  std::string dir_;
};

TEST_F(TlvdefTest, NewDumpBuildGiveTheSameBytesAndText) {
  ASSERT_EQ(Run("new -o a.tlv").status, 0);
  const RunResult dump = Run("dump a.tlv");
  ASSERT_EQ(dump.status, 0) << dump.err;
  EXPECT_NE(dump.out.find("variable 2101 USER_CALC1  # 計算1\n"), std::string::npos);
  Write("a.txt", dump.out);
  ASSERT_EQ(Run("build a.txt -o b.tlv").status, 0);
  EXPECT_EQ(Read("a.tlv"), Read("b.tlv"));

  // A hand-edited text form: a section and a code changed.
  std::string text = dump.out;
  text.replace(text.find("section 8 LinearFeed <<END\nEND"), 30,
               "section 8 LinearFeed <<END\nG01{X<X_CORD>}{Y<Y_CORD>}[F<F_CORD>]\nEND");
  text.replace(text.find("code G00_CODE = \"G00\""), 21, "code G00_CODE = \"G0\"");
  Write("c.txt", text);
  ASSERT_EQ(Run("build c.txt -o c.tlv").status, 0);
  const RunResult again = Run("dump c.tlv");
  EXPECT_EQ(again.out, text);
  // Another round through the binary keeps the bytes.
  Write("d.txt", again.out);
  ASSERT_EQ(Run("build d.txt -o d.tlv").status, 0);
  EXPECT_EQ(Read("c.tlv"), Read("d.tlv"));
}

TEST_F(TlvdefTest, DictionaryIsFoundLikeTheEditorFindsIt) {
  // From the settings store value "TLVIni" before the current folder.
  fs::create_directory(Path("elsewhere"));
  fs::rename(Path("TOLvek.ini"), Path("elsewhere/dict.ini"));
  RunResult missing = Run("new -o a.tlv");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("TOLvek.ini"), std::string::npos) << missing.err;
  EXPECT_FALSE(fs::exists(Path("a.tlv")));
  Write("registry.reg",
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n"
        "\"TLVIni\"=\"" + Path("elsewhere/dict.ini") + "\"\n");
  EXPECT_EQ(Run("new -o a.tlv").status, 0);
  EXPECT_EQ(Run("--dict elsewhere/dict.ini new -o b.tlv").status, 0);
  EXPECT_EQ(Read("a.tlv"), Read("b.tlv"));

  // dict dump gives source text that builds the same dictionary file.
  const RunResult dumped = Run("dict dump elsewhere/dict.ini");
  ASSERT_EQ(dumped.status, 0);
  Write("again.txt", dumped.out);
  ASSERT_EQ(Run("dict build again.txt -o again.ini").status, 0);
  EXPECT_EQ(Read("again.ini"), Read("elsewhere/dict.ini"));
}

TEST_F(TlvdefTest, CompileAndDecodeThroughPipes) {
  const std::string text = "G01{X<X_CORD>}[F<F_CORD>]\n...送り\n!<G_MOVE>\n";
  Write("section.txt", text);
  const RunResult compiled = Run("compile", Path("section.txt"));
  ASSERT_EQ(compiled.status, 0) << compiled.err;
  const std::string expected = std::string("G01\xFEX\xFF\x0A\0\0\0\xFD\xFC" "F\xFF\x0E\0\0\0\xFB\n", 20) +
                               "\xF9" + Utf8ToCp932("送り") + "\n" +
                               std::string("\xFA\x13\0\0\0\n", 6);
  EXPECT_EQ(compiled.out, expected);
  Write("section.bin", compiled.out);
  const RunResult decoded = Run("decode", Path("section.bin"));
  ASSERT_EQ(decoded.status, 0) << decoded.err;
  EXPECT_EQ(decoded.out, text);

  const std::string cmd = "printf '<if>1<then>a<endif>' | TLV_REGISTRY=/nonexistent '" +
                          std::string(kTlvdef) + "' --dict '" + Path("TOLvek.ini") +
                          "' compile | '" + kTlvdef + "' --dict '" + Path("TOLvek.ini") +
                          "' decode > '" + Path("piped") + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(Read("piped"), "<IF>1<THEN>a<ENDIF>");
}

TEST_F(TlvdefTest, BadInputEndsWithStatusOneAndAMessage) {
  Write("bad.txt", "a\n<IF>1<THEN>{x\n");
  RunResult r = Run("compile", Path("bad.txt"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "tlvdef: stdin:3:1: コードが異常です。( }, ] がありません。)\n");

  Write("bad.bin", std::string("ab\xF7\x07", 4));
  r = Run("decode", Path("bad.bin"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "tlvdef: stdin: byte 2: コードが正しくありません。\n");

  ASSERT_EQ(Run("new -o a.tlv").status, 0);
  std::string text = Run("dump a.tlv").out;
  const std::size_t at = text.find("rigid_tap = 0");
  const int line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
  text.replace(at, 13, "rigid_tap = yes");
  Write("bad_form.txt", text);
  r = Run("build bad_form.txt -o out.tlv");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "tlvdef: bad_form.txt:" + std::to_string(line) +
                       ": whole number expected, found 'yes'\n");
  EXPECT_FALSE(fs::exists(Path("out.tlv")));

  Write("unknown.tlv", std::string("\x0A\0\0\0TOLvek9.99", 14));
  r = Run("convert unknown.tlv -o out.tlv");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("無効なファイル、又は古いファイルが指定されました。"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(Path("out.tlv")));

  EXPECT_EQ(Run("dump missing.tlv").status, 1);
  EXPECT_EQ(Run("frobnicate").status, 1);
  EXPECT_EQ(Run("build a.txt").status, 1);  // no -o
  r = Run("list a.tlv -o list.txt --parts coord,colours");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("'colours'"), std::string::npos);
  EXPECT_EQ(Run("--help").status, 0);
}

// A "TOLvek4.00" file: the converted definition takes the rapid feed from the
// settings store and gains the codes added since.
TEST_F(TlvdefTest, ConvertsAnOlderVersion) {
  std::string bytes;
  auto put_int = [&](std::int32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF));
  };
  put_int(10);
  bytes += "TOLvek4.00";
  put_int(0x00030101);  // G91
  put_int(0x00050002);  // split by length
  put_int(0x00000001);
  for (int i = 0; i < 8; ++i) put_int(i == 2 ? 7 : 0);  // sheet unit .. rigid tap
  put_int(4);  // min unit digits
  put_int(1);  // split large arcs
  put_int(1);  // one code
  put_int(3);
  bytes += "G00";
  put_int(2);
  bytes += "G0";
  put_int(0);  // no variable settings
  put_int(0);  // no sections
  Write("old.tlv", bytes);
  Write("registry.reg",
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n"
        "\"FeedAtRapid\"=\"1234.000000\"\n");
  const RunResult r = Run("convert old.tlv -o new.tlv");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string text = Run("dump new.tlv").out;
  EXPECT_NE(text.find("coordinate.output_mode = 1"), std::string::npos);
  EXPECT_NE(text.find("tape_length = 7\n"), std::string::npos);
  EXPECT_NE(text.find("rapid_feed = 1234\n"), std::string::npos);
  EXPECT_NE(text.find("code CYC_BORING = \"G85\"\ncode G00 = \"G0\"\n"), std::string::npos) << text;
  // The dictionary's settings are merged in.
  EXPECT_NE(text.find("variable 2101 USER_CALC1"), std::string::npos);
  EXPECT_EQ(Read("new.tlv").substr(4, 10), "TOLvek4.20");
}

TEST_F(TlvdefTest, WritesTheConfigurationList) {
  ASSERT_EQ(Run("new -o a.tlv").status, 0);
  ASSERT_EQ(Run("list a.tlv -o list.txt --parts coord,sheet").status, 0);
  const std::string list = Cp932ToUtf8(Read("list.txt"));
  EXPECT_EQ(list.find("====================================================\n"
                      ": Tolvek 3.40  Configuration List\n: \n:   File Name : " +
                      Path("a.tlv") + "\n: Output Date : "),
            0u)
      << list;
  EXPECT_NE(list.find("====================================================\n"
                      "#################################\n# 座標モード\n"
                      "#################################\nＧ９０出力モード\n工具先端座標\n"
                      "#################################\n# 工程表モード\n"
                      "#################################\n工程表出力なし\n工程表拡張子： inf\n"
                      "===== End Of List ==================================\n"),
            std::string::npos)
      << list;
}

// The shipped dictionary, built beside the programs, serves a whole round.
TEST_F(TlvdefTest, ShippedDictionary) {
  const std::string dict = std::string("--dict '") + TLV_BIN_DIR + "/TOLvek.ini' ";
  ASSERT_EQ(Run(dict + "new -o a.tlv").status, 0);
  const RunResult dump = Run(dict + "dump a.tlv");
  ASSERT_EQ(dump.status, 0) << dump.err;
  Write("a.txt", dump.out);
  ASSERT_EQ(Run(dict + "build a.txt -o b.tlv").status, 0);
  EXPECT_EQ(Read("a.tlv"), Read("b.tlv"));
}

}  // namespace
}  // namespace tlv
