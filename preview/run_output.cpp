#include "preview/run_output.h"

#include <array>

#include "motion/arc.h"
#include "motion/motion_core.h"

namespace tlv {
namespace {

// Lines that every run writes, whole or by their start.
constexpr std::array<std::string_view, 6> kRoutineLines = {
    "CNC post-processor for machining centres. Provided as is, without warranty.",
    "ファイルを開きました。",
    "コードが見つかりました。",
    "Execution Successfully Finished.",
    "プログラムを作成できませんでした｡",
    "----------------------------------",
};
constexpr std::array<std::string_view, 4> kRoutineStarts = {
    "TLVP Ver.", ">> ", "  TLV   File: ", "  Out   File: "};

// Texts written as one message over several lines.
constexpr std::array<std::string_view, 2> kBlockWarnings = {kFeedAboveRapidWarning,
                                                             kArcCentreWarning};

bool IsRoutine(std::string_view line, std::string_view input_path) {
  for (std::string_view r : kRoutineLines) {
    if (line == r) return true;
  }
  for (std::string_view s : kRoutineStarts) {
    if (line.substr(0, s.size()) == s) return true;
  }
  // The tool-path line after the banner.
  return line == input_path;
}

std::string_view WithoutLineEnd(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

}  // namespace

RunMessagesRead ReadRunOutput(std::string_view out, std::string_view input_path) {
  RunMessagesRead read;
  auto add = [&read](PreviewMessageKind kind, std::string_view text) {
    if (read.messages.size() >= kMaxPreviewMessages) {
      ++read.dropped;
      return;
    }
    read.messages.push_back({kind, std::string(text), 0});
  };
  std::size_t pos = 0;
  while (pos < out.size()) {
    const std::string_view rest = out.substr(pos);
    bool block = false;
    for (std::string_view w : kBlockWarnings) {
      if (rest.substr(0, w.size()) == w) {
        add(PreviewMessageKind::kWarning, WithoutLineEnd(w));
        pos += w.size();
        block = true;
        break;
      }
    }
    if (block) continue;
    const std::size_t end = rest.find('\n');
    const std::string_view line =
        WithoutLineEnd(end == std::string_view::npos ? rest : rest.substr(0, end));
    pos += end == std::string_view::npos ? rest.size() : end + 1;
    if (line.empty()) continue;
    if (IsRoutine(line, input_path)) continue;
    add(line.substr(0, 6) == "Error:" ? PreviewMessageKind::kError : PreviewMessageKind::kWarning,
        line);
  }
  return read;
}

}  // namespace tlv
