// The condition calculator alone.  The first byte chooses how the rest is
// taken: as compiled condition text straight away, or as display text that
// the section compiler turns into compiled text first (so that variable
// references of the shipped dictionary, numbers and texts among them, are
// common).  Any text must give a value without crashing, overrunning or
// hanging, and the same value every time: a reused calculator and a fresh
// one agree.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "definition/post_definition.h"
#include "definition/section_compiler.h"
#include "definition/variable_dictionary.h"
#include "format/condition.h"
#include "format/engine_output.h"
#include "format/variable_store.h"
#include "platform/file_contents.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

class LogOnly : public tlv::EngineOutput {
 public:
  void Write(std::string_view, bool) override { std::abort(); }  // a condition prints nothing
  void StartSplitFile() override { std::abort(); }
  void EndSplitFile() override { std::abort(); }
  void Log(std::string_view text) override { logged += text.size(); }
  void Print(std::string_view) override {}
  std::size_t logged = 0;
};

const tlv::VariableDictionary& Dictionary() {
  static const tlv::VariableDictionary dict = [] {
    const std::string path = std::string(TLV_SOURCE_DIR) + "/data/dictionary.txt";
    std::string text, err;
    tlv::VariableDictionary d;
    if (!tlv::ReadFileBytes(path, &text, &err) ||
        !tlv::ParseDictionarySource(text, path, &d, &err)) {
      std::fprintf(stderr, "%s\n", err.c_str());
      std::abort();
    }
    return d;
  }();
  return dict;
}

std::uint64_t Bits(double d) {
  if (std::isnan(d)) return 1;
  std::uint64_t b;
  std::memcpy(&b, &d, sizeof b);
  return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const tlv::VariableDictionary& dict = Dictionary();
  static const tlv::PostDefinition def = tlv::NewPostDefinition(dict);
  const std::uint8_t mode = data[0];
  std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

  tlv::CompileResult compiled;
  if (mode & 1) {
    compiled = tlv::CompileSection(text, dict);
    if (!compiled.ok) return 0;
    text = compiled.bytes;
  }

  tlv::VariableStore store;
  tlv::BuildVariableTable(dict, def.variables, &store);
  // Values of every kind, some left unset.
  auto number = [&store](std::int32_t id, double v) {
    if (tlv::Variable* var = store.Lookup(id)) var->SetNumber(v);
  };
  auto text_value = [&store](std::int32_t id, std::string_view v) {
    if (tlv::Variable* var = store.Lookup(id)) var->SetText(v);
  };
  if (mode & 2) number(10, 12.5);
  if (mode & 4) number(11, -0.0004);
  if (mode & 8) text_value(18, "G81");
  if (mode & 16) text_value(19, std::string(300, '9'));
  if (mode & 32) number(15, 1e300);

  LogOnly log;
  tlv::ConditionEvaluator reused(store, &log);
  const double first = reused.Evaluate(text);
  const double second = reused.Evaluate(text);
  tlv::ConditionEvaluator fresh(store, (mode & 64) ? &log : nullptr);
  const double third = fresh.Evaluate(text);
  Check(Bits(first) == Bits(second) && Bits(first) == Bits(third));
  return 0;
}
