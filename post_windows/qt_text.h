// Text crosses between our UTF-8 strings and Qt's strings here, and only
// here, in the window dialogs.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tlv {

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace tlv
