// The process database: the outside store that receives the process sheet
// when a definition sends it to the database (sheet mode 2).  It holds
// targets ("masters": where a job's rows go and which folder receives its NC
// files) and, per target, numbered rows of items (number or text).  It lives
// in one SQLite file and answers the component's calls with 0 for success.
//
//   ProcessDatabase db(ProcessDatabasePath(store));
//   if (db.DbOpen() != kDbOk) { report db.error(); go on without it; }
//   db.DbSetSavePoint(target, row, mode);
//   db.DbSetValue(3, "A.NC"); db.DbSetValue(4, 12.5); ...
//   db.DbCommit();
//   db.DbClose();
#ifndef TLV_SHEET_PROCESS_DATABASE_H_
#define TLV_SHEET_PROCESS_DATABASE_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tlv {

class Prompts;
class SettingsStore;
class VariableStore;

/// Results of the calls: 0 is success, anything else a failure whose
/// description is in ProcessDatabase::error().
inline constexpr int kDbOk = 0;
inline constexpr int kDbFailed = 1;
/// DbSavePointDlg: the user chose nothing.
inline constexpr int kDbCancelled = 2;

/// Insert/append mode of a save point: 2 inserts the row before the rows
/// from its number on; any other value appends.
inline constexpr int kDbInsert = 2;
inline constexpr int kDbAppend = 1;

/// Where the database file's path is kept in the settings store.
inline constexpr std::string_view kProcessDbKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV";
inline constexpr std::string_view kProcessDbValue = "ProcessDbPath";

/// Texts sent as items are cut to this many bytes (CP932) before they are
/// stored.
inline constexpr std::size_t kMaxItemTextBytes = 150;

/// The database file: the settings value "ProcessDbPath" of the main key,
/// else $XDG_DATA_HOME/kestra/process.db (~/.local/share/kestra/process.db).
std::string ProcessDatabasePath(const SettingsStore& store);

/// A target's master record.  Its six elements, in the component's order:
/// 1 name, 2 the time it was set up, 3 the folder that receives the NC
/// files, 4 and 5 free texts, 6 the next free row number.
struct DbMaster {
  int target = -1;
  std::string name;
  std::string created;
  std::string folder;
  std::string element4;
  std::string element5;
  int next_row = 1;

  /// The first five elements as texts (the third the folder).
  std::array<std::string, 5> Texts() const {
    return {name, created, folder, element4, element5};
  }
};

/// A save point: where the next row of the process sheet goes.
struct DbSavePoint {
  int target = -1;
  int row = 1;
  int mode = kDbAppend;
};

/// One stored item value.
using DbValue = std::variant<double, std::string>;

/// One stored item of a row (for reading back).
struct DbItem {
  int row = 0;
  int item = 0;
  DbValue value;
};

class ProcessDatabase {
 public:
  /// A component for the database file at `path`; nothing is opened yet.
  explicit ProcessDatabase(std::string path);
  ~ProcessDatabase();
  ProcessDatabase(const ProcessDatabase&) = delete;
  ProcessDatabase& operator=(const ProcessDatabase&) = delete;

  const std::string& path() const { return path_; }
  bool is_open() const { return db_ != nullptr; }
  /// What the last failing call could not do: the file, the action and
  /// SQLite's own message.  Empty after a success.
  const std::string& error() const { return error_; }

  /// Opens the database, creating the file, its folder and the tables on
  /// first use.  Opening an open database succeeds at once.  `flags` (0 in
  /// every caller) is ignored.
  int DbOpen(int flags = 0);

  /// Closes the database.  A row set without DbCommit is rolled back.
  int DbClose();

  /// Reads the master record of `target` into `master`; kDbFailed when
  /// there is no such target.
  int DbGetMaster(int target, DbMaster* master);

  /// The target selection: shows the targets through `prompts`, lets the
  /// user choose one and insert or append (and, to insert, the row).  On
  /// entry `point` holds the current choice; on kDbOk the new one.
  /// kDbCancelled when the user chose nothing (`point` unchanged).
  int DbSavePointDlg(Prompts& prompts, DbSavePoint* point);

  /// Starts one row: opens a transaction that DbCommit ends.  With
  /// kDbInsert the rows from `row` on move down by one; otherwise the row
  /// takes `row` when it is free and the place after the target's last row
  /// when it is taken, so that no stored row is ever overwritten.  A row
  /// set still open from an earlier save point is rolled back first.
  int DbSetSavePoint(int target, int row, int mode);
  /// The row number the last DbSetSavePoint gave the row.
  int current_row() const { return current_row_; }

