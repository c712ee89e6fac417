// Names derived from the tool-path file's own name: the output files of
// own-file naming and the procedure parameter file beside the tool path.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlv {

struct RunSettings;

/// The base of own-file naming: `input_path` cut at the first ".tolvek", or
/// when there is none at the first ".tlvstn" (either found without regard to
/// case; the path keeps its own case).  nullopt when it holds neither.
std::optional<std::string> OwnFileBase(std::string_view input_path);

/// When own-file naming is on and the input path has a base, gives each
/// enabled slot its output path by the own-file extension type:
///   0: base "." NC default extension;
///   1: base "." definition file name up to ".tlv" when the definition path
///      holds ".tlv", else the input path followed by the slot index 0..2;
///   other: unchanged.
/// A name that would pass the output-path limit leaves the slot unchanged
/// and adds a line to `warnings`.
void ApplyOwnFileNaming(RunSettings* settings,
                        std::vector<std::string>* warnings);

/// The procedure parameter file of a tool path: the input path cut at the
/// first ".tolvek", then at ".tlvstn", then at ".tlvstx" (without regard to
/// case), followed by ".xml".  Empty when that would pass its limit.
std::string ProcedureParameterPath(std::string_view input_path);

}  // namespace tlv
