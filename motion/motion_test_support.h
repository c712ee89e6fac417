// A run context over the shipped dictionary's variables for the handler
// tests, with the default code table and the messages collected.
#ifndef TLV_MOTION_MOTION_TEST_SUPPORT_H_
#define TLV_MOTION_MOTION_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "definition/variable_dictionary.h"
#include "definition/variable_setting.h"
#include "format/engine_output.h"
#include "format/variable_store.h"
#include "motion/motion_core.h"
#include "motion/test_record.h"
#include "platform/file_contents.h"
#include "toolpath/tool_path_record.h"

namespace tlv::testing {

class CollectedOutput : public EngineOutput {
 public:
  void Write(std::string_view, bool) override {}
  void StartSplitFile() override {}
  void EndSplitFile() override {}
  void Log(std::string_view text) override { log += text; }
  void Print(std::string_view text) override { out += text; }
  std::string log;
  std::string out;
};

using Item = ::tlv::TestItem;
using ::tlv::MakeRecord;

class MotionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string source, err;
    ASSERT_TRUE(ReadFileBytes(TLV_SOURCE_DIR "/data/dictionary.txt", &source, &err)) << err;
    ASSERT_TRUE(ParseDictionarySource(source, "dictionary.txt", &dict_, &err)) << err;
    BuildVariableTable(dict_, VariableSettingTable(), &store_);
    ctx_.variables = &store_;
    ctx_.codes = &codes_;
    ctx_.messages = &output_;
    ResetRanges(ctx_);
  }

  double Number(std::int32_t n) { return store_.Lookup(n)->GetNumber(); }
  std::string Text(std::int32_t n) { return store_.Lookup(n)->GetText(); }
  bool Changed(std::int32_t n) { return store_.Lookup(n)->changed; }
  void ClearChanged(std::initializer_list<std::int32_t> numbers) {
    for (std::int32_t n : numbers) store_.Lookup(n)->SetChanged(false);
  }

  VariableDictionary dict_;
  VariableStore store_;
  CodeTable codes_ = CodeTable::Defaults();
  CollectedOutput output_;
  RunContext ctx_;
};

}  // namespace tlv::testing

#endif  // TLV_MOTION_MOTION_TEST_SUPPORT_H_
