// The file-split page "ﾌｧｲﾙ分割" (cDivFileCmpDlg) of the NC format sheet:
// split methods with their limits, how split files are named, where a split
// may happen, the rapid feed for time estimates and the serial number.
#ifndef TLV_EDITOR_SPLIT_DIALOG_H_
#define TLV_EDITOR_SPLIT_DIALOG_H_

#include <array>
#include <optional>
#include <string>

#include <QWidget>

#include "editor/settings_sheet_logic.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tlv {

struct PostDefinition;

/// The page's controls as values.
struct SplitEdits {
  /// Split byte 0 as the checks leave it (bits 0..4); bits 5..7 of the
  /// stored byte are kept by ApplySplitEdits.
  std::uint8_t methods = 0;
  /// List "分割ファイル名の決定方法": 0..5; -1 keeps the stored byte.
  int name_source = 0;
  /// List "ファイルを分割する位置": 0..2; -1 keeps the stored value.
  int split_position = 0;
  std::string machining_length;  // "ﾒｰﾄﾙ"
  std::string tape_length;       // "ﾒｰﾄﾙ"
  std::string machining_time;    // "分"
  std::string rapid_feed;        // "早送りの送り速度"
  bool serial_number = false;
};

SplitEdits SplitEditsFrom(const PostDefinition& def);

/// "通し番号を付ける" is offered only for names made from the procedure or
/// the tool path (methods 2..5).
bool SerialNumberEnabled(int name_source);

/// Writes the controls back and copies the low 16 bits of the machining
/// length into split bytes 2-3.  Refuses a length or time that is not a
/// whole number and a feed that is not a number ("machining_length",
/// "tape_length", "machining_time", "rapid_feed"); nothing is written then.
std::optional<Refusal> ApplySplitEdits(const SplitEdits& edits, PostDefinition* def);

/// The page as a widget.
class SplitPage : public QWidget {
  Q_OBJECT
 public:
  explicit SplitPage(QWidget* parent = nullptr);

  void Load(const SplitEdits& edits);
  SplitEdits Read() const;
  void FocusControl(const std::string& control);

  QCheckBox* method(int bit) const { return methods_[bit]; }
  QComboBox* name_source() const { return name_source_; }
  QCheckBox* serial_number() const { return serial_number_; }
  QLineEdit* machining_length() const { return machining_length_; }

 private:
  void UpdateEnabled();

  std::array<QCheckBox*, 5> methods_{};
  QLineEdit* machining_length_;
  QLineEdit* tape_length_;
  QLineEdit* machining_time_;
  QComboBox* name_source_;
  QComboBox* split_position_;
  QLineEdit* rapid_feed_;
  QCheckBox* serial_number_;
};

}  // namespace tlv

#endif  // TLV_EDITOR_SPLIT_DIALOG_H_
