// The variable table of a job: every variable by number, the coordinate
// words with their recalculation for G90/G91/G92 output, and the
// process-sheet slots.
#ifndef TLV_FORMAT_VARIABLE_STORE_H_
#define TLV_FORMAT_VARIABLE_STORE_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "format/variable.h"

namespace tlv {

class VariableDictionary;
struct VariableSettingTable;

/// Coordinate output modes.
inline constexpr int kCoordAbsolute = 0;     // G90
inline constexpr int kCoordIncremental = 1;  // G91
inline constexpr int kCoordOffset = 2;       // G92: absolute plus the origin offset

/// One family of coordinate words: the word variables printed for X, Y and
/// Z and the variables holding their source values.
struct CoordinateFamily {
  std::int32_t words[3];
  std::int32_t sources[3];
};

/// Where a word variable sits: its family and axis (0 X, 1 Y, 2 Z).
struct CoordinateWord {
  const CoordinateFamily* family = nullptr;
  int axis = 0;
  explicit operator bool() const { return family != nullptr; }
};

/// The coordinate word that `number` is, if any.
CoordinateWord FindCoordinateWord(std::int32_t number);

/// Coordinate settings of the definition, fixed for a job.
struct CoordinateSettings {
  /// The definition's output mode setting (0 G90, 1 G91, 2 G92): a literal
  /// G90 selects kCoordOffset when this is 2.
  int output_setting = 0;
  /// Coordinates are the tool centre: the tool-centre Z offset applies.
  bool tool_centre = false;
  /// Digits after the decimal point of the least input increment.
  int digits = 3;
};

/// The coordinate output state that literal G90/G91/G92 and the words
/// change.  Lives for the job.
struct CoordinateState {
  int mode = kCoordAbsolute;
  /// Set by a literal G92, cleared at the next line feed.
  bool g92_pending = false;
  double g92_offset[3] = {0, 0, 0};
  double last_source[3] = {0, 0, 0};
  /// Set at tool change when coordinates are the tool centre.
  double tool_centre_z = 0;
};

/// What the user-defined variables add to the output rule (format/
/// user_variables.h implements it).
class UserVariableHooks {
 public:
  virtual ~UserVariableHooks() = default;
  /// Runs before a reference to an input or computed variable is printed;
  /// `forced` for an unconditional reference.
  virtual void BeforeOutput(Variable& v, bool forced) = 0;
  /// IsDue of a computed variable whose computation is pending, answered
  /// from a trial computation that leaves every variable as it was.
  virtual int DueByTrial(Variable& v) = 0;
};

class VariableStore {
 public:
  VariableStore();
  VariableStore(const VariableStore&) = delete;
  VariableStore& operator=(const VariableStore&) = delete;

  /// The variable `number`, or nullptr when the table has none.
  Variable* Lookup(std::int32_t number) {
    if (number >= 0 && static_cast<std::size_t>(number) < index_.size()) return index_[number];
    return LookupSlow(number);
  }
  /// Adds `v`, replacing a variable of the same number as a whole.
  Variable& Put(Variable v);
  /// Every variable in ascending number.
  std::map<std::int32_t, Variable>& variables() { return table_; }

  // The output rule with the user-defined processing first.
  bool FormatIfDue(Variable& v, std::string* out, std::size_t max);
  void FormatAlways(Variable& v, std::string* out, std::size_t max);
  int IsDue(Variable& v);

  /// (A - B) / s with s = 10^digits and A, B the values a*s, b*s rounded to
  /// the nearest integer, halves away from zero.
  double RoundedDifference(double a, double b) const;
  /// 10 to the power of minus the coordinate digits.
  double LeastIncrement() const { return least_increment_; }

  /// First half of a coordinate word's recalculation: the source's changed
  /// flag says whether the target differs from the tracked position at the
  /// word's resolution.  Run before the word is printed or serves as a
  /// group key.
  void RecalculateSource(const CoordinateWord& word);
  /// Second half, when the word is printed: the word gets its value for
  /// the current mode, its changed flag the source's due state, and the
  /// tracked position moves to the target.
  void AssignCoordinate(const CoordinateWord& word);

  /// Copies the run slot into the sheet slot of every armed variable.
  void SnapshotAll();
  /// Makes every read and write use the sheet slot (true) or the run slot.
  void UseSheetSlotAll(bool use);
  /// Arms every variable for the next snapshot.
  void ArmSnapshotAll();
  /// The start of a process-sheet item in one walk: SnapshotAll when
  /// `snapshot`, then UseSheetSlotAll(true).
  void BeginSheetItem(bool snapshot);
  /// The end of a process-sheet item in one walk: UseSheetSlotAll(false),
  /// then ArmSnapshotAll.
  void EndSheetItem();
  /// Marks changed every variable that repeats at the head of a file.
  void ResetAtFileHead();

  void SetCoordinateSettings(const CoordinateSettings& settings);
  const CoordinateSettings& coordinate_settings() const { return coord_settings_; }
  CoordinateState& coordinates() { return coord_; }

  void set_user_hooks(UserVariableHooks* hooks) { hooks_ = hooks; }
  UserVariableHooks* user_hooks() const { return hooks_; }

 private:
  Variable* LookupSlow(std::int32_t number);
  void Reindex();
  /// Value of the tracked position on `axis`; 0 when the table lacks it.
  double Position(int axis);
  void SetPosition(int axis, double value);

  std::map<std::int32_t, Variable> table_;
  // Every variable of the table, for the walks over all of them at each
  // process end (a vector walks faster than the tree).
  std::vector<Variable*> all_;
  // Direct index for the small numbers every section uses.
  std::vector<Variable*> index_;
  CoordinateSettings coord_settings_;
  CoordinateState coord_;
  double scale_ = 1000.0;
  double least_increment_ = 0.001;
  UserVariableHooks* hooks_ = nullptr;
};

/// Builds the job's table: one variable per dictionary entry marked for
/// every definition (text when its kind is text, the integer preset for
/// integer kinds), then each of the definition's settings replacing the
/// variable of the same number as a whole or adding it.
void BuildVariableTable(const VariableDictionary& dict, const VariableSettingTable& settings,
                        VariableStore* store);

}  // namespace tlv

#endif  // TLV_FORMAT_VARIABLE_STORE_H_
