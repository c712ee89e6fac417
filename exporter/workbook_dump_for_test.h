#ifndef TLV_EXPORTER_WORKBOOK_DUMP_FOR_TEST_H_
#define TLV_EXPORTER_WORKBOOK_DUMP_FOR_TEST_H_

#include <cstdio>
#include <map>
#include <string>

namespace tlv {

/// What an independent reader (openpyxl, run by Debian's python3) finds in
/// the workbook at `path`: "value:B7" -> "n:1.5" or "s:text",
/// "style:B7" -> "numfmt|bold|left|bottom|fill", "height:7" -> "16.5",
/// "merge:B7:C7" -> "1", "max_row", "title".  "error" holds the reader's
/// complaint when it could not load the file.  For tests only.
inline std::map<std::string, std::string> DumpWorkbookForTest(const std::string& path) {
  std::map<std::string, std::string> dump;
  const std::string command = "/usr/bin/python3 " TLV_SOURCE_DIR
                              "/exporter/testdata/dump_workbook.py '" + path + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) {
    dump["error"] = "cannot run python3";
    return dump;
  }
  std::string output;
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  int status = ::pclose(pipe);
  std::size_t pos = 0;
  while (pos < output.size()) {
    std::size_t end = output.find('\n', pos);
    if (end == std::string::npos) end = output.size();
    std::string line = output.substr(pos, end - pos);
    std::size_t tab = line.find('\t');
    if (tab != std::string::npos) dump[line.substr(0, tab)] = line.substr(tab + 1);
    pos = end + 1;
  }
  if (status != 0) dump["error"] = output;
  return dump;
}

}  // namespace tlv

#endif  // TLV_EXPORTER_WORKBOOK_DUMP_FOR_TEST_H_
