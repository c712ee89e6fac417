// ncplot: draws the backplot of an NC program as SVG or PNG.
//
//   ncplot NC_FILE -o OUT.svg|OUT.png [--view xy|xz|yz|iso]
//
// Warnings about the program go to standard error as "file:line: message";
// they do not make the run fail.  Exit status 1 when the command line is
// wrong or a file cannot be read or written.

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/file_contents.h"
#include "plot/nc_reader.h"
#include "plot/render_png.h"
#include "plot/render_svg.h"

namespace {

int Usage() {
  std::fputs("usage: ncplot NC_FILE -o OUT.svg|OUT.png [--view xy|xz|yz|iso]\n", stderr);
  return 1;
}

bool EndsWith(std::string_view s, std::string_view tail) {
  if (s.size() < tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    char c = s[s.size() - tail.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    if (c != tail[i]) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string input, output;
  tlv::PlotOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if ((arg == "-o" || arg == "--view") && i + 1 >= argc) return Usage();
    if (arg == "-o") {
      output = argv[++i];
    } else if (arg == "--view") {
      if (!tlv::ParsePlotView(argv[++i], &options.view)) {
        std::fprintf(stderr, "ncplot: unknown view \"%s\" (xy, xz, yz or iso)\n", argv[i]);
        return 1;
      }
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage();
    } else if (input.empty()) {
      input = arg;
    } else {
      return Usage();
    }
  }
  if (input.empty() || output.empty()) return Usage();
  const bool png = EndsWith(output, ".png");
  if (!png && !EndsWith(output, ".svg")) {
    std::fprintf(stderr, "ncplot: %s: the output name must end in .svg or .png\n", output.c_str());
    return 1;
  }

  std::string text, err;
  if (!tlv::ReadFileBytes(input, &text, &err)) {
    std::fprintf(stderr, "ncplot: %s\n", err.c_str());
    return 1;
  }
  const tlv::NcPath path = tlv::ReadNcProgram(text, input);
  for (const tlv::NcWarning& w : path.warnings) std::fprintf(stderr, "%s\n", w.message.c_str());

  const std::string bytes = png ? tlv::RenderPng(path, options) : tlv::RenderSvg(path, options);
  if (bytes.empty()) {
    std::fprintf(stderr, "ncplot: %s: the picture could not be encoded\n", output.c_str());
    return 1;
  }
  if (!tlv::WriteFileAtomically(output, bytes, &err)) {
    std::fprintf(stderr, "ncplot: %s\n", err.c_str());
    return 1;
  }
  return 0;
}
