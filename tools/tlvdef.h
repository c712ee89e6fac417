// tlvdef: the definition editor's file work on the command line.  The
// dictionary file from its source, the text form of definitions, the section
// compiler and the configuration list.
#ifndef TLV_TOOLS_TLVDEF_H_
#define TLV_TOOLS_TLVDEF_H_

#include <iosfwd>
#include <string>
#include <vector>

namespace tlv {

/// The streams a run of tlvdef reads and writes: display text and compiled
/// bytes come on `in` and go to `out`; messages (UTF-8) go to `err`.
struct ToolIo {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
};

/// Runs tlvdef with `args` (without the program name).  Returns the exit
/// status: 0 on success, 1 on any failure (after a message on `io.err`).
int RunTlvdef(const std::vector<std::string>& args, ToolIo io);

}  // namespace tlv

#endif  // TLV_TOOLS_TLVDEF_H_
