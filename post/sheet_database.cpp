#include "post/sheet_database.h"

#include "post/run_messages.h"
#include "post/run_settings.h"

namespace tlv {

bool SheetDatabase::Open(const SettingsStore& store, const JobSlot& slot) {
  point_.target = slot.database_target;
  point_.row = slot.database_row;
  point_.mode = slot.database_insert_mode;
  db_ = std::make_unique<ProcessDatabase>(ProcessDatabasePath(store));
  if (db_->DbOpen(0) != kDbOk) {
    messages_.Both(DatabaseUnavailableLine(*db_));
    db_.reset();
    return false;
  }
  return true;
}

void SheetDatabase::Item() {
  if (!db_) return;
  std::string err;
  if (!WriteSheetRow(*db_, variables_, comment_items_, &point_, &err)) {
    messages_.Both("Warning: " + err + "\n");
  }
}

void SheetDatabase::CopyProgram(const std::string& nc_path) {
  if (!db_) return;
  std::string err;
  if (!CopyToTargetFolder(*db_, point_.target, nc_path, &err)) {
    messages_.Both("Warning: " + err + "\n");
  }
}

void SheetDatabase::CopyPrograms(const std::vector<std::string>& nc_paths) {
  for (const std::string& path : nc_paths) CopyProgram(path);
}

int SheetDatabase::Close() {
  if (db_) db_->DbClose();
  db_.reset();
  return point_.row;
}

}  // namespace tlv
