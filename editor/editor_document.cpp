#include "editor/editor_document.h"

#include <cstdint>
#include <utility>

#include "editor/editor_context.h"
#include "platform/file_contents.h"
#include "platform/settings_store.h"

namespace tlv {

double ImportRapidFeed(const SettingsStore& settings) {
  if (!settings.KeyExists(kEditorSettingsKey)) return 10000.0;
  const std::optional<int> value = settings.ReadNumber(kEditorSettingsKey, "FeedAtRapid");
  return value ? static_cast<double>(*value) : 2000.0;
}

EditorDocument::EditorDocument(VariableDictionary dict)
    : dictionary_(std::move(dict)), definition_(NewPostDefinition(dictionary_)) {}

void EditorDocument::New() {
  ResetToNew(dictionary_, &definition_);
  path_.clear();
  modified_ = false;
}

DefinitionResult EditorDocument::Import(const std::string& path, double feed_at_rapid) {
  DefinitionResult result = ImportDefinitionFile(path, dictionary_, feed_at_rapid, &definition_);
  if (!result.ok()) return result;
  path_ = path;
  // The layouts from "TOLvek3.50" on remember their tag; the readers of the
  // older ones never did.
  if (result.format_version >= 350) imported_tag_ = result.version_tag;
  modified_ = false;
  return result;
}

DefinitionResult EditorDocument::OpenCurrentVersion(const std::string& path) {
  DefinitionResult result;
  std::string bytes;
  if (!ReadFileBytes(path, &bytes, &result.error)) {
    result.status = DefinitionStatus::kCannotOpen;
    return result;
  }
  // The tag comes first (int length, then its bytes); anything but the
  // current one is refused before the rest is looked at.
  std::string tag;
  if (bytes.size() >= 4) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::uint32_t length = p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
    if (length <= 100 && length <= bytes.size() - 4) tag.assign(bytes, 4, length);
  }
  if (tag != kCurrentVersionTag) {
    result.status = DefinitionStatus::kUnknownTag;
    result.version_tag = tag;
    result.error = path + ": " + std::string(kTextInvalidOrOldFile);
    return result;
  }
  PostDefinition scratch = definition_;
  result = ImportDefinitionBytes(bytes, dictionary_, 10000.0, &scratch);
  if (!result.ok()) {
    if (result.error.find(path) == std::string::npos) result.error = path + ": " + result.error;
    return result;
  }
  definition_ = std::move(scratch);
  path_ = path;
  imported_tag_ = result.version_tag;
  modified_ = false;
  return result;
}

DefinitionResult EditorDocument::WriteTo(const std::string& path) const {
  return SaveDefinitionFile(path, definition_);
}

DefinitionResult EditorDocument::Save(const std::string& path) {
  DefinitionResult result = WriteTo(path);
  if (!result.ok()) return result;
  path_ = path;
  modified_ = false;
  return result;
}

DefinitionResult EditorDocument::SaveAs(const std::string& path) {
  DefinitionResult result = WriteTo(path);
  if (result.ok()) path_ = path;
  return result;
}

}  // namespace tlv
