// The calculation attached to a number format ("*2", "/25.4"): the value a
// becomes the result of the statement "a = a<formula>;".
#ifndef TLV_FORMAT_FORMAT_CALCULATION_H_
#define TLV_FORMAT_FORMAT_CALCULATION_H_

#include <memory>
#include <string_view>

namespace tlv {

/// One format's formula, compiled once and applied to every value printed
/// through the format.  Shared by every copy of the variable that owns it;
/// the engine is single-threaded.
class FormatCalculation {
 public:
  /// Compiles "a = a" + formula + ";".  nullptr when it does not compile
  /// (the format then prints values unchanged, silently).
  static std::shared_ptr<FormatCalculation> Compile(std::string_view formula);

  ~FormatCalculation();
  FormatCalculation(const FormatCalculation&) = delete;
  FormatCalculation& operator=(const FormatCalculation&) = delete;

  /// The value after the calculation; `x` unchanged when the run fails (a
  /// division by zero, for example).
  double Apply(double x) const;

 private:
  struct Impl;
  explicit FormatCalculation(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace tlv

#endif  // TLV_FORMAT_FORMAT_CALCULATION_H_
