#include "sheet/process_database_admin.h"

#include <charconv>
#include <cmath>
#include <ostream>

#include "platform/paths.h"
#include "platform/settings_store.h"
#include "sheet/process_database.h"

namespace tlv {
namespace {

constexpr const char* kUsage =
    "usage: tlvdb [--db FILE] COMMAND ...\n"
    "\n"
    "  list                              the targets: id, name, folder, elements 4\n"
    "                                    and 5, next free row, time of set-up\n"
    "  add NAME FOLDER [ELEMENT4 ELEMENT5]\n"
    "                                    a new target whose FOLDER receives the NC\n"
    "                                    files; prints its id\n"
    "  remove ID                         a target and every row it holds\n"
    "  rows ID                           the stored rows of a target: row, item,\n"
    "                                    value\n"
    "\n"
    "The database is --db FILE, else the settings value \"ProcessDbPath\" of\n"
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV, else\n"
    "$XDG_DATA_HOME/kestra/process.db; it is created on first use.  Messages go\n"
    "to standard error; a failure ends with status 1.\n";

int Error(std::ostream& err, const std::string& message) {
  err << "tlvdb: " << message << '\n';
  err.flush();
  return 1;
}

// A whole word as a target id; false for anything else ("3x", "", "-").
bool ParseId(const std::string& word, int* id) {
  const char* end = word.data() + word.size();
  auto [ptr, ec] = std::from_chars(word.data(), end, *id);
  return ec == std::errc() && ptr == end && !word.empty();
}

// Tabs and line ends would break the one-line-per-target listing.
bool HasControl(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) return true;
  }
  return false;
}

// Shortest text that reads back as the same number.
std::string NumberText(double value) {
  if (std::isnan(value)) return "nan";
  char buf[64];
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return ec == std::errc() ? std::string(buf, ptr) : std::string("?");
}

int List(ProcessDatabase& db, std::ostream& out, std::ostream& err) {
  std::vector<DbMaster> masters;
  if (!db.ListMasters(&masters)) return Error(err, db.error());
  out << "id\tname\tfolder\telement4\telement5\tnext_row\tcreated\n";
  for (const DbMaster& m : masters) {
    out << m.target << '\t' << m.name << '\t' << m.folder << '\t' << m.element4 << '\t'
        << m.element5 << '\t' << m.next_row << '\t' << m.created << '\n';
  }
  return 0;
}

int Add(ProcessDatabase& db, const std::vector<std::string>& words, std::ostream& out,
        std::ostream& err) {
  if (words.size() != 3 && words.size() != 5 && words.size() != 4) {
    return Error(err, "add needs NAME FOLDER [ELEMENT4 ELEMENT5] (see tlvdb --help)");
  }
  DbMaster master;
  master.name = words[1];
  master.folder = words[2];
  if (words.size() > 3) master.element4 = words[3];
  if (words.size() > 4) master.element5 = words[4];
  if (master.name.empty()) return Error(err, "the target's NAME is empty");
  if (master.folder.empty()) return Error(err, "the target's FOLDER is empty");
  for (const std::string* text :
       {&master.name, &master.folder, &master.element4, &master.element5}) {
    if (HasControl(*text)) return Error(err, "tabs and line ends are not allowed in '" + *text + "'");
  }
  // TLVP copies into the folder from wherever it runs: keep it absolute.
  if (master.folder[0] != '/') master.folder = JoinPath(CurrentDirectory(), master.folder);
  if (!IsDirectory(master.folder)) {
    err << "tlvdb: warning: the folder " << master.folder
        << " does not exist yet; NC files cannot be copied there until it does\n";
  }
  int target = -1;
  if (!db.AddMaster(master, &target)) return Error(err, db.error());
  out << target << '\n';
  return 0;
}

int Remove(ProcessDatabase& db, const std::vector<std::string>& words, std::ostream& err) {
  int target = 0;
  if (words.size() != 2 || !ParseId(words[1], &target)) {
    return Error(err, "remove needs the ID of a target (see tlvdb list)");
  }
  if (!db.RemoveMaster(target)) return Error(err, db.error());
  return 0;
}

int Rows(ProcessDatabase& db, const std::vector<std::string>& words, std::ostream& out,
         std::ostream& err) {
  int target = 0;
  if (words.size() != 2 || !ParseId(words[1], &target)) {
    return Error(err, "rows needs the ID of a target (see tlvdb list)");
  }
  DbMaster master;
  if (db.DbGetMaster(target, &master) != kDbOk) return Error(err, db.error());
  std::vector<DbItem> items;
  if (!db.ReadRows(target, &items)) return Error(err, db.error());
  for (const DbItem& item : items) {
    out << item.row << '\t' << item.item << '\t';
    if (const double* number = std::get_if<double>(&item.value)) {
      out << NumberText(*number);
    } else {
      out << std::get<std::string>(item.value);
    }
    out << '\n';
  }
  return 0;
}

}  // namespace

int RunTlvdb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string db_path;
  bool has_db = false;
  std::vector<std::string> words;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      out << kUsage;
      return 0;
    } else if (a == "--db") {
      if (i + 1 >= args.size()) return Error(err, "option --db needs a value");
      db_path = args[++i];
      has_db = true;
    } else if (a.rfind("--db=", 0) == 0) {
      db_path = a.substr(5);
      has_db = true;
    } else if (a.size() > 1 && a[0] == '-' && words.empty()) {
      return Error(err, "unknown option " + a + " (see tlvdb --help)");
    } else {
      words.push_back(a);
    }
  }
  if (words.empty()) {
    err << kUsage;
    return 1;
  }
  const std::string& command = words[0];
  if (command != "list" && command != "add" && command != "remove" && command != "rows") {
    return Error(err, "unknown command '" + command + "' (see tlvdb --help)");
  }
  if (has_db && db_path.empty()) return Error(err, "option --db needs a file name");
  if (!has_db) db_path = ProcessDatabasePath(SettingsStore::OpenDefault());

  ProcessDatabase db(db_path);
  if (db.DbOpen() != kDbOk) return Error(err, db.error());
  if (command == "list") return List(db, out, err);
  if (command == "add") return Add(db, words, out, err);
  if (command == "remove") return Remove(db, words, err);
  return Rows(db, words, out, err);
}

}  // namespace tlv
