#include "editor/display_settings.h"

#include <QFontInfo>
#include <cmath>

#include "editor/editor_context.h"
#include "platform/settings_store.h"

namespace tlv {

QFont DisplaySettings::Font() const {
  QFont font(font_name);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  const int height = font_height < 0 ? -font_height : font_height;
  font.setPixelSize(height > 0 ? height : 14);
  return font;
}

void DisplaySettings::SetFont(const QFont& font) {
  font_name = font.family();
  int pixels = font.pixelSize();
  if (pixels <= 0) pixels = static_cast<int>(std::lround(font.pointSizeF() * 96.0 / 72.0));
  font_height = -(pixels > 0 ? pixels : 14);
}

QColor ColourFromRef(std::uint32_t ref) {
  return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                static_cast<int>((ref >> 16) & 0xFF));
}

std::uint32_t ColourRef(const QColor& colour) {
  return static_cast<std::uint32_t>(colour.red()) |
         (static_cast<std::uint32_t>(colour.green()) << 8) |
         (static_cast<std::uint32_t>(colour.blue()) << 16);
}

DisplaySettings ReadDisplaySettings(const SettingsStore& store) {
  DisplaySettings s;
  const std::string_view key = kEditorSettingsKey;
  if (auto name = store.ReadText(key, "EditFntName", 99); name && !name->empty()) {
    s.font_name = QString::fromStdString(*name);
  }
  if (auto height = store.ReadNumber(key, "EditFntSize"); height && *height != 0) {
    s.font_height = *height;
  }
  if (auto v = store.ReadNumber(key, "EditTColor")) s.text = ColourFromRef(static_cast<std::uint32_t>(*v));
  if (auto v = store.ReadNumber(key, "EditBColor")) s.background = ColourFromRef(static_cast<std::uint32_t>(*v));
  if (auto v = store.ReadNumber(key, "EditMColor")) s.code = ColourFromRef(static_cast<std::uint32_t>(*v));
  return s;
}

bool WriteFontSettings(SettingsStore& store, const DisplaySettings& settings,
                       std::string* err) {
  return store.Write(kEditorSettingsKey,
                     {SettingsChange::Dword("EditFntSize",
                                            static_cast<std::uint32_t>(settings.font_height)),
                      SettingsChange::Text("EditFntName", settings.font_name.toStdString())},
                     err);
}

bool WriteColourSettings(SettingsStore& store, const DisplaySettings& settings,
                         std::string* err) {
  return store.Write(kEditorSettingsKey,
                     {SettingsChange::Dword("EditTColor", ColourRef(settings.text)),
                      SettingsChange::Dword("EditBColor", ColourRef(settings.background)),
                      SettingsChange::Dword("EditMColor", ColourRef(settings.code))},
                     err);
}

}  // namespace tlv
