// Section compiler and decoder: every text the compiler accepts decodes to a
// text that compiles to the same bytes again, and decoding arbitrary bytes
// never fails in any other way than with its message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "definition/section_compiler.h"
#include "definition/section_decoder.h"
#include "definition/variable_dictionary.h"

namespace {

const tlv::VariableDictionary& Dictionary() {
  static const tlv::VariableDictionary dict = [] {
    tlv::VariableDictionary d;
    const char* const names[] = {"X_CORD", "Y_CORD", "Z_CORD", "F_CORD", "G_MOVE", "A", "_"};
    std::int32_t id = 10;
    for (const char* name : names) {
      tlv::DictionaryEntry e;
      e.name = name;
      e.id = id++;
      e.flags = tlv::kDictInEveryDefinition;
      d.Put(e);
    }
    // Ids that look like markers.
    tlv::DictionaryEntry marks;
    marks.name = "MARKS";
    marks.id = static_cast<std::int32_t>(0xFAFBFCFF);
    marks.flags = tlv::kDictInEveryDefinition;
    d.Put(marks);
    return d;
  }();
  return dict;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const tlv::VariableDictionary& dict = Dictionary();

  // Arbitrary bytes as compiled text.
  const tlv::DecodeResult any = tlv::DecodeSection(input, dict);
  if (!any.ok && any.error_offset >= size) std::abort();
  std::vector<std::int32_t> ids;
  tlv::CollectVariableIds(input, &ids);

  // The same bytes as display text.
  const tlv::CompileResult compiled = tlv::CompileSection(input, dict);
  if (!compiled.ok) {
    if (compiled.message.empty() || compiled.line < 1 || compiled.column < 1) std::abort();
    return 0;
  }
  const tlv::DecodeResult decoded = tlv::DecodeSection(compiled.bytes, dict);
  if (!decoded.ok) std::abort();
  const tlv::CompileResult again = tlv::CompileSection(decoded.text, dict);
  if (!again.ok || again.bytes != compiled.bytes) std::abort();
  const tlv::DecodeResult twice = tlv::DecodeSection(again.bytes, dict);
  if (!twice.ok || twice.text != decoded.text) std::abort();
  return 0;
}
