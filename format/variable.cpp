#include "format/variable.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/numbers.h"
#include "platform/text_encoding.h"

namespace tlv {

namespace {

// Texts convert to numbers from their first 30 bytes only.
constexpr std::size_t kNumberTextBytes = 30;

double LeadingNumber(std::string_view text) {
  return ParseLeadingDouble(text.substr(0, std::min(text.size(), kNumberTextBytes)));
}

// The stored value truncated toward zero, saturating instead of overflowing.
std::int64_t TruncateToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 9.0e18) return std::numeric_limits<std::int64_t>::max();
  if (v <= -9.0e18) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(v);
}

void AppendCut(std::string_view text, std::size_t max, std::string* out) {
  out->append(CutCp932(text, max));
}

}  // namespace

void AppendLf(double v, std::string* out) {
  char buf[400];
  int n = std::snprintf(buf, sizeof buf, "%lf", v);
  if (n > 0) out->append(buf, std::min<std::size_t>(n, sizeof buf - 1));
}

Variable::Variable(std::int32_t num, bool text, OutputFormat format) : number(num), is_text(text) {
  SetFormat(std::move(format));
}

void Variable::SetFormat(OutputFormat format) {
  format_ = std::move(format);
  calculation_.reset();
  if (format_.calc_mode == 1 && !format_.formula.empty()) {
    calculation_ = FormatCalculation::Compile(format_.formula);
  }
  run_.cached = false;
  sheet_.cached = false;
  memo_valid_ = false;
}

double Variable::NewQuantum(double v) const {
  if (calculation_) return Quantise(calculation_->Apply(v), format_.decimal_digits);
  memo_value_ = v;
  memo_quantum_ = Quantise(v, format_.decimal_digits);
  memo_valid_ = true;
  return memo_quantum_;
}

double Variable::Calculate(double v) const {
  return calculation_ ? calculation_->Apply(v) : v;
}

void Variable::EnsureCached(ValueSlot& s) const {
  if (s.cached) return;
  s.calculated = Calculate(s.value);
  s.quantum = Quantise(s.calculated, format_.decimal_digits);
  s.cached = true;
}

void Variable::StoreText(std::string_view text) {
  ValueSlot& s = slot();
  // The same code stored again at every record leaves the text as it is.
  if (text == s.text) return;
  if (!pinned && modal) changed = true;
  s.text.assign(text.data(), text.size());
}

void Variable::SetNumber(double v) {
  if (is_text) {
    char buf[400];
    int n = std::snprintf(buf, sizeof buf, "%lf", v);
    StoreText(std::string_view(buf, n > 0 ? std::min<std::size_t>(n, sizeof buf - 1) : 0));
    return;
  }
  ValueSlot& s = slot();
  // When the changed flag cannot move (it is already up, or the variable is
  // not modal or is pinned) and the value has no calculation or zero
  // suppression, nothing needs the new value rounded now: it is rounded
  // when printed or compared.  A range widened at every move of a pass is
  // stored this way.
  if (!calculation_ && !format_.suppress_zero && (changed || pinned || !modal)) {
    has_value = true;
    s.value = v;
    s.cached = false;
    return;
  }
  EnsureCached(s);
  // Without a calculation a value stored again (a modal axis or feed
  // repeated record after record) keeps its quantum: QuantumOf reuses it.
  const double calculated = Calculate(v);
  const double quantum =
      calculation_ ? Quantise(calculated, format_.decimal_digits) : QuantumOf(v);
  if (!pinned && modal && quantum != s.quantum) changed = true;
  has_value = !(format_.suppress_zero && quantum == 0);
  s.value = v;
  s.calculated = calculated;
  s.quantum = quantum;
  s.cached = true;
}

void Variable::SetInteger(std::int32_t n) {
  if (is_text) {
    char buf[16];
    int len = std::snprintf(buf, sizeof buf, "%d", n);
    StoreText(std::string_view(buf, len > 0 ? len : 0));
    return;
  }
  ValueSlot& s = slot();
  if (!pinned && modal && TruncateToInt(s.value) != n) changed = true;
  has_value = !(format_.suppress_zero && n == 0);
  s.value = n;
  s.cached = false;
}

void Variable::AddNumber(double d) {
  if (is_text) {
    std::string appended = slot().text;
    AppendLf(d, &appended);
    StoreText(appended);
    return;
  }
  ValueSlot& s = slot();
  if (!pinned && modal && QuantumOf(d) != 0) changed = true;
  s.value += d;
  s.cached = false;
  // Without a calculation the sum is rounded only when something needs its
  // quantum (a total added to at every move is seldom printed); a
  // calculation runs now, as it always has.
  if (calculation_ || format_.suppress_zero) {
    EnsureCached(s);
    has_value = !(format_.suppress_zero && s.quantum == 0);
  } else {
    has_value = true;
  }
}

void Variable::SetChangedText(std::string_view text) {
  if (is_text) {
    StoreText(text);
  } else {
    SetNumber(LeadingNumber(text));
  }
}

double Variable::TextAsNumber() const { return LeadingNumber(slot().text); }

void Variable::GetText(std::string* out, std::size_t max) {
  pinned = false;
  if (is_text) {
    AppendCut(slot().text, max, out);
  } else {
    std::string tmp;
    AppendLf(slot().value, &tmp);
    AppendCut(tmp, max, out);
  }
}

std::string Variable::GetText(std::size_t max) {
  std::string out;
  GetText(&out, max);
  return out;
}

void Variable::Print(std::string* out, std::size_t max) {
  if (is_text) {
    AppendCut(slot().text, max, out);
    return;
  }
  ValueSlot& s = slot();
  EnsureCached(s);
  PrintedNumber p;
  if (format_.time_format) {
    FormatTime(s.calculated, &p);
  } else {
    FormatDigits(s.calculated, format_, &p);
  }
  out->append(p.text, std::min<std::size_t>(p.length, max));
}

bool Variable::FormatIfDueOwn(std::string* out, std::size_t max) {
  pinned = false;
  if (!has_value) return false;
  if (modal) {
    if (!changed) return false;
    changed = false;
  }
  Print(out, max);
  return true;
}

void Variable::FormatAlwaysOwn(std::string* out, std::size_t max) {
  pinned = false;
  Print(out, max);
}

double Variable::ValueAsPrinted(double factor) {
  std::string text;
  FormatAlwaysOwn(&text, kMaxNumberText);
  double v = ParseLeadingDouble(text);
  if (text.find('.') == std::string::npos) v *= factor;
  return v;
}

void Variable::Snapshot() {
  if (!snapshot_armed) return;
  CopyRunToSheet();
  snapshot_armed = false;
}

void Variable::CopyRunToSheet() {
  sheet_.value = run_.value;
  sheet_.text.assign(run_.text);
  sheet_.cached = run_.cached;
  sheet_.calculated = run_.calculated;
  sheet_.quantum = run_.quantum;
}

}  // namespace tlv
