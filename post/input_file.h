// The tool-path data file around the jobs: joining its pieces before the
// run, and the ".temp" name it carries while the jobs read it.
#pragma once

#include <cstddef>
#include <string>

namespace tlv {

/// Pieces are copied in chunks of this size.
inline constexpr std::size_t kJoinChunkSize = 1 << 20;

/// The outcome of JoinInputPieces.
struct JoinResult {
  bool ok = false;
  int pieces_joined = 0;
  /// When !ok: a line for standard output and the log.
  std::string error;
};

/// Appends the pieces "<input_path>_1", "_2", ... (up to the first that does
/// not exist) to the input file in order, deleting each piece once its whole
/// content is appended and on disk.  When a piece cannot be read, appended
/// or deleted, the join stops: the input file is cut back to its size
/// before that piece, and that piece and the ones after it are kept, so
/// nothing is lost and the join can be run again.
JoinResult JoinInputPieces(const std::string& input_path,
                           std::size_t chunk_size = kJoinChunkSize);

/// The name the tool-path file carries during the jobs.
std::string TempInputPath(const std::string& input_path);

}  // namespace tlv
