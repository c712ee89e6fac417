// tlvdb: see sheet/process_database_admin.h.
#include <iostream>
#include <string>
#include <vector>

#include "sheet/process_database_admin.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int status = tlv::RunTlvdb(args, std::cout, std::cerr);
  std::cout.flush();
  return std::cout.good() ? status : 1;
}
