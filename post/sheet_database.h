// The process sheet sent to the process database: one row per sheet item,
// and the NC program copied into the target's folder at the end.
#ifndef TLV_POST_SHEET_DATABASE_H_
#define TLV_POST_SHEET_DATABASE_H_

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "post/record_driver.h"
#include "sheet/process_database.h"

namespace tlv {

class RunMessages;
class SettingsStore;
class VariableStore;
struct JobSlot;

class SheetDatabase : public SheetOutput {
 public:
  SheetDatabase(VariableStore& variables, RunMessages& messages,
                const std::array<int, 4>& comment_items)
      : variables_(variables), messages_(messages), comment_items_(comment_items) {}

  /// Connects for the slot's target.  False (with the line that says so
  /// shown and logged) when the database cannot be used; the job then goes
  /// on without it.
  bool Open(const SettingsStore& store, const JobSlot& slot);
  /// One row from the current values.
  void Item() override;
  /// Copies the NC program into the target's folder.
  void CopyProgram(const std::string& nc_path);
  /// Copies each of the job's program files (the NC file and its split
  /// files) into the target's folder; a file that cannot be copied is
  /// reported and the others are still copied.
  void CopyPrograms(const std::vector<std::string>& nc_paths);
  /// Disconnects; the row the next job's rows start at.
  int Close();

 private:
  VariableStore& variables_;
  RunMessages& messages_;
  std::array<int, 4> comment_items_;
  std::unique_ptr<ProcessDatabase> db_;
  DbSavePoint point_;
};

}  // namespace tlv

#endif  // TLV_POST_SHEET_DATABASE_H_
