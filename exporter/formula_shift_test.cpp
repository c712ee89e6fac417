#include "exporter/formula_shift.h"

#include <gtest/gtest.h>

namespace tlv {
namespace {

TEST(FormulaShift, RelativePartsMove) {
  EXPECT_EQ("SUM(W43:W73)*$B$2", ShiftFormula("SUM(W6:W36)*$B$2", 37, 0));
  EXPECT_EQ("$A11+B$1+C11", ShiftFormula("$A1+A$1+B1", 10, 1));
  EXPECT_EQ("Sheet2!A38+'My Sheet'!B39", ShiftFormula("Sheet2!A1+'My Sheet'!B2", 37, 0));
  // Off the sheet: the reference is lost, as in a paste.
  EXPECT_EQ("#REF!+1", ShiftFormula("A1+1", -1, 0));
  EXPECT_EQ("XFD1", ShiftFormula("XFC1", 0, 1));
  EXPECT_EQ("#REF!", ShiftFormula("XFD1", 0, 1));
}

TEST(FormulaShift, OtherTokensStay) {
  // Texts, function names that look like addresses, names, numbers, whole
  // columns and booleans.
  EXPECT_EQ("\"A1\"&LOG10(A38)", ShiftFormula("\"A1\"&LOG10(A1)", 37, 0));
  EXPECT_EQ("\"say \"\"B2\"\"\"&B39", ShiftFormula("\"say \"\"B2\"\"\"&B2", 37, 0));
  EXPECT_EQ("TOTAL_1+ABCD1+1.5E3+SUM(A:A)+TRUE", ShiftFormula("TOTAL_1+ABCD1+1.5E3+SUM(A:A)+TRUE", 5, 5));
  EXPECT_EQ("'it''s A1'!C3", ShiftFormula("'it''s A1'!C1", 2, 0));
  EXPECT_EQ("", ShiftFormula("", 1, 1));
}

}  // namespace
}  // namespace tlv
