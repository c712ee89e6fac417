// Section text between the section view (Unicode) and the CP932 display
// text the compiler and decoder work on.
#ifndef TLV_EDITOR_SECTION_TEXT_H_
#define TLV_EDITOR_SECTION_TEXT_H_

#include <QString>
#include <string>
#include <string_view>

namespace tlv {

/// The result of turning the view's text into CP932 display text.
struct SectionTextResult {
  bool ok = false;
  /// CP932 bytes with LF line ends when ok.
  std::string bytes;
  /// Why the text was refused (UTF-8 is not involved: a ready QString).
  QString message;
  /// 1-based line and column (in characters) of the first character that
  /// CP932 cannot hold; 0 when the refusal is of another kind.
  int line = 0;
  int column = 0;
};

/// Converts the view's text: CR LF and lone CR become LF, and the text must
/// fit kDisplayTextLimit bytes.  A character that CP932 cannot hold is
/// refused (never replaced), naming the character and its place.
SectionTextResult ViewTextToCp932(const QString& text);

/// CP932 display text for the view.  Bytes that are not CP932 show as
/// U+FFFD, which ViewTextToCp932 refuses, so such text cannot be stored
/// back by accident.
QString Cp932ToViewText(std::string_view cp932);

}  // namespace tlv

#endif  // TLV_EDITOR_SECTION_TEXT_H_
