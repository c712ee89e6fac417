// The running status of an evaluation and the hand-off of its diagnostic
// texts to the host.
#ifndef TLV_EXPRESS_DIAGNOSTICS_H_
#define TLV_EXPRESS_DIAGNOSTICS_H_

#include <string_view>

#include "express/value.h"

namespace tlv {

/// Collects the status of one evaluation (or compile) and passes diagnostic
/// texts to the host's hook.  Texts are only put together when a hook is set,
/// so a failing evaluation in a hot loop costs no allocation.
class Diagnostics {
 public:
  explicit Diagnostics(const DiagnosticHook* hook = nullptr) : hook_(hook) {}

  int status() const { return status_; }
  /// True once an error (negative status) has been recorded.
  bool failed() const { return status_ < 0; }
  void Reset() { status_ = kExpressOk; }

  /// Raises the status by `code` (RaiseExpressStatus) without a text.
  void Raise(int code) { status_ = RaiseExpressStatus(status_, code); }

  /// Raises the status by `code` and reports the concatenation of the parts.
  /// A warning (kExpressOk) only reports.
  void Report(int code, std::string_view a, std::string_view b = {},
              std::string_view c = {});

 private:
  const DiagnosticHook* hook_;
  int status_ = kExpressOk;
};

}  // namespace tlv

#endif  // TLV_EXPRESS_DIAGNOSTICS_H_
