// The procedure parameter file: the machining parameters of each procedure
// (side step, down step, ...) that the CAM system leaves beside the tool path,
// kept for the whole run and looked up by the process start.
#ifndef TLV_SHEET_PROCEDURE_PARAMETERS_H_
#define TLV_SHEET_PROCEDURE_PARAMETERS_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlv {

class RunLog;

/// Parameter names that the process start looks up, in the file's encoding
/// (code page 932, half-width katakana): "ｻｲﾄﾞｽﾃｯﾌﾟ" (side step) and
/// "ﾀﾞｳﾝｽﾃｯﾌﾟ" (down step).
inline constexpr std::string_view kSideStepParameterName =
    "\xBB\xB2\xC4\xDE\xBD\xC3\xAF\xCC\xDF";
inline constexpr std::string_view kDownStepParameterName =
    "\xC0\xDE\xB3\xDD\xBD\xC3\xAF\xCC\xDF";

/// The kinds of parameter value named by "Attr Type".
enum class ParameterType {
  kUnknown = -1,  // an "Attr Type" naming none of the kinds below
  kString = 0,
  kInt = 1,
  kFloat = 2,
  kPercent = 3,
};

/// One parameter of a procedure.  Texts are bytes of the file (code page
/// 932).  `value_text` is emptied for the numeric kinds; `number` holds the
/// value of "Float" and "Percent", `integer` that of "Int".
struct ProcedureParameter {
  std::string name;
  std::string value_text;
  int id = 0;
  std::string branch_name;
  double number = 0;
  int integer = 0;
  ParameterType type = ParameterType::kString;
};

/// The parameters of one procedure, in file order.
using Procedure = std::vector<ProcedureParameter>;

/// The procedures of the procedure parameter file and the index of the
/// procedure the current process reads.
///
/// The file is scanned tag by tag, not parsed as XML: every text between
/// "<" and ">" is searched for the markers "Procedure Name", "/Procedure",
/// "Parameter Name", "Attr Value", "Attr ID", "Attr BranchName", "Attr Type"
/// and "/Parameter" (all of them, in that order, on every tag).  A
/// parameter's fields keep their values from tag to tag, so its attributes
/// may be spread over several tags; "/Parameter" inside a procedure stores
/// it.  Tag texts longer than kMaxTagLength bytes are cut.
///
/// **Example**
///   ProcedureParameters params;
///   params.Read(settings.procedure_parameter_path, &log);  // once per run
///   params.set_procedure_index(0);                         // program start
///   if (auto v = params.ValueByName(kSideStepParameterName)) ...
///   params.NextProcedure();                                // process end
class ProcedureParameters {
 public:
  /// Bytes of one tag text that are kept; the rest of a longer tag is
  /// dropped.
  static constexpr std::size_t kMaxTagLength = 1023;

  /// Reads the file at `path` once per run: does nothing when a read has
  /// already succeeded.  A file that cannot be opened logs
  /// "ＸＭＬファイル:<path> を開けません。" and leaves the store as it was (the
  /// run goes on without parameters, and the next job tries again); otherwise
  /// logs "ＸＭＬファイル読込ＯＫ。", scans the text and marks the store
  /// loaded.  `log` may be null.  Returns loaded().
  bool Read(const std::string& path, RunLog* log);

  /// Scans the text of a procedure parameter file into the store (appending
  /// to what is there) and marks it loaded.  Leaves the procedure index at
  /// the last procedure seen; the program start sets it to 0.
  void Scan(std::string_view text);

  /// True once a file was read (or a text scanned) in this run.
  bool loaded() const { return loaded_; }

  /// The value of the first parameter with that numeric id, or with exactly
  /// that name (file bytes), in the procedure at the procedure index.
  /// Nothing when the index is outside the list or no parameter matches.
  /// An "Int" parameter gives its integer, "Float" and "Percent" their
  /// number, other kinds 0.
  std::optional<double> ValueById(int id) const;
  std::optional<double> ValueByName(std::string_view name) const;

  /// The procedure the next process start reads: 0 for the first procedure
  /// of the file.  Set to 0 at the program start; NextProcedure() at every
  /// process end.
  int procedure_index() const { return index_; }
  void set_procedure_index(int index) { index_ = index; }
  void NextProcedure() { ++index_; }

  /// The procedure at the current index, or null when it is outside the
  /// list.
  const Procedure* CurrentProcedure() const;

  const std::vector<Procedure>& procedures() const { return procedures_; }

 private:
  // Runs the marker tests on one tag text.
  void HandleTag(std::string_view tag);
  // Stores the parameter being read into the procedure at the index.
  void StoreParameter();

  std::vector<Procedure> procedures_;
  int index_ = -2;
  bool inside_procedure_ = false;
  bool loaded_ = false;
  ProcedureParameter current_;
};

}  // namespace tlv

#endif  // TLV_SHEET_PROCEDURE_PARAMETERS_H_
