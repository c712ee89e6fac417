// The NC format settings sheet "ＮＣ書式編集": seven pages over a scratch copy
// of the definition.  The list pages and the user-defined page write to the
// copy with their "適用"; OK checks the other pages, writes the copy back and
// marks the definition modified; Cancel drops the copy.
#ifndef TLV_EDITOR_SETTINGS_SHEET_H_
#define TLV_EDITOR_SETTINGS_SHEET_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>
#include <QWidget>

#include "editor/editor_context.h"
#include "editor/settings_sheet_logic.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace tlv {

class CoordinatePage;
struct PostDefinition;
class FormatControls;
class SplitPage;
class TriCheckBox;

/// Pages 1 and 2: one edit per code key (and the rigid-tap check on page 2).
class CodePage : public QWidget {
  Q_OBJECT
 public:
  struct Group {
    const char* title;
    std::vector<std::pair<const char*, const char*>> keys;  // key, label
  };
  CodePage(QWidget* parent, const std::vector<Group>& groups, bool with_rigid_tap);

  void Load(const PostDefinition& def);
  /// The edits as code texts; `rigid_tap` only when the page has the check.
  std::vector<CodeEdit> Read() const;
  void ReadRigidTap(PostDefinition* def) const;
  void FocusControl(const std::string& key);

  QLineEdit* edit(const std::string& key) const;
  QCheckBox* rigid_tap() const { return rigid_tap_; }

 private:
  std::map<std::string, QLineEdit*> edits_;
  QCheckBox* rigid_tap_ = nullptr;
};

/// Pages 3 "変数設定" and 4 "ﾌｫｰﾏｯﾄ": a multi-selection list of variables,
/// "利用変数のみ", the checks (three-state), "適用", "標準" and "コード情報".
class VariableListPage : public QWidget {
  Q_OBJECT
 public:
  enum class Kind { kFlags, kFormat };
  VariableListPage(QWidget* parent, Kind kind, PostDefinition& scratch,
                   const EditorContext& context);

  /// Fills the list again (the first variable selected) and shows its state.
  void Reload();
  /// Shows the state of the current selection again (another page may have
  /// changed the scratch copy).
  void ShowSelection();
  /// Selects exactly the variables `ids` (those the list holds).
  void Select(const std::vector<std::int32_t>& ids);
  std::vector<std::int32_t> SelectedIds() const;

  /// "適用": true when written (a refusal is shown, nothing written).
  bool Apply();
  /// "標準".
  void Standard();

  QListWidget* list() const { return list_; }
  QCheckBox* used_only() const { return used_only_; }
  TriCheckBox* modal() const { return modal_; }
  TriCheckBox* reset_at_file_head() const { return reset_; }
  FormatControls* format() const { return format_; }
  QPushButton* apply_button() const { return apply_; }

 private:
  Kind kind_;
  PostDefinition& scratch_;
  const EditorContext& context_;
  std::vector<std::int32_t> used_ids_;
  QListWidget* list_;
  QCheckBox* used_only_;
  TriCheckBox* modal_ = nullptr;
  TriCheckBox* reset_ = nullptr;
  FormatControls* format_ = nullptr;
  QPushButton* apply_;
};

/// Page 5 "ﾕｰｻﾞ定義": the user-defined variables, their fields labelled by
/// kind, "適用", "出力ﾌｫｰﾏｯﾄ" and "参照".
class UserPage : public QWidget {
  Q_OBJECT
 public:
  UserPage(QWidget* parent, PostDefinition& scratch, const EditorContext& context);

  void Reload();
  /// Selects the variable `id`; false when the list lacks it.
  bool Select(std::int32_t id);
  std::int32_t SelectedId() const;
  /// "適用": true when written.
  bool Apply();

  QListWidget* list() const { return list_; }
  QLabel* first_label() const { return first_label_; }
  QLineEdit* first_text() const { return first_text_; }
  QCheckBox* every_time() const { return every_time_; }
  QCheckBox* use_value() const { return use_value_; }
  QLabel* second_label() const { return second_label_; }
  QLineEdit* second_text() const { return second_text_; }
  QLabel* internal_code() const { return internal_code_; }
  QPushButton* apply_button() const { return apply_; }
  QPushButton* format_button() const { return format_button_; }

 private:
  void ShowSelected();
  void UpdateEnabled();
  void OpenFormat();
  void OpenReference();

  PostDefinition& scratch_;
  const EditorContext& context_;
  std::vector<VariableListItem> items_;
  QListWidget* list_;
  QLabel* first_label_;
  QLineEdit* first_text_;
  QCheckBox* every_time_;
  QCheckBox* use_value_;
  QLabel* second_label_;
  QLineEdit* second_text_;
  QLabel* internal_code_;
  QPushButton* apply_;
  QPushButton* format_button_;
};

class NcFormatSheet : public QDialog {
  Q_OBJECT
 public:
  NcFormatSheet(QWidget* parent, EditorContext& context);
  ~NcFormatSheet() override;

  /// The copy the pages work on.
  const PostDefinition& scratch() const { return *scratch_; }

  QTabWidget* tabs() const { return tabs_; }
  CodePage* codes_page() const { return codes_; }
  CodePage* cycles_page() const { return cycles_; }
  VariableListPage* variables_page() const { return variables_; }
  VariableListPage* format_page() const { return format_; }
  UserPage* user_page() const { return user_; }
  CoordinatePage* coordinate_page() const { return coordinate_; }
  SplitPage* split_page() const { return split_; }

  /// OK: checks the pages without an apply button, writes everything back
  /// and marks the definition modified.  A refusal shows its message and
  /// keeps the sheet open on the page at fault.
  void accept() override;

 private:
  EditorContext& context_;
  std::unique_ptr<PostDefinition> scratch_;
  QTabWidget* tabs_;
  CodePage* codes_;
  CodePage* cycles_;
  VariableListPage* variables_;
  VariableListPage* format_;
  UserPage* user_;
  CoordinatePage* coordinate_;
  SplitPage* split_;
};

}  // namespace tlv

#endif  // TLV_EDITOR_SETTINGS_SHEET_H_
