#include "definition/machine_data.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/file_contents.h"
#include "platform/text_encoding.h"

namespace tlv {
namespace {

constexpr int kIntFields = 7;

// Labels in file order, UTF-8 here; the file holds them in CP932.
constexpr std::array<std::string_view, 17> kLabels = {
    "機械種類：",
    "第１軸：",
    "第２軸：",
    "第１軸の回転方向：",
    "第２軸の回転方向：",
    "第１軸の制限のスイッチ：",
    "第２軸の制限のスイッチ：",
    "第１軸の最大値：",
    "第１軸の最小値：",
    "第２軸の最大値：",
    "第２軸の最小値：",
    "第１テーブル軸の位置Ｘ：",
    "第１テーブル軸の位置Ｙ：",
    "第１テーブル軸の位置Ｚ：",
    "第２テーブル軸の位置Ｘ：",
    "第２テーブル軸の位置Ｙ：",
    "第２テーブル軸の位置Ｚ：",
};

const std::array<std::string, 17>& Cp932Labels() {
  static const std::array<std::string, 17> labels = [] {
    std::array<std::string, 17> out;
    for (std::size_t i = 0; i < kLabels.size(); ++i) out[i] = Utf8ToCp932(kLabels[i]);
    return out;
  }();
  return labels;
}

std::array<int*, kIntFields> IntFields(MachineData* d) {
  return {&d->machine_type,    &d->first_axis,    &d->second_axis,
          &d->first_direction, &d->second_direction, &d->first_limited,
          &d->second_limited};
}

std::array<double*, 10> DoubleFields(MachineData* d) {
  return {&d->first_max, &d->first_min, &d->second_max, &d->second_min,
          &d->table1_x,  &d->table1_y,  &d->table1_z,   &d->table2_x,
          &d->table2_y,  &d->table2_z};
}

// The value after a label, read as "%d" reads it; false when there is no
// number.  Values beyond int saturate instead of being undefined.
bool ScanInt(const std::string& text, int* value) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(begin, &end, 10);
  if (end == begin) return false;
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  *value = static_cast<int>(v);
  return true;
}

// The value after a label, read as "%lf" reads it.
bool ScanDouble(const std::string& text, double* value) {
  const char* begin = text.c_str();
  char* end = nullptr;
  double v = std::strtod(begin, &end);
  if (end == begin) return false;
  *value = v;
  return true;
}

std::string FormatFixed(double value) {
  int n = std::snprintf(nullptr, 0, "%f", value);
  std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
  std::snprintf(out.data(), out.size() + 1, "%f", value);
  return out;
}

}  // namespace

std::string WriteMachineData(const MachineData& data) {
  MachineData copy = data;
  const auto& labels = Cp932Labels();
  std::string out;
  auto ints = IntFields(&copy);
  auto doubles = DoubleFields(&copy);
  for (std::size_t i = 0; i < labels.size(); ++i) {
    out += labels[i];
    if (i < ints.size()) {
      out += std::to_string(*ints[i]);
    } else {
      out += FormatFixed(*doubles[i - ints.size()]);
    }
    out += '\n';
  }
  return out;
}

int ReadMachineData(std::string_view text, MachineData* data) {
  const auto& labels = Cp932Labels();
  auto ints = IntFields(data);
  auto doubles = DoubleFields(data);
  int read = 0;
  for (std::size_t i = 0; i < labels.size() && !text.empty(); ++i) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    std::string_view value;
    if (line.starts_with(labels[i])) {
      value = line.substr(labels[i].size());
    } else if (line.starts_with(kLabels[i])) {
      value = line.substr(kLabels[i].size());
    } else {
      break;
    }
    std::string value_text(value);
    bool ok = i < ints.size() ? ScanInt(value_text, ints[i])
                              : ScanDouble(value_text, doubles[i - ints.size()]);
    if (!ok) break;
    ++read;
  }
  return read;
}

bool LoadMachineDataFile(const std::string& path, MachineData* data) {
  std::string bytes, err;
  if (!ReadFileBytes(path, &bytes, &err)) return false;
  ReadMachineData(bytes, data);
  return true;
}

bool SaveMachineDataFile(const std::string& path, const MachineData& data,
                         std::string* err) {
  return WriteFileAtomically(path, WriteMachineData(data), err);
}

}  // namespace tlv
