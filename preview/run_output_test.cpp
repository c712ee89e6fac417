#include "preview/run_output.h"

#include <gtest/gtest.h>

#include "motion/arc.h"
#include "motion/motion_core.h"

namespace tlv {
namespace {

constexpr std::string_view kInput = "/tmp/p/in/plate.tlvstx";

std::string Banner() {
  return "TLVP Ver.4.24 (2008/5/9)\n"
         "CNC post-processor for machining centres. Provided as is, without warranty.\n" +
         std::string(kInput) + "\n>> PREVIEW の処理を始めます。\nファイルを開きました。\n"
         "コードが見つかりました。\n";
}

std::string Tail(bool ok) {
  return "  TLV   File: /tmp/p/preview.tlv\n  Out   File: /tmp/p/out/plate.nc\n" +
         std::string(ok ? "Execution Successfully Finished.\n"
                        : "プログラムを作成できませんでした｡\n") +
         "----------------------------------\n";
}

TEST(RunOutputTest, AQuietRunHasNoMessages) {
  EXPECT_TRUE(ReadRunOutput(Banner() + Tail(true), kInput).messages.empty());
  EXPECT_TRUE(ReadRunOutput(Banner() + Tail(false), kInput).messages.empty());
  EXPECT_TRUE(ReadRunOutput("", kInput).messages.empty());
}

TEST(RunOutputTest, TwoLineWarningsAreOneMessageEach) {
  const std::string out = Banner() + std::string(kFeedAboveRapidWarning) +
                          std::string(kArcCentreWarning) + std::string(kFeedAboveRapidWarning) +
                          Tail(true);
  const RunMessagesRead read = ReadRunOutput(out, kInput);
  ASSERT_EQ(read.messages.size(), 3u);
  EXPECT_EQ(read.messages[0].text + "\n", kFeedAboveRapidWarning);
  EXPECT_EQ(read.messages[1].text + "\n", kArcCentreWarning);
  for (const PreviewMessage& m : read.messages) {
    EXPECT_EQ(m.kind, PreviewMessageKind::kWarning);
    EXPECT_EQ(m.nc_line, 0);
  }
}

TEST(RunOutputTest, OtherLinesKeepTheirKind) {
  const std::string out =
      "TLVP Ver.4.24 (2008/5/9)\n"
      "Warning: 設定 X\\TLVLog の値が長すぎるため使いません(99 文字まで)。\n" +
      std::string(kInput) + "\n>> PREVIEW の処理を始めます。\r\n"
      "Error: /tmp/p/TOLvek.ini が読めません。\n" + Tail(false);
  const RunMessagesRead read = ReadRunOutput(out, kInput);
  ASSERT_EQ(read.messages.size(), 2u);
  EXPECT_EQ(read.messages[0].kind, PreviewMessageKind::kWarning);
  EXPECT_EQ(read.messages[1].kind, PreviewMessageKind::kError);
  EXPECT_EQ(read.messages[1].text, "Error: /tmp/p/TOLvek.ini が読めません。");
}

TEST(RunOutputTest, AFloodOfWarningsIsCountedNotKept) {
  std::string out;
  for (std::size_t i = 0; i < kMaxPreviewMessages + 7; ++i) out += kFeedAboveRapidWarning;
  // A last line without its line end is still read.
  out += "Error: cut";
  const RunMessagesRead read = ReadRunOutput(out, kInput);
  EXPECT_EQ(read.messages.size(), kMaxPreviewMessages);
  EXPECT_EQ(read.dropped, 8u);
}

}  // namespace
}  // namespace tlv
