// The preview of a post definition being edited: posts a sample tool path
// with it, by the real TLVP in a scratch folder, and hands back the NC text
// and the messages of the run.
//
// The run is a child process rather than a call into the post library: a
// definition being edited is exactly the kind that may drive the run into
// a fault, and the editor holding the user's unsaved work must not go down
// with it; a child can also be killed at once when a newer edit makes the
// run stale, which a call on a worker thread cannot.
//
// **Example**
//   PreviewRequest request;
//   request.definition = document.definition();
//   request.tool_path = "/opt/tlv/bin/samples/plate.tlvstx";
//   request.tlvp_program = "/opt/tlv/bin/TLVP";
//   request.dictionary_path = "/opt/tlv/bin/TOLvek.ini";
//   request.user_settings_path = DefaultSettingsPath();
//   PreviewResult result = RunPreview(request);
#ifndef TLV_PREVIEW_PREVIEW_RUNNER_H_
#define TLV_PREVIEW_PREVIEW_RUNNER_H_

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "definition/post_definition.h"
#include "preview/run_output.h"

namespace tlv {

/// The most NC text a preview keeps by default.
inline constexpr std::size_t kDefaultMaxNcBytes = 8u << 20;
/// Warnings are placed in the NC text only for tool paths up to this size.
inline constexpr std::size_t kMaxLocateToolPathBytes = 4u << 20;
/// The most extra runs spent placing warnings in the NC text.
inline constexpr int kMaxLocateRuns = 160;

struct PreviewResult;

struct PreviewRequest {
  /// The definition as it stands in the editor; written to a scratch file,
  /// never to the user's.
  PostDefinition definition;
  /// The sample tool-path file; only read (a procedure parameter file
  /// beside it is used too).
  std::string tool_path;
  /// The TLVP program to run.
  std::string tlvp_program;
  /// The variable dictionary the editor uses.
  std::string dictionary_path;
  /// The user's settings file: read for the values that shape the NC text,
  /// never written.  "" runs with an empty store.
  std::string user_settings_path;
  /// Where the scratch folder is made; "" is the system's temporary folder.
  std::string scratch_parent;
  /// NC text over this many bytes is cut at a line end and not kept.
  std::size_t max_nc_bytes = kDefaultMaxNcBytes;
  /// A run that takes longer is stopped.
  std::chrono::milliseconds timeout{std::chrono::minutes(2)};
  /// Finds the NC line of each message by posting the tool path cut after
  /// fewer records (see kMaxLocateToolPathBytes, kMaxLocateRuns).
  bool locate_messages = true;
  /// Placing messages stops after this long; the rest keep line 0.
  std::chrono::milliseconds locate_budget{std::chrono::seconds(10)};
  /// Called on the runner's thread with the result as it stands before the
  /// messages are placed, when placing follows: a caller can show the
  /// program at once instead of after the extra runs.  May be empty.
  std::function<void(const PreviewResult&)> on_program;
};

struct PreviewResult {
  /// The run made the NC program.
  bool ok = false;
  /// Stopped by the caller's cancel flag; nothing else is filled in.
  bool cancelled = false;
  /// The NC program (CP932 bytes as written), at most max_nc_bytes.
  std::string nc;
  /// The program's whole size in bytes; more than nc.size() when cut.
  std::uint64_t nc_bytes = 0;
  bool nc_truncated = false;
  /// Warnings and errors of the run, in the order written.
  std::vector<PreviewMessage> messages;
  /// Messages over kMaxPreviewMessages, counted only.
  std::size_t dropped_messages = 0;
  /// One line for a status bar (UTF-8).
  std::string summary;
};

/// Posts the request's tool path with its definition.  Never prompts (every
/// dialog of the run takes its default), never writes outside a scratch
/// folder of its own, which is removed before returning.  Stops early, with
/// `cancelled`, when `*cancel` becomes true (`cancel` may be null).
PreviewResult RunPreview(const PreviewRequest& request,
                         const std::atomic<bool>* cancel = nullptr);

/// The first line of `nc` that differs from `reference`, counted from 0:
/// the number of whole lines the two have in common at their start.
int CommonLineCount(std::string_view nc, std::string_view reference);

/// The offsets at which the records of a tool-path text begin (lines that
/// start with '_'); what lies before the first is the file's header.
std::vector<std::size_t> RecordOffsets(std::string_view tool_path);

}  // namespace tlv

#endif  // TLV_PREVIEW_PREVIEW_RUNNER_H_