  /// Stores one item of the current row (a later value of the same item
  /// replaces it).  Text is UTF-8.  kDbFailed without a save point.
  int DbSetValue(int item, double value);
  int DbSetValue(int item, std::string_view text);

  /// Makes the current row permanent.  kDbFailed without a save point.
  int DbCommit();

  // Management (the tlvdb command and tests).

  /// Every target, in ascending number.
  bool ListMasters(std::vector<DbMaster>* masters);
  /// Adds a target; its number is stored in `target`.
  bool AddMaster(const DbMaster& master, int* target);
  /// Removes a target with all its rows; false when there is none.
  bool RemoveMaster(int target);
  /// Every stored item of `target`, by row and item.
  bool ReadRows(int target, std::vector<DbItem>* items);

 private:
  int Fail(std::string_view action);
  int FailWith(std::string message);
  int Succeed() { error_.clear(); return kDbOk; }
  bool Exec(const char* sql, std::string_view action);
  bool Prepare(sqlite3_stmt** stmt, const char* sql);
  void RollbackOpenRow();
  int SetValue(int item, const DbValue& value);

  std::string path_;
  std::string error_;
  sqlite3* db_ = nullptr;
  sqlite3_stmt* insert_value_ = nullptr;
  bool in_row_ = false;
  int current_target_ = -1;
  int current_row_ = 0;
};

/// The row writer: one process-sheet item as one database row.  Starts the
/// row at `point` (row then advanced past the row written), sends items 3
/// to 28 from the current values of `variables`, and commits.  Items 24 to
/// 27 are the texts of the variables numbered by `comment_items` (settings
/// "Item2DBComment1" to 4), each only when its number is non-zero and the
/// variable exists; an item whose variable the table lacks is left out.
/// False with the database's message in `err` when the row could not be
/// stored (nothing of it is).
bool WriteSheetRow(ProcessDatabase& db, VariableStore& variables,
                   const std::array<int, 4>& comment_items, DbSavePoint* point,
                   std::string* err);

/// The end of a split file or of the job: copies the NC file at `nc_path`
/// into the folder of `target`'s master under its file-name part,
/// overwriting.  False with a message in `err` when it could not.
bool CopyToTargetFolder(ProcessDatabase& db, int target,
                        const std::string& nc_path, std::string* err);

/// The line TLVP shows when the database cannot be used and the job goes on
/// without database output: what failed, then that the job goes on.
std::string DatabaseUnavailableLine(const ProcessDatabase& db);

/// The text that names a target in the run dialog: the master's name, the
/// row and ") へ", then "挿入" (insert) or "追加" (append).
std::string DescribeSavePoint(const DbMaster& master, const DbSavePoint& point);

/// The result of the run dialog's folder check.
enum class FolderCheck {
  kClear,          ///< no file of that name in the target's folder
  kFileExists,     ///< the folder already holds a file of that name
  kUnavailable,    ///< the database or the target could not be read
};

/// What the run dialog needs of the process database.  Each call connects
/// and disconnects on its own, as the dialog does.
class DatabaseTargets {
 public:
  virtual ~DatabaseTargets() = default;
  /// Whether the folder of `target`'s master holds a file `file_name`.
  virtual FolderCheck CheckFolder(int target, std::string_view file_name) = 0;
  /// The target selection (DbSavePointDlg); true with `point` filled when
  /// the user chose a target.
  virtual bool ChooseTarget(Prompts& prompts, DbSavePoint* point) = 0;
  /// The target text of the dialog's database controls; a target that
  /// cannot be read is named by its number.
  virtual std::string Describe(const DbSavePoint& point) = 0;
};

/// DatabaseTargets on the database file at a path.
class SqliteDatabaseTargets : public DatabaseTargets {
 public:
  explicit SqliteDatabaseTargets(std::string path) : path_(std::move(path)) {}
  FolderCheck CheckFolder(int target, std::string_view file_name) override;
  bool ChooseTarget(Prompts& prompts, DbSavePoint* point) override;
  std::string Describe(const DbSavePoint& point) override;
  /// Why the last call could not reach the database ("" when it could).
  const std::string& error() const { return error_; }

 private:
  std::string path_;
  std::string error_;
};

}  // namespace tlv

#endif  // TLV_SHEET_PROCESS_DATABASE_H_
