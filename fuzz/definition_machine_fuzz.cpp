// Arbitrary bytes as the machine data file.  The reader never reads more
// than the 17 fields, keeps the fields it could not read, and a file it
// writes reads back whole and writes again to the same bytes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "definition/machine_data.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Distinct values that no file line sets by accident.
tlv::MachineData Sentinel() {
  tlv::MachineData m;
  m.machine_type = -101;
  m.first_axis = -102;
  m.second_axis = -103;
  m.first_direction = -104;
  m.second_direction = -105;
  m.first_limited = -106;
  m.second_limited = -107;
  m.first_max = -108.5;
  m.first_min = -109.5;
  m.second_max = -110.5;
  m.second_min = -111.5;
  m.table1_x = -112.5;
  m.table1_y = -113.5;
  m.table1_z = -114.5;
  m.table2_x = -115.5;
  m.table2_y = -116.5;
  m.table2_z = -117.5;
  return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  tlv::MachineData read = Sentinel();
  const int fields = tlv::ReadMachineData(bytes, &read);
  Check(fields >= 0 && fields <= 17);

  // What the reader got writes as a whole file that reads back whole and
  // writes again to the same bytes (the file keeps six decimals).
  const std::string written = tlv::WriteMachineData(read);
  tlv::MachineData back = Sentinel();
  Check(tlv::ReadMachineData(written, &back) == 17);
  Check(tlv::WriteMachineData(back) == written);

  // A second read over the same bytes gives the same answer.
  tlv::MachineData twice = Sentinel();
  Check(tlv::ReadMachineData(bytes, &twice) == fields);
  Check(tlv::WriteMachineData(twice) == written);

  // Reading stops at a line, never inside one: reading only the first
  // `fields` lines of the input reads the same fields.
  std::size_t cut = 0;
  for (int i = 0; i < fields; ++i) {
    const std::size_t lf = bytes.find('\n', cut);
    cut = lf == std::string_view::npos ? bytes.size() : lf + 1;
  }
  tlv::MachineData prefix = Sentinel();
  Check(tlv::ReadMachineData(bytes.substr(0, cut), &prefix) == fields);
  Check(tlv::WriteMachineData(prefix) == written);
  return 0;
}
