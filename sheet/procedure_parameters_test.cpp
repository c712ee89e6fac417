#include "sheet/procedure_parameters.h"

#include <gtest/gtest.h>

#include <fstream>
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
  std::string text = "  <Parameter Name=\"" + std::string(name) + "\">\n";
  text += "    <Attr Value=\"" + std::string(value) + "\"/>\n";
  text += "    <Attr ID=\"" + std::string(id) + "\"/>\n";
  text += "    <Attr BranchName=\"Cut\"/>\n";
  text += "    <Attr Type=\"" + std::string(type) + "\"/>\n";
  text += "  </Parameter>\n";
  return text;
}

std::string ProcedureXml(std::string_view name, const std::string& parameters) {
  return " <Procedure Name=\"" + std::string(name) + "\">\n" + parameters +
         " </Procedure>\n";
}

std::string FileXml(const std::string& procedures) {
  return "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<Procedures>\n" +
         procedures + "</Procedures>\n";
}

ProcedureParameters Scanned(std::string_view text) {
  ProcedureParameters params;
  params.Scan(text);
  params.set_procedure_index(0);
  return params;
}

TEST(ProcedureParameters, ParametersOutsideProceduresAreNotStored) {
  ProcedureParameters params = Scanned(
      FileXml(ParameterXml("a", "1.5", "55", "Float") + ParameterXml("b", "2", "56", "Int")));
  EXPECT_TRUE(params.loaded());
  EXPECT_TRUE(params.procedures().empty());
  EXPECT_FALSE(params.ValueById(55));
  EXPECT_FALSE(params.ValueByName("a"));
}

TEST(ProcedureParameters, NthProcessReadsNthProcedure) {
  ProcedureParameters params = Scanned(FileXml(
      ProcedureXml("OP10", ParameterXml(kSideStepParameterName, "2.5", "3303", "Float") +
                            ParameterXml(kDownStepParameterName, "0.8", "55", "Float")) +
      ProcedureXml("OP20", ParameterXml(kSideStepParameterName, "4", "3303", "Float"))));
  ASSERT_EQ(2u, params.procedures().size());

  EXPECT_EQ(2.5, params.ValueByName(kSideStepParameterName));
  EXPECT_EQ(0.8, params.ValueByName(kDownStepParameterName));
  EXPECT_EQ(2.5, params.ValueById(3303));
  EXPECT_EQ(0.8, params.ValueById(55));
  EXPECT_FALSE(params.ValueById(20391));

  params.NextProcedure();
  EXPECT_EQ(4.0, params.ValueByName(kSideStepParameterName));
  EXPECT_FALSE(params.ValueByName(kDownStepParameterName));

  // A third process finds nothing; neither does an index before the first.
  params.NextProcedure();
  EXPECT_EQ(nullptr, params.CurrentProcedure());
  EXPECT_FALSE(params.ValueById(3303));
  params.set_procedure_index(-1);
  EXPECT_FALSE(params.ValueById(3303));
}

TEST(ProcedureParameters, TypesDecideTheNumberAndTheText) {
  ProcedureParameters params = Scanned(FileXml(ProcedureXml(
      "P", ParameterXml("pct", "12.5", "1", "Percent") +
               ParameterXml("flt", "-0.25mm", "2", "Float") +
               ParameterXml("int", "7.9", "3", "Int") +
               ParameterXml("str", "12.5", "4", "String") +
               ParameterXml("odd", "3.5", "5", "Double"))));
  ASSERT_EQ(1u, params.procedures().size());
  const Procedure& p = params.procedures()[0];
  ASSERT_EQ(5u, p.size());

  EXPECT_EQ(ParameterType::kPercent, p[0].type);
  EXPECT_EQ(12.5, p[0].number);
  EXPECT_EQ("", p[0].value_text);
  EXPECT_EQ(-0.25, p[1].number);
  EXPECT_EQ(ParameterType::kInt, p[2].type);
  EXPECT_EQ(7, p[2].integer);
  EXPECT_EQ(0, p[2].number);
  EXPECT_EQ("", p[2].value_text);
  EXPECT_EQ(ParameterType::kString, p[3].type);
  EXPECT_EQ("12.5", p[3].value_text);
  EXPECT_EQ(0, p[3].number);
  EXPECT_EQ(ParameterType::kUnknown, p[4].type);
  EXPECT_EQ("3.5", p[4].value_text);
  EXPECT_EQ(0, p[4].number);

  EXPECT_EQ(12.5, params.ValueById(1));
  // An integer parameter hands out its integer, not the unused number.
  EXPECT_EQ(7.0, params.ValueById(3));
  EXPECT_EQ(0.0, params.ValueByName("str"));
  EXPECT_EQ(0.0, params.ValueByName("odd"));
}

