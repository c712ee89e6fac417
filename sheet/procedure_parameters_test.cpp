#include "sheet/procedure_parameters.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/file_contents.h"
#include "platform/run_log.h"
#include "platform/temp_dir_for_test.h"

namespace tlv {
namespace {

// One parameter with its attributes in separate tags, as the CAM system
// writes them.
std::string ParameterXml(std::string_view name, std::string_view value,
                         std::string_view id, std::string_view type) {
  return "<Parameter Name=\"" + std::string(name) + "\">\n<Attr Value=\"" +
         std::string(value) + "\"/>\n<Attr ID=\"" + std::string(id) +
         "\"/>\n<Attr BranchName=\"Cut\"/>\n<Attr Type=\"" + std::string(type) +
         "\"/>\n</Parameter>\n";
}

std::string ProcedureXml(std::string_view name, const std::string& parameters) {
  return "<Procedure Name=\"" + std::string(name) + "\">\n" + parameters + "</Procedure>\n";
}

ProcedureParameters Scanned(std::string_view text) {
  ProcedureParameters params;
  params.Scan(text);
  params.set_procedure_index(0);
  return params;
}

TEST(ProcedureParameters, NthProcessReadsNthProcedure) {
  ProcedureParameters params = Scanned(
      "<?xml version=\"1.0\"?>\n<Procedures>\n" +
      ProcedureXml("OP10", ParameterXml(kSideStepParameterName, "2.5", "3303", "Float") +
                               ParameterXml(kDownStepParameterName, "0.8", "55", "Float")) +
      ProcedureXml("OP20", ParameterXml(kSideStepParameterName, "4", "3303", "Float")) +
      // After "/Procedure" a parameter belongs to no procedure.
      ParameterXml("stray", "9", "1", "Float") + "</Procedures>\n");
  ASSERT_EQ(2u, params.procedures().size());
  EXPECT_EQ(2u, params.procedures()[0].size());
  EXPECT_EQ(1u, params.procedures()[1].size());

  EXPECT_EQ(2.5, params.ValueByName(kSideStepParameterName));
  EXPECT_EQ(0.8, params.ValueByName(kDownStepParameterName));
  EXPECT_EQ(0.8, params.ValueById(55));
  EXPECT_FALSE(params.ValueById(20391));

  params.NextProcedure();
  EXPECT_EQ(4.0, params.ValueById(3303));
  EXPECT_FALSE(params.ValueByName(kDownStepParameterName));

  // A third process finds nothing; neither does an index before the first.
  params.NextProcedure();
  EXPECT_FALSE(params.ValueById(3303));
  params.set_procedure_index(-1);
  EXPECT_FALSE(params.ValueById(3303));

  // Without "Procedure Name" tags nothing is stored.
  EXPECT_TRUE(Scanned(ParameterXml("a", "1.5", "55", "Float")).procedures().empty());
}

TEST(ProcedureParameters, TypesDecideTheNumberAndTheText) {
  ProcedureParameters params = Scanned(ProcedureXml(
      "P", ParameterXml("pct", "12.5", "1", "Percent") + ParameterXml("flt", "-0.25mm", "2", "Float") +
               ParameterXml("int", "7.9", "3", "Int") + ParameterXml("str", "12.5", "4", "String") +
               ParameterXml("odd", "3.5", "5", "Double")));
  ASSERT_EQ(1u, params.procedures().size());
  const std::vector<ProcedureParameter>& p = params.procedures()[0];
  ASSERT_EQ(5u, p.size());
  EXPECT_EQ(ParameterType::kPercent, p[0].type);
  EXPECT_EQ(12.5, p[0].number);
  EXPECT_EQ("", p[0].value_text);
  EXPECT_EQ(-0.25, p[1].number);
  EXPECT_EQ(7, p[2].integer);
  EXPECT_EQ("", p[2].value_text);
  EXPECT_EQ("12.5", p[3].value_text);
  EXPECT_EQ(ParameterType::kUnknown, p[4].type);
  EXPECT_EQ("3.5", p[4].value_text);

  // An integer parameter hands out its integer; texts give 0.
  EXPECT_EQ(7.0, params.ValueById(3));
  EXPECT_EQ(0.0, params.ValueByName("str"));
  EXPECT_EQ(0.0, params.ValueByName("odd"));
}

TEST(ProcedureParameters, AttributesCarryOverAndEmptyProceduresAreSkipped) {
  // All attributes in one tag (the value is read before the type), then a
  // parameter that only names itself and keeps the rest.
  ProcedureParameters params = Scanned(
      "<Procedure Name=\"P\">"
      "<Parameter Name=\"a\" Attr Value=\"1.25\" Attr ID=\"10\" Attr Type=\"Float\"/>"
      "</Parameter><Parameter Name=\"b\"></Parameter></Procedure>");
  ASSERT_EQ(1u, params.procedures().size());
  EXPECT_EQ(1.25, params.ValueByName("a"));
  EXPECT_EQ(1.25, params.ValueByName("b"));
  EXPECT_EQ("b", params.procedures()[0][1].name);
  EXPECT_EQ(10, params.procedures()[0][1].id);

  // A procedure without parameters stores nothing: the next one takes its
  // place in the list.
  ProcedureParameters gaps = Scanned(ProcedureXml("A", ParameterXml("s", "1", "1", "Float")) +
                                     ProcedureXml("B", "") +
                                     ProcedureXml("C", ParameterXml("s", "3", "1", "Float")));
  ASSERT_EQ(2u, gaps.procedures().size());
  gaps.NextProcedure();
  EXPECT_EQ(3.0, gaps.ValueByName("s"));
}

TEST(ProcedureParameters, LongAndBrokenTagsAreCutNotOverrun) {
  // A marker beyond the kept part of a long tag is not seen; a long value is
  // cut with its tag.
  ProcedureParameters params = Scanned(
      "<Procedure Name=\"P\"><Parameter Name=\"a\"><Attr ID=\"1\"" +
      std::string(ProcedureParameters::kMaxTagLength, ' ') + " Attr Type=\"Float\">" +
      "<Attr Value=\"" + std::string(5000, '9') + "\"/></Parameter>");
  ASSERT_EQ(1u, params.procedures().size());
  EXPECT_EQ(ParameterType::kString, params.procedures()[0][0].type);
  EXPECT_EQ(ProcedureParameters::kMaxTagLength - 12, params.procedures()[0][0].value_text.size());

  // Markers at the very end of a tag with no value after them, a text that
  // ends inside a tag, stray ">", CR LF line ends.
  ProcedureParameters broken = Scanned(
      ">>><Procedure Name=\"P\"><Parameter Name><Attr Value><Attr ID><Attr Type></Parameter>"
      "<Parameter Name=\"x\r\ny\"></Parameter><Attr Value=\"unterminated");
  ASSERT_EQ(1u, broken.procedures().size());
  ASSERT_EQ(2u, broken.procedures()[0].size());
  EXPECT_EQ("", broken.procedures()[0][0].name);
  EXPECT_EQ(ParameterType::kUnknown, broken.procedures()[0][0].type);
  EXPECT_EQ("x\ny", broken.procedures()[0][1].name);
}

TEST(ProcedureParameters, ReadOncePerRunAndLogs) {
  TempDirForTest dir;
  std::string log_path = dir.File("TOLvek.log");
  RunLog log;
  ASSERT_TRUE(log.Open(log_path));
  std::string xml = dir.File("part.xml");
  std::string logged;

  // A missing file is reported and the run goes on without parameters.
  ProcedureParameters params;
  EXPECT_FALSE(params.Read(xml, &log));
  EXPECT_FALSE(params.loaded());
  ASSERT_TRUE(ReadFileBytes(log_path, &logged, nullptr));
  EXPECT_EQ("ＸＭＬファイル:" + xml + " を開けません。\n", logged);

  // The next job finds it.
  ASSERT_TRUE(WriteFileAtomically(
      xml, ProcedureXml("P", ParameterXml(kDownStepParameterName, "1.5", "55", "Float")), nullptr));
  EXPECT_TRUE(params.Read(xml, &log));
  ASSERT_TRUE(ReadFileBytes(log_path, &logged, nullptr));
  EXPECT_EQ("ＸＭＬファイル:" + xml + " を開けません。\nＸＭＬファイル読込ＯＫ。\n", logged);

  // After a successful read the file is not read again.
  ASSERT_TRUE(WriteFileAtomically(xml, "", nullptr));
  EXPECT_TRUE(params.Read(xml, &log));
  params.set_procedure_index(0);
  EXPECT_EQ(1.5, params.ValueByName(kDownStepParameterName));

  // A folder in place of the file cannot be read.
  EXPECT_FALSE(ProcedureParameters().Read(dir.path(), nullptr));
}

}  // namespace
}  // namespace tlv
