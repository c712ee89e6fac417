#include "format/engine_output.h"

#include <string>

namespace tlv {

void EngineOutput::Report(std::string_view message) {
  std::string line(message);
  line.push_back('\n');
  Log(line);
  Print(message);
}

}  // namespace tlv
