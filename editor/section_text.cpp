#include "editor/section_text.h"

#include <algorithm>

#include "definition/section_compiler.h"
#include "platform/text_encoding.h"

namespace tlv {

namespace {

// Every character CP932 lacks becomes one '?' in the conversion, and a '?'
// byte is never the second byte of a double-byte character, so a conversion
// that holds no more '?' than the source lost nothing.
bool LostCharacters(const std::string& utf8, const std::string& cp932) {
  return std::count(cp932.begin(), cp932.end(), '?') !=
         std::count(utf8.begin(), utf8.end(), '?');
}

}  // namespace

SectionTextResult ViewTextToCp932(const QString& text) {
  SectionTextResult result;
  QString lf = text;
  lf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  lf.replace(QChar('\r'), QChar('\n'));
  lf.replace(QChar(0x2029), QChar('\n'));  // paragraph separators of the view

  const std::string utf8 = lf.toStdString();
  std::string cp932 = Utf8ToCp932(utf8);
  if (LostCharacters(utf8, cp932)) {
    // Find the first character that does not convert, to name it.
    int line = 1;
    int column = 1;
    for (qsizetype i = 0; i < lf.size();) {
      const char32_t cp = lf.at(i).isHighSurrogate() && i + 1 < lf.size()
                              ? QChar::surrogateToUcs4(lf.at(i), lf.at(i + 1))
                              : lf.at(i).unicode();
      const qsizetype width = cp > 0xFFFF ? 2 : 1;
      const QString one = lf.mid(i, width);
      if (cp != '?' && Utf8ToCp932(one.toStdString()) == "?") {
        result.line = line;
        result.column = column;
        result.message = QStringLiteral("%1 行 %2 桁の文字「%3」(U+%4) は保存できません。")
                             .arg(line)
                             .arg(column)
                             .arg(one)
                             .arg(QString::number(static_cast<uint>(cp), 16)
                                      .toUpper()
                                      .rightJustified(4, QChar('0')));
        return result;
      }
      if (cp == '\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
      i += width;
    }
    result.message = QStringLiteral("保存できない文字が含まれています。");
    return result;
  }
  if (cp932.size() > kDisplayTextLimit) {
    result.message = QStringLiteral("セクションが長すぎます（%1 バイト、最大 %2 バイト）。")
                         .arg(cp932.size())
                         .arg(kDisplayTextLimit);
    return result;
  }
  result.ok = true;
  result.bytes = std::move(cp932);
  return result;
}

QString Cp932ToViewText(std::string_view cp932) {
  return QString::fromStdString(Cp932ToUtf8(cp932));
}

}  // namespace tlv
