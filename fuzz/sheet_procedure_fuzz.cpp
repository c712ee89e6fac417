// Arbitrary bytes as a procedure parameter file: the tag scanner must keep
// every text within its tag, and the look-ups must hold for every index.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sheet/procedure_parameters.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  tlv::ProcedureParameters params;
  params.Scan(text);
  size_t parameters = 0;
  for (const tlv::Procedure& procedure : params.procedures()) {
    if (procedure.empty()) __builtin_trap();
    for (const tlv::ProcedureParameter& p : procedure) {
      if (p.name.size() > tlv::ProcedureParameters::kMaxTagLength ||
          p.value_text.size() > tlv::ProcedureParameters::kMaxTagLength ||
          p.branch_name.size() > tlv::ProcedureParameters::kMaxTagLength) {
        __builtin_trap();
      }
      ++parameters;
    }
  }
  // Every stored parameter is handed over by a ">" of its own (a stray ">"
  // hands the last tag text over again, as the scanner has always done).
  if (parameters > size) __builtin_trap();
  int count = static_cast<int>(params.procedures().size());
  for (int index = -2; index <= count; ++index) {
    params.set_procedure_index(index);
    bool inside = index >= 0 && index < count;
    if ((params.CurrentProcedure() != nullptr) != inside) __builtin_trap();
    if (!inside && (params.ValueById(55) || params.ValueByName("a"))) __builtin_trap();
    if (inside) {
      const tlv::ProcedureParameter& first = params.procedures()[index][0];
      if (!params.ValueById(first.id) || !params.ValueByName(first.name)) __builtin_trap();
    }
  }
  return 0;
}
