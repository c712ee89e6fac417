// A job's machine state for the handler tests: a variable store holding the
// variables the motion handlers write (three decimals, modal), the default
// code table, and the warnings collected in memory.
#ifndef TLV_MOTION_HANDLER_TEST_SUPPORT_H_
#define TLV_MOTION_HANDLER_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "definition/code_table.h"
#include "format/engine_test_support.h"
#include "format/variable_store.h"
#include "motion/motion_core.h"
#include "motion/run_context.h"
#include "motion/test_record.h"
#include "toolpath/tool_path_record.h"

namespace tlv {

class HandlerTest : public ::testing::Test {
 protected:
  HandlerTest() {
    for (std::int32_t n : {18, 19, 20, 21, 22, 23, 46, 1705}) Add(n, true);
    for (std::int32_t n : {13, 14, 24, 25, 26, 30, 31, 32, 33, 34, 35, 36, 44, 45, 47, 48, 49,
                           50, 51, 52, 53, 301, 313, 504, 506, 507, 509, 510, 511, 1712, 1723,
                           1724, 1725, 1730, 1740, 3005, 3006}) {
      Add(n, false);
    }
    for (std::int32_t n = 37; n <= 42; ++n) Add(n, false);
    for (std::int32_t n = 57; n <= 62; ++n) Add(n, false);
    ctx_.variables = &store_;
    ctx_.codes = &codes_;
    ctx_.messages = &out_;
    ResetRanges(ctx_);
  }

  void Add(std::int32_t n, bool text) { store_.Put(Variable(n, text, OutputFormat::RealPreset())); }
  Variable& V(std::int32_t n) { return *store_.Lookup(n); }
  double Num(std::int32_t n) { return store_.Lookup(n)->GetNumber(); }
  std::string Text(std::int32_t n) { return store_.Lookup(n)->GetText(); }
  /// The tracked position (previous output point).
  void SetPrevious(double x, double y, double z) {
    V(32).SetNumber(x);
    V(33).SetNumber(y);
    V(34).SetNumber(z);
  }

  VariableStore store_;
  CodeTable codes_ = CodeTable::Defaults();
  MemoryOutput out_;
  RunContext ctx_;
};

}  // namespace tlv

#endif  // TLV_MOTION_HANDLER_TEST_SUPPORT_H_
