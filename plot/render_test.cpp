#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <zlib.h>

#include <cstdlib>
#include <set>
#include <string>

#include "platform/file_contents.h"
#include "platform/temp_dir_for_test.h"
#include "plot/nc_reader.h"
#include "plot/render_png.h"
#include "plot/render_svg.h"

namespace tlv {
namespace {

const std::string kSample = std::string(TLV_SOURCE_DIR) + "/data/samples/plate.expected.nc";

NcPath Sample() {
  std::string text, err;
  EXPECT_TRUE(ReadFileBytes(kSample, &text, &err)) << err;
  return ReadNcProgram(text, "plate.expected.nc");
}

TEST(RenderSvgTest, EveryViewIsWellFormedWithDashedRapidsAndToolColours) {
  const NcPath path = Sample();
  for (PlotView view : {PlotView::kXY, PlotView::kXZ, PlotView::kYZ, PlotView::kIso}) {
    PlotOptions options;
    options.view = view;
    const std::string svg = RenderSvg(path, options);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(svg.c_str())) << PlotViewLabel(view);
    const pugi::xml_node root = doc.child("svg");
    EXPECT_EQ(root.attribute("width").as_int(), 1000);
    std::set<std::string> feed_colours;
    int rapids = 0;
    for (pugi::xml_node p : root.child("g").children("path")) {
      if (std::string(p.attribute("class").value()) == "rapid") {
        EXPECT_FALSE(p.attribute("stroke-dasharray").empty());
        ++rapids;
      } else {
        EXPECT_TRUE(p.attribute("stroke-dasharray").empty());
        feed_colours.insert(p.attribute("stroke").value());
      }
    }
    EXPECT_GT(rapids, 0);
    EXPECT_EQ(feed_colours.size(), 5u);  // five tools
    const std::string extents =
        root.find_child_by_attribute("text", "class", "extents").child_value();
    EXPECT_EQ(extents, "X -40 / 140   Y -5.2 / 85.2   Z -20.5 / 50");
    EXPECT_EQ(std::string(root.find_child_by_attribute("text", "class", "scale").child_value()),
              "20");
  }
}

TEST(RenderSvgTest, HolesSeenFromAboveAreMarkedAndEmptyPathsStillDraw) {
  const NcPath path = ReadNcProgram("G0 X0 Y0 Z10.\nG98 G81 X5. Y5. Z-3. R1.\nX10.\n", "t.nc");
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(RenderSvg(path, {}).c_str()));
  int holes = 0;
  for (pugi::xml_node c : doc.child("svg").children("circle")) holes += c.attribute("r") ? 1 : 0;
  EXPECT_EQ(holes, 2);

  pugi::xml_document empty;
  ASSERT_TRUE(empty.load_string(RenderSvg(NcPath{}, {}).c_str()));
  EXPECT_EQ(std::string(empty.child("svg")
                            .find_child_by_attribute("text", "class", "extents")
                            .child_value()),
            "no moves");
}

TEST(RenderPngTest, SampleDrawsToolColoursWhereThePathIs) {
  const NcPath path = Sample();
  PlotOptions options;
  const RgbImage image = RasterizePlot(path, options);
  ASSERT_EQ(image.width, 1000);
  ASSERT_EQ(image.height, 750);
  std::size_t inked = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) inked += image.At(x, y) != 0xffffff;
  }
  EXPECT_GT(inked, 5000u);
  EXPECT_LT(inked, image.width * image.height / 4u);
  // The middle of the face mill's first long pass is in its colour.
  const PlotLayout layout(path, options);
  double x, y;
  layout.Map({50, 20, -0.5}, &x, &y);
  EXPECT_EQ(image.At(static_cast<int>(x), static_cast<int>(y)), ToolColour(1));
}

TEST(RenderPngTest, EncodedFileHoldsThePictureExactly) {
  RgbImage image;
  image.width = 3;
  image.height = 2;
  image.rgb = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
  const std::string png = EncodePng(image);
  ASSERT_GT(png.size(), 33u);
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(png.substr(12, 4), "IHDR");
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\0\3\0\0\0\2", 8));
  const auto be32 = [&](std::size_t at) {
    return (static_cast<unsigned>(static_cast<unsigned char>(png[at])) << 24) |
           (static_cast<unsigned>(static_cast<unsigned char>(png[at + 1])) << 16) |
           (static_cast<unsigned>(static_cast<unsigned char>(png[at + 2])) << 8) |
           static_cast<unsigned char>(png[at + 3]);
  };
  EXPECT_EQ(be32(29), crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17));
  ASSERT_EQ(png.substr(37, 4), "IDAT");
  const unsigned idat = be32(33);
  std::string raw(2 * (1 + 9), '\0');
  uLongf raw_size = raw.size();
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(raw.data()), &raw_size,
                       reinterpret_cast<const Bytef*>(png.data() + 41), idat),
            Z_OK);
  EXPECT_EQ(raw, std::string("\0\1\2\3\4\5\6\7\10\11\0\12\13\14\15\16\17\20\21\22", 20));
  EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND");
}

TEST(NcplotCommandTest, WritesThePictureAndRefusesBadArguments) {
  TempDirForTest dir;
  const std::string ncplot = std::string(TLV_BIN_DIR) + "/ncplot";
  const std::string out = dir.File("plate.png");
  ASSERT_EQ(std::system((ncplot + " " + kSample + " -o " + out + " --view iso").c_str()), 0);
  std::string bytes, err;
  ASSERT_TRUE(ReadFileBytes(out, &bytes, &err)) << err;
  EXPECT_EQ(bytes.substr(1, 3), "PNG");

  const std::string quiet = " 2>" + dir.File("err.txt");
  EXPECT_NE(std::system((ncplot + " " + kSample + " -o " + dir.File("a.svg") + " --view top" +
                         quiet).c_str()), 0);
  EXPECT_NE(std::system((ncplot + " " + kSample + " -o " + dir.File("a.pdf") + quiet).c_str()), 0);
  EXPECT_NE(std::system((ncplot + " " + dir.File("none.nc") + " -o " + dir.File("b.svg") + quiet)
                            .c_str()),
            0);
  ASSERT_TRUE(ReadFileBytes(dir.File("err.txt"), &bytes, &err));
  EXPECT_NE(bytes.find("none.nc"), std::string::npos);
  EXPECT_FALSE(ReadFileBytes(dir.File("b.svg"), &bytes, &err));
}

}  // namespace
}  // namespace tlv
