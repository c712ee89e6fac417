#include "format/format_engine.h"

#include <gtest/gtest.h>

#include "definition/post_definition.h"
#include "format/engine_test_support.h"

namespace tlv {
namespace {

// The engine takes its settings from the definition: G92 output, tool-centre
// coordinates, minimum unit digits, code-marker splitting, the cycle codes
// and the variable settings.
TEST(FormatEngine, SetUpFromTheDefinition) {
  const VariableDictionary dict = EngineTestDictionary();
  PostDefinition def = NewPostDefinition(dict);
  def.coordinate_mode.output_mode = 2;
  def.coordinate_mode.tool_position = 1;
  def.min_unit_digits = 2;
  def.split_mode.methods = kSplitByCode;
  def.codes.Set("CYC_RRET", "G199");
  VariableSetting* f = def.variables.Find(14);
  ASSERT_NE(f, nullptr);
  f->format.trailing_zeros = 1;
  f->format.decimal_digits = 2;
  def.sections.Find(8)->text =
      CompileSection("G90{X<X>}{Z<Z>}F<F><SPLIT_BEGIN>G199\n", dict).bytes;

  MemoryOutput out;
  FormatEngine engine(def, dict, out, nullptr, EngineRunSettings{});
  engine.variables().coordinates().g92_offset[0] = 1;
  engine.variables().coordinates().tool_centre_z = 3;
  engine.Lookup(51)->SetNumber(10.004);
  engine.Lookup(53)->SetNumber(-1);
  engine.Lookup(14)->SetNumber(300);
  EXPECT_TRUE(engine.ExpandSection(8));
  EXPECT_EQ(out.text_out, "G90X11.004Z2.F300.00<5000>G199\n");
  EXPECT_EQ(engine.variables().coordinates().mode, kCoordOffset);
  EXPECT_EQ(engine.expander().cycle_return_mode(), kReturnToR);
  EXPECT_DOUBLE_EQ(engine.variables().LeastIncrement(), 0.01);
}

}  // namespace
}  // namespace tlv
