// Colouring of section text: a "<" and everything up to and including the
// next ">" in the code colour (a tag may run over a line end), from "..." or
// "..," to the end of the line in green, the rest in the text colour.
#ifndef TLV_EDITOR_SECTION_HIGHLIGHTER_H_
#define TLV_EDITOR_SECTION_HIGHLIGHTER_H_

#include <QColor>
#include <QSyntaxHighlighter>
#include <vector>

namespace tlv {

/// What one character of a line is drawn as.
enum class SectionInk { kText, kCode, kComment };

/// The ink of every character of `line`.  `in_tag` says whether the line
/// starts inside a tag and on return whether it ends inside one.
std::vector<SectionInk> InkOfLine(const QString& line, bool* in_tag);

class SectionHighlighter : public QSyntaxHighlighter {
  Q_OBJECT

 public:
  explicit SectionHighlighter(QTextDocument* document);

  void SetColours(const QColor& text, const QColor& code);

 protected:
  void highlightBlock(const QString& text) override;

 private:
  QColor text_;
  QColor code_;
};

}  // namespace tlv

#endif  // TLV_EDITOR_SECTION_HIGHLIGHTER_H_
