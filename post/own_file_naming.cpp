#include "post/own_file_naming.h"

#include "platform/paths.h"
#include "post/command_line.h"
#include "post/run_settings.h"

namespace tlv {
namespace {

std::string_view CutAt(std::string_view path, std::string_view marker) {
  std::size_t at = FindIgnoreCase(path, marker);
  return at == std::string_view::npos ? path : path.substr(0, at);
}

}  // namespace

std::optional<std::string> OwnFileBase(std::string_view input_path) {
  for (std::string_view marker : {".tolvek", ".tlvstn"}) {
    std::size_t at = FindIgnoreCase(input_path, marker);
    if (at != std::string_view::npos) {
      return std::string(input_path.substr(0, at));
    }
  }
  return std::nullopt;
}

void ApplyOwnFileNaming(RunSettings* settings,
                        std::vector<std::string>* warnings) {
  if (!settings->own_file) return;
  std::optional<std::string> base = OwnFileBase(settings->input_path);
  if (!base) return;
  for (int i = 0; i < kJobSlotCount; ++i) {
    JobSlot& slot = settings->slots[i];
    if (!slot.enabled) continue;
    std::string output;
    if (settings->own_file_ext_type == 0) {
      output = *base + "." + settings->nc_default_ext;
    } else if (settings->own_file_ext_type == 1) {
      if (FindIgnoreCase(slot.definition_path, ".tlv") !=
          std::string_view::npos) {
        std::string_view name = CutAt(FileNamePart(slot.definition_path), ".tlv");
        output = *base + "." + std::string(name);
      } else {
        output = settings->input_path + std::to_string(i);
      }
    } else {
      continue;
    }
    if (SystemTextLength(output) > kMaxSlotOutputPathLength) {
      if (warnings) {
        warnings->push_back("Warning: 出力ファイル名が長すぎるため変更しません: " +
                            output + "\n");
      }
      continue;
    }
    slot.output_path = std::move(output);
  }
}

std::string ProcedureParameterPath(std::string_view input_path) {
  std::string_view base = input_path;
  for (std::string_view marker : {".tolvek", ".tlvstn", ".tlvstx"}) {
    base = CutAt(base, marker);
  }
  std::string path = std::string(base) + ".xml";
  if (SystemTextLength(path) > kMaxProcedureParameterPathLength) return {};
  return path;
}

}  // namespace tlv
