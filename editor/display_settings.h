// The section view's font and colours as the settings store keeps them
// ("EditFntName", "EditFntSize", "EditTColor", "EditBColor", "EditMColor").
#ifndef TLV_EDITOR_DISPLAY_SETTINGS_H_
#define TLV_EDITOR_DISPLAY_SETTINGS_H_

#include <QColor>
#include <QFont>
#include <QString>
#include <cstdint>
#include <string>

namespace tlv {

class SettingsStore;

/// Comments ("..." and "..,") are drawn in this colour, whatever the
/// settings say.
inline const QColor kCommentColour(0, 128, 0);

struct DisplaySettings {
  /// Face name as stored; "fixedsys" when absent.
  QString font_name = QStringLiteral("fixedsys");
  /// Height as the font description holds it: negative is the character
  /// height in pixels, positive the cell height.
  std::int32_t font_height = -14;
  QColor text = QColor(0, 0, 0);
  QColor background = QColor(255, 255, 255);
  QColor code = QColor(255, 0, 255);

  /// The font to draw with: the face (any monospaced face when it is not
  /// installed), at the stored height.
  QFont Font() const;
  /// Takes the face and height of `font` (a point size becomes the pixel
  /// height at 96 dots per inch).
  void SetFont(const QFont& font);
};

/// A stored colour value (0x00BBGGRR) as a colour, and back.
QColor ColourFromRef(std::uint32_t ref);
std::uint32_t ColourRef(const QColor& colour);

/// The settings, each value that is present overriding its default.
DisplaySettings ReadDisplaySettings(const SettingsStore& store);

/// Writes "EditFntSize" and "EditFntName".  False with `err` on failure.
bool WriteFontSettings(SettingsStore& store, const DisplaySettings& settings,
                       std::string* err);
/// Writes "EditTColor", "EditBColor" and "EditMColor".
bool WriteColourSettings(SettingsStore& store, const DisplaySettings& settings,
                         std::string* err);

}  // namespace tlv

#endif  // TLV_EDITOR_DISPLAY_SETTINGS_H_
