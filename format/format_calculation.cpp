#include "format/format_calculation.h"

#include <string>

#include "express/express.h"

namespace tlv {

struct FormatCalculation::Impl {
  ExpressProgram program;
  SymbolHandle a;
};

FormatCalculation::FormatCalculation(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
FormatCalculation::~FormatCalculation() = default;

std::shared_ptr<FormatCalculation> FormatCalculation::Compile(std::string_view formula) {
  auto impl = std::make_unique<Impl>();
  std::string statement = "a = a";
  statement.append(formula);
  statement.append(";");
  if (impl->program.Compile(statement, true) != 0) return nullptr;
  impl->a = impl->program.Find("a");
  if (!impl->a.valid()) return nullptr;
  return std::shared_ptr<FormatCalculation>(new FormatCalculation(std::move(impl)));
}

double FormatCalculation::Apply(double x) const {
  ExpressProgram& p = impl_->program;
  if (p.SetNumber(impl_->a, x) != 0 || p.Run() != 0) return x;
  double result = x;
  if (p.GetNumber(impl_->a, &result) != 0) return x;
  return result;
}

}  // namespace tlv
