#include "express/value.h"

namespace tlv {

std::size_t Cp932PrefixLength(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text.size();
  // Walk character by character from the start: only there is it known which
  // bytes are lead bytes (a trail byte can look like a lead byte).
  std::size_t i = 0;
  while (i < limit) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t width = 1;
    if (IsDoubleByteLead(c) && i + 1 < text.size() &&
        IsDoubleByteTrail(static_cast<unsigned char>(text[i + 1]))) {
      width = 2;
    }
    if (i + width > limit) break;
    i += width;
  }
  return i;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

void Value::SetText(std::string_view t) {
  type = ValueType::kText;
  text.assign(t.substr(0, Cp932PrefixLength(t, kExpressMaxText)));
}

}  // namespace tlv
