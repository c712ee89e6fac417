#include "express/diagnostics.h"

#include <string>

namespace tlv {

void Diagnostics::Report(int code, std::string_view a, std::string_view b,
                         std::string_view c) {
  Raise(code);
  if (hook_ == nullptr || !*hook_) return;
  std::string text;
  text.reserve(a.size() + b.size() + c.size());
  text.append(a).append(b).append(c);
  (*hook_)(text);
}

}  // namespace tlv
