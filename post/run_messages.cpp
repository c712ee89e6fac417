#include "post/run_messages.h"

namespace tlv {

void RunMessages::Out(std::string_view text) {
  if (!out_) return;
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fflush(out_);
}

void RunMessages::Log(std::string_view format, LogArg a, LogArg b) {
  log_->Printf(format, a, b);
}

void RunMessages::Both(std::string_view text) {
  Out(text);
  log_->Write(text);
}

}  // namespace tlv
