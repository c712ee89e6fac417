#include "express/evaluate.h"

#include <algorithm>

#include "express/code.h"
#include "express/machine.h"
#include "express/parser.h"

namespace tlv {

EvaluateResult Evaluate(std::string_view text, std::span<Value> results,
                        const EvaluateOptions& options) {
  Diagnostics diagnostics(&options.diagnostic);
  if (results.empty()) {
    diagnostics.Report(kExpressInvalidArguments, "Express error: invalid arguments");
    return {0, diagnostics.status()};
  }
  Code code;
  if (!ParseExpressions(text, &code, &diagnostics) || code.expressions == 0) {
    return {0, diagnostics.status()};
  }
  if (options.mode == EvalMode::kCheckOnly) {
    if (options.names != nullptr) {
      for (const std::string& name : code.names) {
        if (IsPiName(name)) continue;
        auto& list = *options.names;
        if (std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
      }
    }
    if (static_cast<std::size_t>(code.expressions) > results.size()) {
      diagnostics.Report(kExpressInvalidArguments, "Express error: invalid arguments");
      return {0, diagnostics.status()};
    }
    for (int i = 0; i < code.expressions; ++i) results[i].SetNone();
    return {code.expressions, diagnostics.status()};
  }
  Machine machine;
  Environment environment;
  environment.lookup = &options.lookup;
  const int count = machine.Run(code, results, environment, &diagnostics);
  return {count, diagnostics.status()};
}

}  // namespace tlv
