#include "post/own_file_naming.h"

#include <gtest/gtest.h>

#include "post/run_settings.h"

namespace tlv {
namespace {

RunSettings OwnFileSettings(int ext_type, std::string input) {
  RunSettings s;
  s.own_file = true;
  s.own_file_ext_type = ext_type;
  s.input_path = std::move(input);
  for (int i = 0; i < kJobSlotCount; ++i) {
    s.slots[i].enabled = true;
    s.slots[i].output_path = "/nc/keep" + std::to_string(i);
  }
  s.slots[0].definition_path = "/defs/Mill.TLV";
  s.slots[1].definition_path = "/defs/lathe.tlv.old";
  s.slots[2].definition_path = "/defs/plain";
  return s;
}

TEST(OwnFileNaming, Base) {
  // Found without regard to case; the path keeps its own case.
  EXPECT_EQ("/Cam/Part1", OwnFileBase("/Cam/Part1.TOLVEK.ncl"));
  EXPECT_EQ("/Cam/Part1", OwnFileBase("/Cam/Part1.TlvStn"));
  // ".tolvek" is looked for first, even when ".tlvstn" comes earlier.
  EXPECT_EQ("/a.tlvstn.b", OwnFileBase("/a.tlvstn.b.tolvek"));
  EXPECT_EQ(std::nullopt, OwnFileBase("/a.tlvstx"));
  EXPECT_EQ(std::nullopt, OwnFileBase("/a.ncl"));
}

TEST(OwnFileNaming, ExtensionTypes) {
  RunSettings s = OwnFileSettings(0, "/Cam/Part1.tolvek");
  s.nc_default_ext = "nc";
  s.slots[2].enabled = false;
  ApplyOwnFileNaming(&s, nullptr);
  EXPECT_EQ("/Cam/Part1.nc", s.slots[0].output_path);
  EXPECT_EQ("/Cam/Part1.nc", s.slots[1].output_path);
  EXPECT_EQ("/nc/keep2", s.slots[2].output_path);  // disabled: untouched

  // Type 1: the definition's name up to ".tlv" (its case kept), else the
  // input path followed by the slot index.
  s = OwnFileSettings(1, "/Cam/Part1.TLVSTN");
  ApplyOwnFileNaming(&s, nullptr);
  EXPECT_EQ("/Cam/Part1.Mill", s.slots[0].output_path);
  EXPECT_EQ("/Cam/Part1.lathe", s.slots[1].output_path);
  EXPECT_EQ("/Cam/Part1.TLVSTN2", s.slots[2].output_path);

  // Any other type, a path without a marker, or the flag off: unchanged.
  for (RunSettings t : {OwnFileSettings(2, "/Cam/P.tolvek"),
                        OwnFileSettings(0, "/Cam/P.ncl")}) {
    ApplyOwnFileNaming(&t, nullptr);
    EXPECT_EQ("/nc/keep0", t.slots[0].output_path);
  }
  s = OwnFileSettings(0, "/Cam/P.tolvek");
  s.own_file = false;
  ApplyOwnFileNaming(&s, nullptr);
  EXPECT_EQ("/nc/keep0", s.slots[0].output_path);
}

TEST(OwnFileNaming, TooLongNameLeavesSlotAndWarns) {
  RunSettings s = OwnFileSettings(1, "/" + std::string(100, 'c') + ".tolvek");
  s.slots[0].definition_path = "/" + std::string(60, 'm') + ".tlv";
  std::vector<std::string> warnings;
  ApplyOwnFileNaming(&s, &warnings);
  EXPECT_EQ("/nc/keep0", s.slots[0].output_path);
  EXPECT_EQ("/" + std::string(100, 'c') + ".lathe", s.slots[1].output_path);
  ASSERT_EQ(1u, warnings.size());
}

TEST(OwnFileNaming, ProcedureParameterPath) {
  EXPECT_EQ("/Cam/Part1.xml", ProcedureParameterPath("/Cam/Part1.Tolvek.ncl"));
  EXPECT_EQ("/Cam/Part1.xml", ProcedureParameterPath("/Cam/Part1.TLVSTX"));
  // Cut at whichever marker comes first in the path.
  EXPECT_EQ("/a.xml", ProcedureParameterPath("/a.tlvstx.tolvek"));
  EXPECT_EQ("/a.xml", ProcedureParameterPath("/a.tlvstn.b.tolvek"));
  EXPECT_EQ("/a.ncl.xml", ProcedureParameterPath("/a.ncl"));
  // 150 characters at most.
  EXPECT_EQ(150u, ProcedureParameterPath(std::string(146, 'p')).size());
  EXPECT_EQ("", ProcedureParameterPath(std::string(147, 'p')));
}

}  // namespace
}  // namespace tlv
