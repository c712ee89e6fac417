// Shared pieces of the format engine's tests: an output that collects into
// memory, a small dictionary, and a fixture that compiles display text with
// the section compiler and expands it.  For tests only.
#ifndef TLV_FORMAT_ENGINE_TEST_SUPPORT_H_
#define TLV_FORMAT_ENGINE_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "definition/section_compiler.h"
#include "definition/section_table.h"
#include "definition/variable_dictionary.h"
#include "definition/variable_setting.h"
#include "format/engine_output.h"
#include "format/section_expander.h"
#include "format/variable_store.h"
#include "platform/text_encoding.h"

namespace tlv {

/// Collects everything the engine writes.  Split markers show in the text
/// as "<5000>" and "<5001>" so their place can be checked.
class MemoryOutput : public EngineOutput {
 public:
  void Write(std::string_view text, bool first_stream) override {
    (first_stream ? first : text_out).append(text);
    ++writes;
  }
  void StartSplitFile() override { text_out += "<5000>"; }
  void EndSplitFile() override { text_out += "<5001>"; }
  void Log(std::string_view text) override { log.append(text); }
  void Print(std::string_view text) override { printed.append(text); }

  std::string text_out;
  std::string first;
  std::string log;
  std::string printed;
  int writes = 0;
};

/// Variables the tests use, by name and number.
inline VariableDictionary EngineTestDictionary() {
  VariableDictionary dict;
  auto put = [&](const char* name, std::int32_t id, std::int32_t kind, int modal) {
    DictionaryEntry e;
    e.name = name;
    e.text = name;
    e.id = id;
    e.kind = kind;
    e.modal_default = modal;
    e.flags = kDictInEveryDefinition;
    dict.Put(e);
  };
  put("X", 10, kKindNumber, 1);
  put("Y", 11, kKindNumber, 1);
  put("Z", 12, kKindNumber, 1);
  put("F", 14, kKindNumber, 1);
  put("GMOVE", 19, kKindText, 1);
  put("RETCODE", 22, kKindText, 1);
  put("PREV_X", 32, kKindNumber, 1);
  put("PREV_Y", 33, kKindNumber, 1);
  put("PREV_Z", 34, kKindNumber, 1);
  put("X_SRC", 51, kKindNumber, 1);
  put("Y_SRC", 52, kKindNumber, 1);
  put("Z_SRC", 53, kKindNumber, 1);
  put("TOOL", 60, kKindInteger, 1);
  put("SEQ", 61, kKindInteger, 0);
  put("NAME", 62, kKindText, 0);
  put("TIME", 63, kKindNumber, 1);
  put("IN1", 2001, kKindNumber, 1);
  put("IN2", 2002, kKindText, 1);
  put("CALC1", 2101, kKindNumber, 1);
  put("CALC2", 2102, kKindNumber, 1);
  put("SPLIT_BEGIN", 5000, kKindText, 1);
  put("SPLIT_END", 5001, kKindText, 1);
  return dict;
}

/// A store built from EngineTestDictionary, an expander writing to memory,
/// and helpers that compile display text (UTF-8) and expand it.
class EngineTest : public ::testing::Test {
 protected:
  EngineTest() : dict_(EngineTestDictionary()), expander_(store_, out_) {
    BuildVariableTable(dict_, settings_, &store_);
    expander_.set_sections(&sections_);
  }

  /// Compiles display text into section `id` (fails the test if rejected).
  void SetSection(int id, std::string_view utf8) {
    CompileResult r = CompileSection(Utf8ToCp932(utf8), dict_);
    ASSERT_TRUE(r.ok) << r.Where();
    sections_.Find(id)->text = r.bytes;
  }

  /// Compiles `utf8` into section 8 (or `id`), expands it and returns the
  /// text written by this expansion.
  std::string Expand(std::string_view utf8, int id = 8) {
    SetSection(id, utf8);
    return ExpandAgain(id);
  }
  /// Expands section `id` again and returns the text written by it.
  std::string ExpandAgain(int id = 8) {
    const std::size_t before = out_.text_out.size();
    last_ok_ = expander_.ExpandSection(id);
    return out_.text_out.substr(before);
  }
  /// Expands raw compiled bytes (for faults the compiler never writes).
  std::string ExpandBytes(std::string_view bytes) {
    sections_.Find(8)->text = std::string(bytes);
    return ExpandAgain(8);
  }

  Variable& Var(std::int32_t n) {
    Variable* v = store_.Lookup(n);
    EXPECT_NE(v, nullptr) << n;
    return *v;
  }

  VariableDictionary dict_;
  VariableSettingTable settings_;
  VariableStore store_;
  MemoryOutput out_;
  SectionExpander expander_;
  SectionTable sections_ = SectionTable::Empty();
  bool last_ok_ = false;
};

/// Compiled-form building blocks for hand-made bytes.
inline std::string RefBytes(std::int32_t id, unsigned char marker = 0xFF) {
  std::string s(1, static_cast<char>(marker));
  const auto u = static_cast<std::uint32_t>(id);
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
  return s;
}
inline std::string KeywordBytes(int code) {
  return {static_cast<char>(0xF7), static_cast<char>(code)};
}

}  // namespace tlv

#endif  // TLV_FORMAT_ENGINE_TEST_SUPPORT_H_
