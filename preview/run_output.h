// What a preview shows of TLVP's standard output: the warnings and errors
// of the run, without the lines every run writes.
#ifndef TLV_PREVIEW_RUN_OUTPUT_H_
#define TLV_PREVIEW_RUN_OUTPUT_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tlv {

enum class PreviewMessageKind {
  kError,    ///< the run failed or could not be made
  kWarning,  ///< the run went on
  kCompile,  ///< a section text the compiler refused (set by the editor)
};

/// One message of a preview.
struct PreviewMessage {
  PreviewMessageKind kind = PreviewMessageKind::kWarning;
  std::string text;  ///< UTF-8, lines joined by '\n', no final line end
  /// 1-based line of the NC program the message belongs to (the first line
  /// written after it); 0 when not known.
  int nc_line = 0;
};

/// The most messages one run keeps; the rest are only counted.
inline constexpr std::size_t kMaxPreviewMessages = 500;

/// The messages of a run's standard output.
struct RunMessagesRead {
  std::vector<PreviewMessage> messages;
  /// Messages over kMaxPreviewMessages, counted only.
  std::size_t dropped = 0;
};

/// Reads TLVP's standard output: the banner, the tool-path line (the run's
/// `input_path`), the
/// progress of each job (">> ...", header progress, the file lines) and the
/// result lines are left out; a warning the motion handlers write over two
/// lines is one message; every other line is a message of its own, an
/// error when it begins with "Error:".
RunMessagesRead ReadRunOutput(std::string_view out, std::string_view input_path);

}  // namespace tlv

#endif  // TLV_PREVIEW_RUN_OUTPUT_H_
