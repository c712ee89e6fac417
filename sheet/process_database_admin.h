// tlvdb: sets up the process database on the command line.  Lists, adds and
// removes targets (the folders that receive NC files and the rows of the
// process sheet) and shows the rows a target holds.
#ifndef TLV_SHEET_PROCESS_DATABASE_ADMIN_H_
#define TLV_SHEET_PROCESS_DATABASE_ADMIN_H_

#include <iosfwd>
#include <string>
#include <vector>

namespace tlv {

/// Runs tlvdb with `args` (without the program name).  Data go to `out`,
/// messages (UTF-8) to `err`.  The database is --db FILE, else the one the
/// settings store names (ProcessDatabasePath).  Returns the exit status: 0
/// on success, 1 on any failure (after a message on `err`).
int RunTlvdb(const std::vector<std::string>& args, std::ostream& out,
             std::ostream& err);

}  // namespace tlv

#endif  // TLV_SHEET_PROCESS_DATABASE_ADMIN_H_
