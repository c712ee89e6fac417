// Arbitrary bytes as an Express text: evaluated in both modes with variables
// that are numbers, texts and formulas (the input itself among them, so
// formulas recurse), and compiled and run as a program.  Any input must end
// with a status code.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "express/evaluate.h"
#include "express/express.h"

namespace {

bool KnownStatus(int s) {
  switch (s) {
    case tlv::kExpressOk:
    case tlv::kExpressEmpty:
    case tlv::kExpressUndefinedValue:
    case tlv::kExpressUnknownVariable:
    case tlv::kExpressDomainError:
    case tlv::kExpressSelfReference:
    case tlv::kExpressTypeMismatch:
    case tlv::kExpressSyntaxError:
    case tlv::kExpressInvalidArguments:
    case tlv::kExpressOutOfMemory: return true;
    default: return false;
  }
}

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exactly sized copy, so that any read past the text is caught.
  std::unique_ptr<char[]> bytes(new char[size]);
  if (size > 0) std::memcpy(bytes.get(), data, size);
  const std::string_view text(bytes.get(), size);

  const std::string long_text(300, '\x82');
  tlv::LookupHook lookup = [&](std::string_view name, tlv::LookupAnswer* answer) {
    if (name.empty()) return false;
    switch (name[0]) {
      case 'n': *answer = {tlv::LookupKind::kNumber, 2.5, {}}; return true;
      case 'z': *answer = {tlv::LookupKind::kNumber, 0.0, {}}; return true;
      case 't': *answer = {tlv::LookupKind::kText, 0, "AB\"c"}; return true;
      case 'l': *answer = {tlv::LookupKind::kText, 0, long_text}; return true;
      case 'f': *answer = {tlv::LookupKind::kFormula, 0, "n * 2 + z"}; return true;
      case 's': *answer = {tlv::LookupKind::kFormula, 0, "s + 1"}; return true;
      case 'e': *answer = {tlv::LookupKind::kFormula, 0, ""}; return true;
      case 'x': *answer = {tlv::LookupKind::kFormula, 0, text}; return true;
      case 'y': *answer = {tlv::LookupKind::kFormula, 0, name.substr(1)}; return true;
      default: return false;
    }
  };
  int diagnostics = 0;
  tlv::DiagnosticHook diagnostic = [&diagnostics](std::string_view) { ++diagnostics; };

  tlv::Value results[3];
  for (tlv::EvalMode mode : {tlv::EvalMode::kEvaluate, tlv::EvalMode::kCheckOnly}) {
    std::vector<std::string> names;
    tlv::EvaluateOptions options;
    options.mode = mode;
    options.lookup = lookup;
    options.diagnostic = diagnostic;
    options.names = &names;
    const tlv::EvaluateResult r = tlv::Evaluate(text, results, options);
    Check(KnownStatus(r.status));
    Check(r.count >= 0 && r.count <= 3);
    for (int i = 0; i < r.count; ++i) Check(results[i].text.size() <= tlv::kExpressMaxText);
    // Without a hook as well.
    const tlv::EvaluateResult bare = tlv::Evaluate(text, std::span<tlv::Value>(results, 1));
    Check(KnownStatus(bare.status));
  }

  tlv::ExpressProgram program;
  program.set_diagnostic_hook(diagnostic);
  if (program.Compile(text, true) == 0) {
    std::vector<std::string> names;
    program.ListNames(&names);
    for (const std::string& name : names) {
      Check(name.size() <= tlv::kExpressMaxText);
      if (name[0] == 't') {
        program.SetText(name, "txt");
      } else {
        program.SetNumber(name, 1.5);
      }
    }
    for (int i = 0; i < 2; ++i) {
      const int rc = program.Run();
      Check(rc == 0 || rc == -1);
      Check(KnownStatus(program.status()));
    }
    // The same text again, appended to itself.
    if (program.Compile(text, false) == 0) program.Run();
  } else {
    Check(program.Run() == -1);
  }
  return 0;
}
