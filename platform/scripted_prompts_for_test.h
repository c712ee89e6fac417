#ifndef TLV_PLATFORM_SCRIPTED_PROMPTS_FOR_TEST_H_
#define TLV_PLATFORM_SCRIPTED_PROMPTS_FOR_TEST_H_

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/prompts.h"

namespace tlv {

/// The terminal front end answering from `answers` (end of input after them;
/// none at all reads an empty input), with everything it showed kept in
/// memory.  For tests only.
class ScriptedPrompts {
 public:
  explicit ScriptedPrompts(const std::string& answers) : answers_(answers) {
    in_ = answers_.empty() ? std::fopen("/dev/null", "r")
                           : fmemopen(answers_.data(), answers_.size(), "r");
    out_ = open_memstream(&shown_, &shown_size_);
    prompts_ = std::make_unique<TerminalPrompts>(in_, out_);
  }
  ~ScriptedPrompts() {
    prompts_.reset();
    std::fclose(in_);
    std::fclose(out_);
    std::free(shown_);
  }
  ScriptedPrompts(const ScriptedPrompts&) = delete;
  ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

  Prompts& prompts() { return *prompts_; }
  /// Everything the dialogs showed so far.
  std::string shown() {
    std::fflush(out_);
    return std::string(shown_, shown_size_);
  }

 private:
  std::string answers_;
  std::FILE* in_;
  std::FILE* out_;
  char* shown_ = nullptr;
  std::size_t shown_size_ = 0;
  std::unique_ptr<TerminalPrompts> prompts_;
};

}  // namespace tlv

#endif  // TLV_PLATFORM_SCRIPTED_PROMPTS_FOR_TEST_H_
