// The window dialogs as a module that TLVP loads only when a run wants
// windows: a run on the terminal, in a script or on a machine without a
// display then starts without loading the toolkit at all.  The module's
// references to the rest of TLVP are answered by TLVP itself, which exports
// its symbols, so the registries it fills are TLVP's own.
#include "post_windows/window_front_end.h"

extern "C" __attribute__((visibility("default"))) void TlvRegisterWindowFrontEnd() {
  tlv::RegisterWindowFrontEnd();
}
