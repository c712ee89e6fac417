#include "plot/render_png.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string_view>

namespace tlv {
namespace {

constexpr int kMaxSide = 16384;  // keeps the buffer of a bad size request sane

class Canvas {
 public:
  explicit Canvas(RgbImage* image) : image_(image) {}

  void Dot(int x, int y, std::uint32_t c, int size) {
    for (int dy = 0; dy < size; ++dy) {
      for (int dx = 0; dx < size; ++dx) Set(x + dx, y + dy, c);
    }
  }

  /// A straight line; `dash` > 0 draws dash pixels on, then dash*2/3 off.
  void Line(double x0, double y0, double x1, double y1, std::uint32_t c, int size,
            double dash) {
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) {
      return;
    }
    const double len = std::hypot(x1 - x0, y1 - y0);
    const int steps = static_cast<int>(std::min(std::ceil(len), 4.0 * kMaxSide)) + 1;
    const double off = size / 2.0;
    for (int i = 0; i <= steps; ++i) {
      const double t = static_cast<double>(i) / steps;
      if (dash > 0 && std::fmod(t * len, dash * 5 / 3) >= dash) continue;
      Dot(static_cast<int>(std::lround(x0 + (x1 - x0) * t - off + 0.5)),
          static_cast<int>(std::lround(y0 + (y1 - y0) * t - off + 0.5)), c, size);
    }
  }

  void Text(int x, int y, std::string_view text, std::uint32_t c, int scale);

 private:
  void Set(int x, int y, std::uint32_t c) {
    if (x < 0 || y < 0 || x >= image_->width || y >= image_->height) return;
    std::uint8_t* p = &image_->rgb[(static_cast<std::size_t>(y) * image_->width + x) * 3];
    p[0] = static_cast<std::uint8_t>(c >> 16);
    p[1] = static_cast<std::uint8_t>(c >> 8);
    p[2] = static_cast<std::uint8_t>(c);
  }

  RgbImage* image_;
};

// 3x5 glyphs, one row a value of three bits (left bit first).
struct Glyph {
  char c;
  std::uint8_t rows[5];
};
constexpr Glyph kGlyphs[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}},
    {'3', {7, 1, 7, 1, 7}}, {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}},
    {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 1, 1, 1}}, {'8', {7, 5, 7, 5, 7}},
    {'9', {7, 5, 7, 1, 7}}, {'.', {0, 0, 0, 0, 2}}, {'-', {0, 0, 7, 0, 0}},
    {'/', {1, 1, 2, 4, 4}}, {'X', {5, 5, 2, 5, 5}}, {'Y', {5, 5, 2, 2, 2}},
    {'Z', {7, 1, 2, 4, 7}}, {'T', {7, 2, 2, 2, 2}}, {'I', {7, 2, 2, 2, 7}},
    {'S', {7, 4, 7, 1, 7}}, {'O', {7, 5, 5, 5, 7}}, {'n', {0, 6, 5, 5, 5}},
    {'o', {0, 7, 5, 5, 7}}, {'m', {0, 7, 7, 5, 5}}, {'v', {0, 5, 5, 5, 2}},
    {'e', {7, 5, 7, 4, 7}}, {'s', {0, 7, 6, 1, 7}},
};

void Canvas::Text(int x, int y, std::string_view text, std::uint32_t c, int scale) {
  for (char ch : text) {
    for (const Glyph& g : kGlyphs) {
      if (g.c != ch) continue;
      for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 3; ++col) {
          if (g.rows[row] & (4 >> col)) Dot(x + col * scale, y + row * scale, c, scale);
        }
      }
      break;
    }
    x += 4 * scale;
  }
}

void PutBigEndian(std::string* out, std::uint32_t v) {
  out->push_back(static_cast<char>(v >> 24));
  out->push_back(static_cast<char>(v >> 16));
  out->push_back(static_cast<char>(v >> 8));
  out->push_back(static_cast<char>(v));
}