TEST(ProcedureParameters, AttributesInOneTagOrCarriedOver) {
  // All attributes in one tag; the markers are tested in a fixed order, so
  // the value is known when the type is read.
  ProcedureParameters params = Scanned(
      "<Procedure Name=\"P\">"
      "<Parameter Name=\"a\" Attr Value=\"1.25\" Attr ID=\"10\" Attr Type=\"Float\"/>"
      "</Parameter>"
      // Only a new name: value, id and type stay those of the last tag.
      "<Parameter Name=\"b\"></Parameter>"
      "</Procedure>");
  ASSERT_EQ(1u, params.procedures().size());
  const Procedure& p = params.procedures()[0];
  ASSERT_EQ(2u, p.size());
  EXPECT_EQ("a", p[0].name);
  EXPECT_EQ(10, p[0].id);
  EXPECT_EQ(1.25, p[0].number);
  EXPECT_EQ("b", p[1].name);
  EXPECT_EQ(10, p[1].id);
  EXPECT_EQ(1.25, params.ValueByName("b"));
  // The branch name runs to the end of its tag.
  EXPECT_EQ("Cut\"/",
            Scanned(FileXml(ProcedureXml("P", ParameterXml("x", "1", "1", "Int"))))
                .procedures()[0][0]
                .branch_name);
}

TEST(ProcedureParameters, ProcedureIndexSkipsProceduresWithoutParameters) {
  // The second procedure has no parameters and stores nothing: the third
  // becomes the second entry.
  ProcedureParameters params = Scanned(FileXml(
      ProcedureXml("A", ParameterXml("s", "1", "1", "Float")) + ProcedureXml("B", "") +
      ProcedureXml("C", ParameterXml("s", "3", "1", "Float"))));
  ASSERT_EQ(2u, params.procedures().size());
  params.NextProcedure();
  EXPECT_EQ(3.0, params.ValueByName("s"));
  // A parameter after "/Procedure" belongs to no procedure.
  ProcedureParameters after = Scanned(
      FileXml(ProcedureXml("A", ParameterXml("s", "1", "1", "Float")) +
           ParameterXml("t", "2", "2", "Float")));
  ASSERT_EQ(1u, after.procedures().size());
  EXPECT_EQ(1u, after.procedures()[0].size());
}

TEST(ProcedureParameters, LongAndBrokenTagsAreCutNotOverrun) {
  // A marker beyond the kept part of a long tag is not seen.
  std::string padding(ProcedureParameters::kMaxTagLength, ' ');
  ProcedureParameters params = Scanned(
      "<Procedure Name=\"P\"><Parameter Name=\"a\">"
      "<Attr ID=\"1\"" + padding + " Attr Type=\"Float\">"
      "<Attr Value=\"" + std::string(5000, '9') + "\"/>"
      "</Parameter>");
  ASSERT_EQ(1u, params.procedures().size());
  const ProcedureParameter& p = params.procedures()[0][0];
  EXPECT_EQ(ParameterType::kString, p.type);
  EXPECT_EQ(ProcedureParameters::kMaxTagLength - 12, p.value_text.size());

  // Markers at the very end of a tag, with no value after them; a text that
  // ends inside a tag; a ">" with no "<".
  ProcedureParameters broken = Scanned(
      ">>><Procedure Name=\"P\"><Parameter Name><Attr Value><Attr ID>"
      "<Attr Type></Parameter><Attr Value=\"unterminated");
  ASSERT_EQ(1u, broken.procedures().size());
  EXPECT_EQ("", broken.procedures()[0][0].name);
  EXPECT_EQ(0, broken.procedures()[0][0].id);
  EXPECT_EQ(ParameterType::kUnknown, broken.procedures()[0][0].type);

  EXPECT_TRUE(Scanned("").procedures().empty());
}

TEST(ProcedureParameters, CrLfLineEndsReadLikeLf) {
  ProcedureParameters params = Scanned(
      "<Procedure Name=\"P\">\r\n<Parameter Name=\"a\r\nb\">"
      "<Attr Value=\"2\"/><Attr Type=\"Float\"/></Parameter>");
  ASSERT_EQ(1u, params.procedures().size());
  EXPECT_EQ("a\nb", params.procedures()[0][0].name);
}

TEST(ProcedureParameters, ReadOncePerRunAndLogs) {
  TempDirForTest dir;
  std::string log_path = dir.File("TOLvek.log");
  RunLog log;
  ASSERT_TRUE(log.Open(log_path));
  std::string xml = dir.File("part.xml");

  // A missing file is reported and the run goes on without parameters.
  ProcedureParameters params;
  EXPECT_FALSE(params.Read(xml, &log));
  EXPECT_FALSE(params.loaded());
  std::string logged;
  ASSERT_TRUE(ReadFileBytes(log_path, &logged, nullptr));
  EXPECT_EQ("ＸＭＬファイル:" + xml + " を開けません。\n", logged);

  // The next job finds it.
  ASSERT_TRUE(WriteFileAtomically(
      xml, FileXml(ProcedureXml("P", ParameterXml(kDownStepParameterName, "1.5", "55", "Float"))),
      nullptr));
  EXPECT_TRUE(params.Read(xml, &log));
  ASSERT_TRUE(ReadFileBytes(log_path, &logged, nullptr));
  EXPECT_EQ("ＸＭＬファイル:" + xml + " を開けません。\nＸＭＬファイル読込ＯＫ。\n", logged);

  // After a successful read the file is not read again.
  ASSERT_TRUE(WriteFileAtomically(xml, "", nullptr));
  EXPECT_TRUE(params.Read(xml, &log));
  params.set_procedure_index(0);
  EXPECT_EQ(1.5, params.ValueByName(kDownStepParameterName));
  EXPECT_EQ(1.5, params.ValueById(55));

  // A folder in place of the file cannot be read either.
  ProcedureParameters other;
  EXPECT_FALSE(other.Read(dir.path(), nullptr));
}

}  // namespace
}  // namespace tlv
