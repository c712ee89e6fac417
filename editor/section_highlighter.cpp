#include "editor/section_highlighter.h"

#include "editor/display_settings.h"

namespace tlv {

std::vector<SectionInk> InkOfLine(const QString& line, bool* in_tag) {
  std::vector<SectionInk> ink(static_cast<std::size_t>(line.size()), SectionInk::kText);
  bool tag = *in_tag;
  for (qsizetype i = 0; i < line.size(); ++i) {
    const QChar c = line.at(i);
    if (tag) {
      ink[static_cast<std::size_t>(i)] = SectionInk::kCode;
      if (c == QChar('>')) tag = false;
      continue;
    }
    if (c == QChar('.') && i + 2 < line.size() && line.at(i + 1) == QChar('.') &&
        (line.at(i + 2) == QChar('.') || line.at(i + 2) == QChar(','))) {
      for (qsizetype k = i; k < line.size(); ++k) {
        ink[static_cast<std::size_t>(k)] = SectionInk::kComment;
      }
      break;
    }
    if (c == QChar('<')) {
      tag = true;
      ink[static_cast<std::size_t>(i)] = SectionInk::kCode;
    }
  }
  *in_tag = tag;
  return ink;
}

SectionHighlighter::SectionHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(document), text_(Qt::black), code_(255, 0, 255) {}

void SectionHighlighter::SetColours(const QColor& text, const QColor& code) {
  text_ = text;
  code_ = code;
  rehighlight();
}

void SectionHighlighter::highlightBlock(const QString& text) {
  bool in_tag = previousBlockState() == 1;
  const std::vector<SectionInk> ink = InkOfLine(text, &in_tag);
  setCurrentBlockState(in_tag ? 1 : 0);
  qsizetype start = 0;
  while (start < text.size()) {
    qsizetype end = start;
    const SectionInk kind = ink[static_cast<std::size_t>(start)];
    while (end < text.size() && ink[static_cast<std::size_t>(end)] == kind) ++end;
    const QColor& colour =
        kind == SectionInk::kCode ? code_ : kind == SectionInk::kComment ? kCommentColour : text_;
    setFormat(static_cast<int>(start), static_cast<int>(end - start), colour);
    start = end;
  }
}

}  // namespace tlv