void PutChunk(std::string* out, const char type[5], std::string_view data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t crc_from = out->size();
  out->append(type, 4);
  out->append(data);
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(out->data() + crc_from),
                          static_cast<uInt>(out->size() - crc_from));
  PutBigEndian(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

std::uint32_t RgbImage::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
  return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

RgbImage RasterizePlot(const NcPath& path, const PlotOptions& requested) {
  PlotOptions options = requested;
  options.width = std::clamp(options.width, 64, kMaxSide);
  options.height = std::clamp(options.height, 64 + PlotLayout::kTop + PlotLayout::kBottom, kMaxSide);
  const PlotLayout layout(path, options);
  RgbImage image;
  image.width = options.width;
  image.height = options.height;
  image.rgb.assign(static_cast<std::size_t>(image.width) * image.height * 3, 0xff);
  Canvas canvas(&image);

  // Rapids first, so the cuts stay on top where they cross.
  for (SegmentKind kind : {SegmentKind::kRapid, SegmentKind::kFeed}) {
    for (const Segment& s : path.segments) {
      if (s.kind != kind) continue;
      double x0, y0, x1, y1;
      layout.Map(s.start, &x0, &y0);
      layout.Map(s.end, &x1, &y1);
      if (kind == SegmentKind::kRapid) {
        canvas.Line(x0, y0, x1, y1, kRapidColour, 1, 6);
      } else if (std::hypot(x1 - x0, y1 - y0) < 1) {
        // A plunge seen end-on (a drilled hole in XY): mark it.
        canvas.Dot(static_cast<int>(x0) - 2, static_cast<int>(y0) - 2, ToolColour(s.tool), 5);
      } else {
        canvas.Line(x0, y0, x1, y1, ToolColour(s.tool), 2, 0);
      }
    }
  }

  int x = PlotLayout::kMargin;
  canvas.Text(x, 12, PlotViewLabel(options.view), 0x000000, 2);
  x += 4 * 2 * static_cast<int>(PlotViewLabel(options.view).size()) + 12;
  std::set<int> tools;
  for (const Segment& s : path.segments) {
    if (s.kind == SegmentKind::kFeed) tools.insert(s.tool);
  }
  for (int t : tools) {
    const std::string label = "T" + std::to_string(t);
    canvas.Text(x, 12, label, ToolColour(t), 2);
    x += 8 * static_cast<int>(label.size()) + 8;
  }

  const int bar_y = options.height - PlotLayout::kBottom + 24;
  const double bar_x = PlotLayout::kMargin;
  const double bar_end = bar_x + layout.scale_bar_pixels();
  canvas.Line(bar_x, bar_y - 5, bar_x, bar_y, 0x000000, 2, 0);
  canvas.Line(bar_x, bar_y, bar_end, bar_y, 0x000000, 2, 0);
  canvas.Line(bar_end, bar_y - 5, bar_end, bar_y, 0x000000, 2, 0);
  canvas.Text(static_cast<int>(bar_end) + 8, bar_y - 9, ShortNumber(layout.scale_bar_units()),
              0x000000, 2);
  canvas.Text(PlotLayout::kMargin, bar_y + 12, ExtentsText(layout.extents()), 0x000000, 2);
  return image;
}

std::string EncodePng(const RgbImage& image) {
  std::string raw;
  const std::size_t row_bytes = static_cast<std::size_t>(image.width) * 3;
  raw.reserve((row_bytes + 1) * image.height);
  for (int y = 0; y < image.height; ++y) {
    raw.push_back('\0');  // filter: none
    raw.append(reinterpret_cast<const char*>(image.rgb.data()) + y * row_bytes, row_bytes);
  }
  std::string packed(compressBound(static_cast<uLong>(raw.size())), '\0');
  uLongf packed_size = static_cast<uLongf>(packed.size());
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packed_size,
                reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()),
                Z_BEST_COMPRESSION) != Z_OK) {
    return {};
  }
  packed.resize(packed_size);

  std::string out("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  PutBigEndian(&header, static_cast<std::uint32_t>(image.width));
  PutBigEndian(&header, static_cast<std::uint32_t>(image.height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bit, RGB, deflate, no filter, no interlace
  PutChunk(&out, "IHDR", header);
  PutChunk(&out, "IDAT", packed);
  PutChunk(&out, "IEND", {});
  return out;
}

std::string RenderPng(const NcPath& path, const PlotOptions& options) {
  return EncodePng(RasterizePlot(path, options));
}

}  // namespace tlv
