#include "format/variable.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "format/number_format.h"

namespace tlv {
namespace {

// The modal output rule as a plain model: a stored value raises the changed
// flag when it prints differently from the value stored before it, and a
// printing reference lowers it.  The variable rounds lazily where it can;
// whatever it defers, what it prints and when must match the model.
TEST(VariableModalRule, StoresMatchThePlainRuleWhateverIsRoundedLater) {
  std::mt19937_64 random(20261208);
  for (int decimals : {0, 1, 3, 5}) {
    OutputFormat format = OutputFormat::RealPreset();
    format.decimal_digits = decimals;
    Variable v(100, false, format);
    double model_value = 0;
    bool model_changed = true;
    auto printed_as = [&](double x) {
      PrintedNumber p;
      FormatDigits(x, format, &p);
      return std::string(p.text, p.length);
    };
    // What the change detection compares: the printed digits as a number
    // (so "-0" and "0" are the same).
    auto quantum = [&](double x) {
      PrintedNumber p;
      FormatDigits(x, format, &p);
      return p.quantum;
    };
    v.SetNumber(0);
    v.SetChanged(true);
    for (int step = 0; step < 20000; ++step) {
      const int what = static_cast<int>(random() % 8);
      if (what < 5) {
        // Mostly values that round alike, now and then a real move.
        const double delta = what == 0 ? (static_cast<double>(random() % 2000) - 1000) / 7.0
                                        : (static_cast<double>(random() % 100) - 50) * 1e-7;
        const double value = model_value + delta;
        if (quantum(value) != quantum(model_value)) model_changed = true;
        model_value = value;
        v.SetNumber(value);
      } else if (what < 7) {
        std::string printed;
        const bool due = v.FormatIfDueOwn(&printed, kMaxNumberText);
        ASSERT_EQ(due, model_changed) << "step " << step << " decimals " << decimals;
        if (due) {
          ASSERT_EQ(printed, printed_as(model_value)) << "step " << step;
        }
        model_changed = false;
      } else {
        std::string printed;
        v.FormatAlwaysOwn(&printed, kMaxNumberText);
        ASSERT_EQ(printed, printed_as(model_value)) << "step " << step;
      }
    }
  }
}

}  // namespace
}  // namespace tlv
