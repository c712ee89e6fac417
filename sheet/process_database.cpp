#include "sheet/process_database.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "format/variable_store.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/settings_store.h"
#include "platform/text_encoding.h"

namespace tlv {
namespace {

// Version 1 of the file.  Masters are the targets; every stored item of a
// row is one line of sheet_rows.  `value` has no declared type so that it
// keeps a number as a number and a text as a text.
constexpr int kSchemaVersion = 1;
constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS masters ("
    " target INTEGER PRIMARY KEY,"
    " name TEXT NOT NULL DEFAULT '',"
    " created TEXT NOT NULL DEFAULT '',"
    " folder TEXT NOT NULL DEFAULT '',"
    " element4 TEXT NOT NULL DEFAULT '',"
    " element5 TEXT NOT NULL DEFAULT '');"
    "CREATE TABLE IF NOT EXISTS sheet_rows ("
    " target INTEGER NOT NULL,"
    " row INTEGER NOT NULL,"
    " item INTEGER NOT NULL,"
    " value,"
    " PRIMARY KEY (target, row, item)) WITHOUT ROWID;";

// Another program (tlvdb, a second TLVP) may hold the file for a moment.
constexpr int kBusyTimeoutMs = 5000;

constexpr std::string_view kDialogTitle = "工程ＤＢ設定";

// A prepared statement that finalizes itself.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
      sqlite3_finalize(stmt_);
      stmt_ = nullptr;
    }
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  explicit operator bool() const { return stmt_ != nullptr; }
  sqlite3_stmt* get() const { return stmt_; }
  Statement& Bind(int index, int value) {
    sqlite3_bind_int(stmt_, index, value);
    return *this;
  }
  Statement& Bind(int index, std::string_view text) {
    sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
    return *this;
  }
  /// SQLITE_ROW, SQLITE_DONE or an error code.
  int Step() { return sqlite3_step(stmt_); }
  int Int(int column) const { return sqlite3_column_int(stmt_, column); }
  std::string Text(int column) const {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              sqlite3_column_bytes(stmt_, column))
                : std::string();
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// The file-name part of a path that may also end a drive ("C:A.NC").
std::string_view NamePart(std::string_view path) {
  std::string_view name = FileNamePart(path);
  std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

}  // namespace

std::string ProcessDatabasePath(const SettingsStore& store) {
  if (std::optional<std::string> path = store.ReadText(kProcessDbKey, kProcessDbValue);
      path && !path->empty()) {
    return *path;
  }
  // Beside the process-sheet data folder: $XDG_DATA_HOME/kestra.
  return JoinPath(DirectoryPart(DefaultDataFolder()), "process.db");
}

ProcessDatabase::ProcessDatabase(std::string path) : path_(std::move(path)) {}

ProcessDatabase::~ProcessDatabase() { DbClose(); }

int ProcessDatabase::FailWith(std::string message) {
  error_ = std::move(message);
  return kDbFailed;
}

int ProcessDatabase::Fail(std::string_view action) {
  std::string message = "工程データベース " + path_ + " " + std::string(action);
  if (db_ && sqlite3_errcode(db_) != SQLITE_OK) {
    message += " (" + std::string(sqlite3_errmsg(db_)) + ")";
  }
  return FailWith(std::move(message));
}

bool ProcessDatabase::Exec(const char* sql, std::string_view action) {
  if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
  Fail(action);
  return false;
}

int ProcessDatabase::DbOpen(int /*flags*/) {
  if (db_) return Succeed();
  std::string_view folder = DirectoryPart(path_);
  std::string mkdir_err;
  if (!folder.empty() && !MakeDirectories(std::string(folder), &mkdir_err)) {
    return FailWith("工程データベース " + path_ + " のフォルダーを作れません (" +
                    mkdir_err + ")");
  }
  int rc = sqlite3_open_v2(path_.c_str(), &db_,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    sqlite3_close(db_);
    db_ = nullptr;
    return FailWith("工程データベース " + path_ + " を開けません (" + message + ")");
  }
  // SQLite falls back to reading a file it may not write; rows would then
  // fail one by one, so say it once here.
  if (sqlite3_db_readonly(db_, "main") == 1) {
    sqlite3_close(db_);
    db_ = nullptr;
    return FailWith("工程データベース " + path_ + " に書き込めません (読み取り専用です)");
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  sqlite3_extended_result_codes(db_, 1);
  // Each row is its own transaction.  With a write-ahead log a commit
  // need not wait for the disk (tens of milliseconds a row otherwise); a
  // row is still all or nothing, and the log is written into the file when
  // the last connection closes.  Where the file system cannot hold the log,
  // the file keeps its ordinary journal and every commit is synced.
  sqlite3_exec(db_, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL", nullptr,
               nullptr, nullptr);

  // A file that is not a database, or one written by a newer version, is
  // refused here rather than at the first row.
  int version = -1;
  {
    Statement stmt(db_, "PRAGMA user_version");
    if (stmt && stmt.Step() == SQLITE_ROW) version = stmt.Int(0);
  }
  bool ok = version >= 0;
  if (ok && version > kSchemaVersion) {
    std::string message = "工程データベース " + path_ + " はこのプログラムより新しい版 (" +
                          std::to_string(version) + ") です";
    sqlite3_close(db_);
    db_ = nullptr;
    return FailWith(std::move(message));
  }
  if (ok && version < kSchemaVersion) {
    ok = Exec("BEGIN IMMEDIATE", "に表を作れません") &&
         Exec(kSchema, "に表を作れません") &&
         Exec("PRAGMA user_version = 1", "に表を作れません") &&
         Exec("COMMIT", "に表を作れません");
    if (!ok) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  } else if (!ok) {
    Fail("を開けません");
  }
  if (!ok) {
    sqlite3_close(db_);
    db_ = nullptr;
    return kDbFailed;
  }
  return Succeed();
}

void ProcessDatabase::RollbackOpenRow() {
  if (!in_row_) return;
  in_row_ = false;
  sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

int ProcessDatabase::DbClose() {
  if (!db_) return kDbOk;
  RollbackOpenRow();
  sqlite3_finalize(insert_value_);
  insert_value_ = nullptr;
  sqlite3_close(db_);
  db_ = nullptr;
  return kDbOk;
}

int ProcessDatabase::DbGetMaster(int target, DbMaster* master) {
  if (!db_) return FailWith("工程データベース " + path_ + " が開かれていません");
  Statement stmt(db_,
                 "SELECT name, created, folder, element4, element5,"
                 " (SELECT COALESCE(MAX(row), 0) + 1 FROM sheet_rows"
                 "  WHERE sheet_rows.target = masters.target)"
                 " FROM masters WHERE target = ?1");
  if (!stmt) return Fail("から工程表マスターを読めません");
  int rc = stmt.Bind(1, target).Step();
  if (rc == SQLITE_DONE) {
    return FailWith("工程データベース " + path_ + " に工程表マスター " +
                    std::to_string(target) + " がありません");
  }
  if (rc != SQLITE_ROW) return Fail("から工程表マスターを読めません");
  master->target = target;
  master->name = stmt.Text(0);
  master->created = stmt.Text(1);
  master->folder = stmt.Text(2);
  master->element4 = stmt.Text(3);
  master->element5 = stmt.Text(4);
  master->next_row = stmt.Int(5);
  return Succeed();
}

int ProcessDatabase::DbSavePointDlg(Prompts& prompts, DbSavePoint* point) {
  std::vector<DbMaster> masters;
  if (!ListMasters(&masters)) return kDbFailed;
  if (masters.empty()) {
    prompts.ShowMessage(kDialogTitle,
                        "工程データベースに出力先がありません (tlvdb add で登録します)。");
    return kDbCancelled;
  }
  std::vector<std::string> choices;
  int default_choice = -1;
  for (const DbMaster& m : masters) {
    if (m.target == point->target) default_choice = static_cast<int>(choices.size());
    choices.push_back("[" + std::to_string(m.target) + "] " + m.name + "  " +
                      m.folder + "  (次の行 " + std::to_string(m.next_row) + ")");
  }
  const int cancel = static_cast<int>(choices.size());
  choices.push_back("ｷｬﾝｾﾙ");
  if (default_choice < 0) default_choice = cancel;
  int chosen = prompts.AskChoice(kDialogTitle, "出力先を選んでください。", choices,
                                 default_choice);
  if (chosen < 0 || chosen >= cancel) return kDbCancelled;
  const DbMaster& m = masters[chosen];

  int mode = prompts.AskChoice(kDialogTitle, "行の追加か挿入かを選んでください。",
                               {"追加", "挿入"}, point->mode == kDbInsert ? 1 : 0);
  if (mode < 0) return kDbCancelled;
  DbSavePoint result{m.target, m.next_row, mode == 1 ? kDbInsert : kDbAppend};
  if (result.mode == kDbInsert) {
    int start = point->target == m.target && point->row >= 1 && point->row <= m.next_row
                    ? point->row
                    : m.next_row;
    std::optional<std::string> row = prompts.AskText(
        kDialogTitle,
        "挿入する行 (1 - " + std::to_string(m.next_row) + ")",
        std::to_string(start));
    if (!row) return kDbCancelled;
    result.row = std::clamp(ParseLeadingInt(*row), 1, m.next_row);
  }
  *point = result;
  return Succeed();
}

int ProcessDatabase::DbSetSavePoint(int target, int row, int mode) {
  if (!db_) return FailWith("工程データベース " + path_ + " が開かれていません");
  RollbackOpenRow();
  row = std::max(row, 1);
  if (!Exec("BEGIN IMMEDIATE", "に行を書き始められません")) return kDbFailed;
  in_row_ = true;
  auto abandon = [&](int result) {
    RollbackOpenRow();
    return result;
  };
  {
    Statement exists(db_, "SELECT 1 FROM masters WHERE target = ?1");
    int rc = exists ? exists.Bind(1, target).Step() : SQLITE_ERROR;
    if (rc == SQLITE_DONE) {
      return abandon(FailWith("工程データベース " + path_ + " に工程表マスター " +
                              std::to_string(target) + " がありません"));
    }
    if (rc != SQLITE_ROW) return abandon(Fail("に行を書き始められません"));
  }
  if (mode == kDbInsert) {
    // Two passes through negative numbers: one UPDATE adding 1 would meet
    // the key of the next row before that row has moved.
    Statement down(db_,
                   "UPDATE sheet_rows SET row = -(row + 1)"
                   " WHERE target = ?1 AND row >= ?2");
    Statement back(db_, "UPDATE sheet_rows SET row = -row WHERE target = ?1 AND row < 0");
    if (!down || !back || down.Bind(1, target).Bind(2, row).Step() != SQLITE_DONE ||
        back.Bind(1, target).Step() != SQLITE_DONE) {
      return abandon(Fail("の行を移せません"));
    }
  } else {
    Statement taken(db_,
                    "SELECT (SELECT 1 FROM sheet_rows WHERE target = ?1 AND row = ?2),"
                    " (SELECT COALESCE(MAX(row), 0) + 1 FROM sheet_rows WHERE target = ?1)");
    if (!taken || taken.Bind(1, target).Bind(2, row).Step() != SQLITE_ROW) {
      return abandon(Fail("に行を書き始められません"));
    }
    if (sqlite3_column_type(taken.get(), 0) != SQLITE_NULL) row = taken.Int(1);
  }
  current_target_ = target;
  current_row_ = row;
  return Succeed();
}

int ProcessDatabase::SetValue(int item, const DbValue& value) {
  if (!db_ || !in_row_) {
    return FailWith("工程データベース " + path_ + " に項目 " + std::to_string(item) +
                    " を書けません (行が始まっていません)");
  }
  if (!insert_value_ &&
      sqlite3_prepare_v2(db_,
                         "INSERT OR REPLACE INTO sheet_rows (target, row, item, value)"
                         " VALUES (?1, ?2, ?3, ?4)",
                         -1, &insert_value_, nullptr) != SQLITE_OK) {
    sqlite3_finalize(insert_value_);
    insert_value_ = nullptr;
    return Fail("に項目を書けません");
  }
  sqlite3_reset(insert_value_);
  sqlite3_bind_int(insert_value_, 1, current_target_);
  sqlite3_bind_int(insert_value_, 2, current_row_);
  sqlite3_bind_int(insert_value_, 3, item);
  if (const double* number = std::get_if<double>(&value)) {
    sqlite3_bind_double(insert_value_, 4, *number);
  } else {
    const std::string& text = std::get<std::string>(value);
    sqlite3_bind_text(insert_value_, 4, text.data(), static_cast<int>(text.size()),
                      SQLITE_STATIC);
  }
  int rc = sqlite3_step(insert_value_);
  sqlite3_clear_bindings(insert_value_);
  if (rc != SQLITE_DONE) return Fail("に項目 " + std::to_string(item) + " を書けません");
  return Succeed();
}

int ProcessDatabase::DbSetValue(int item, double value) { return SetValue(item, value); }

int ProcessDatabase::DbSetValue(int item, std::string_view text) {
  return SetValue(item, std::string(text));
}

int ProcessDatabase::DbCommit() {
  if (!db_ || !in_row_) {
    return FailWith("工程データベース " + path_ + " に確定する行がありません");
  }
  if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    Fail("に行を確定できません");
    RollbackOpenRow();
    return kDbFailed;
  }
  in_row_ = false;
  return Succeed();
}

bool ProcessDatabase::ListMasters(std::vector<DbMaster>* masters) {
  masters->clear();
  if (!db_) return FailWith("工程データベース " + path_ + " が開かれていません") == kDbOk;
  Statement stmt(db_,
                 "SELECT target, name, created, folder, element4, element5,"
                 " (SELECT COALESCE(MAX(row), 0) + 1 FROM sheet_rows"
                 "  WHERE sheet_rows.target = masters.target)"
                 " FROM masters ORDER BY target");
  if (!stmt) return Fail("から工程表マスターを読めません") == kDbOk;
  int rc;
  while ((rc = stmt.Step()) == SQLITE_ROW) {
    masters->push_back(DbMaster{stmt.Int(0), stmt.Text(1), stmt.Text(2), stmt.Text(3),
                                stmt.Text(4), stmt.Text(5), stmt.Int(6)});
  }
  if (rc != SQLITE_DONE) return Fail("から工程表マスターを読めません") == kDbOk;
  return Succeed() == kDbOk;
}

bool ProcessDatabase::AddMaster(const DbMaster& master, int* target) {
  if (!db_) return FailWith("工程データベース " + path_ + " が開かれていません") == kDbOk;
  Statement stmt(db_,
                 "INSERT INTO masters (name, created, folder, element4, element5)"
                 " VALUES (?1, strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime'),"
                 " ?2, ?3, ?4)");
  if (!stmt ||
      stmt.Bind(1, master.name).Bind(2, master.folder).Bind(3, master.element4)
              .Bind(4, master.element5).Step() != SQLITE_DONE) {
    return Fail("に工程表マスターを登録できません") == kDbOk;
  }
  *target = static_cast<int>(sqlite3_last_insert_rowid(db_));
  return Succeed() == kDbOk;
}

bool ProcessDatabase::RemoveMaster(int target) {
  if (!db_) return FailWith("工程データベース " + path_ + " が開かれていません") == kDbOk;
  if (!Exec("BEGIN IMMEDIATE", "から工程表マスターを削除できません")) return false;
  Statement rows(db_, "DELETE FROM sheet_rows WHERE target = ?1");
  Statement master(db_, "DELETE FROM masters WHERE target = ?1");
  if (!rows || !master || rows.Bind(1, target).Step() != SQLITE_DONE ||
      master.Bind(1, target).Step() != SQLITE_DONE) {
    Fail("から工程表マスターを削除できません");
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
  }
  if (sqlite3_changes(db_) == 0) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    FailWith("工程データベース " + path_ + " に工程表マスター " + std::to_string(target) +
             " がありません");
    return false;
  }
  if (!Exec("COMMIT", "から工程表マスターを削除できません")) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
  }
  return Succeed() == kDbOk;
}

bool ProcessDatabase::ReadRows(int target, std::vector<DbItem>* items) {
  items->clear();
  if (!db_) return FailWith("工程データベース " + path_ + " が開かれていません") == kDbOk;
  Statement stmt(db_,
                 "SELECT row, item, value FROM sheet_rows WHERE target = ?1"
                 " ORDER BY row, item");
  if (!stmt) return Fail("から行を読めません") == kDbOk;
  stmt.Bind(1, target);
  int rc;
  while ((rc = stmt.Step()) == SQLITE_ROW) {
    DbItem item{stmt.Int(0), stmt.Int(1), 0.0};
    switch (sqlite3_column_type(stmt.get(), 2)) {
      case SQLITE_INTEGER:
      case SQLITE_FLOAT:
        item.value = sqlite3_column_double(stmt.get(), 2);
        break;
      case SQLITE_NULL:  // SQLite keeps a NaN as NULL
        item.value = std::numeric_limits<double>::quiet_NaN();
        break;
      default:
        item.value = stmt.Text(2);
        break;
    }
    items->push_back(std::move(item));
  }
  if (rc != SQLITE_DONE) return Fail("から行を読めません") == kDbOk;
  return Succeed() == kDbOk;
}

namespace {

// Items 3 to 28 of a row, in the order they are sent, and the variable each
// one comes from.  Items 24 to 27 come from the settings (kFromSettings).
enum class ItemKind { kName, kNumber, kText, kFromSettings };
struct ItemSource {
  int item;
  std::int32_t variable;
  ItemKind kind;
};
constexpr ItemSource kRowItems[] = {
    {3, 43, ItemKind::kName},     {4, 1504, ItemKind::kNumber},
    {5, 1502, ItemKind::kText},   {6, 1515, ItemKind::kNumber},
    {7, 1535, ItemKind::kNumber}, {8, 1513, ItemKind::kNumber},
    {9, 1512, ItemKind::kNumber}, {10, 1534, ItemKind::kNumber},
    {11, 1507, ItemKind::kText},  {12, 28, ItemKind::kNumber},
    {13, 15, ItemKind::kNumber},  {14, 29, ItemKind::kNumber},
    {15, 14, ItemKind::kNumber},  {16, 36, ItemKind::kNumber},
    {17, 44, ItemKind::kNumber},  {18, 37, ItemKind::kNumber},
    {19, 38, ItemKind::kNumber},  {20, 39, ItemKind::kNumber},
    {21, 40, ItemKind::kNumber},  {22, 41, ItemKind::kNumber},
    {23, 42, ItemKind::kNumber},  {24, 0, ItemKind::kFromSettings},
    {25, 0, ItemKind::kFromSettings}, {26, 0, ItemKind::kFromSettings},
    {27, 0, ItemKind::kFromSettings}, {28, 45, ItemKind::kNumber},
};
static_assert(std::size(kRowItems) == 26, "items 3 to 28");

}  // namespace

bool WriteSheetRow(ProcessDatabase& db, VariableStore& variables,
                   const std::array<int, 4>& comment_items, DbSavePoint* point,
                   std::string* err) {
  if (db.DbSetSavePoint(point->target, point->row, point->mode) != kDbOk) {
    *err = db.error();
    return false;
  }
  std::string text;
  for (const ItemSource& source : kRowItems) {
    std::int32_t number = source.variable;
    if (source.kind == ItemKind::kFromSettings) {
      number = comment_items[source.item - 24];
      if (number == 0) continue;
    }
    Variable* v = variables.Lookup(number);
    if (!v) continue;
    int rc;
    if (source.kind == ItemKind::kNumber) {
      rc = db.DbSetValue(source.item, v->GetNumber());
    } else {
      text.clear();
      v->GetText(&text, 4096);
      std::string_view value = text;
      if (source.kind == ItemKind::kName) value = NamePart(value);
      rc = db.DbSetValue(source.item, Cp932ToUtf8(CutCp932(value, kMaxItemTextBytes)));
    }
    if (rc != kDbOk) {
      // The row stays uncommitted: the next save point or closing the
      // database rolls it back, so no half row is ever stored.
      *err = db.error();
      return false;
    }
  }
  int written = db.current_row();
  if (db.DbCommit() != kDbOk) {
    *err = db.error();
    return false;
  }
  point->row = written + 1;
  return true;
}

bool CopyToTargetFolder(ProcessDatabase& db, int target, const std::string& nc_path,
                        std::string* err) {
  DbMaster master;
  if (db.DbGetMaster(target, &master) != kDbOk) {
    *err = db.error();
    return false;
  }
  if (master.folder.empty() || !IsDirectory(master.folder)) {
    *err = "工程表マスター " + std::to_string(target) + " のフォルダー " + master.folder +
           " がありません";
    return false;
  }
  std::string to = JoinPath(master.folder, NamePart(nc_path));
  std::string copy_err;
  if (!CopyFile(nc_path, to, &copy_err)) {
    *err = nc_path + " を " + to + " へ複写できません (" + copy_err + ")";
    return false;
  }
  return true;
}

std::string DatabaseUnavailableLine(const ProcessDatabase& db) {
  return "Error: " + db.error() + "。工程データベースへの出力なしで続けます。\n";
}

std::string DescribeSavePoint(const DbMaster& master, const DbSavePoint& point) {
  std::string name = master.name.empty() ? "#" + std::to_string(point.target) : master.name;
  return name + " (" + std::to_string(point.row) + ") へ" +
         (point.mode == kDbInsert ? "挿入" : "追加");
}

FolderCheck SqliteDatabaseTargets::CheckFolder(int target, std::string_view file_name) {
  ProcessDatabase db(path_);
  DbMaster master;
  if (db.DbOpen() != kDbOk || db.DbGetMaster(target, &master) != kDbOk) {
    error_ = db.error();
    return FolderCheck::kUnavailable;
  }
  error_.clear();
  db.DbClose();
  if (master.folder.empty() || file_name.empty()) return FolderCheck::kClear;
  return FileExists(JoinPath(master.folder, file_name)) ? FolderCheck::kFileExists
                                                          : FolderCheck::kClear;
}

bool SqliteDatabaseTargets::ChooseTarget(Prompts& prompts, DbSavePoint* point) {
  ProcessDatabase db(path_);
  if (db.DbOpen() != kDbOk) {
    error_ = db.error();
    prompts.ShowMessage("error", error_);
    return false;
  }
  int rc = db.DbSavePointDlg(prompts, point);
  error_ = db.error();
  if (rc == kDbFailed) prompts.ShowMessage("error", error_);
  return rc == kDbOk;
}

std::string SqliteDatabaseTargets::Describe(const DbSavePoint& point) {
  ProcessDatabase db(path_);
  DbMaster master;
  if (db.DbOpen() != kDbOk || db.DbGetMaster(point.target, &master) != kDbOk) {
    error_ = db.error();
    master = DbMaster{};
  } else {
    error_.clear();
  }
  return DescribeSavePoint(master, point);
}

}  // namespace tlv
