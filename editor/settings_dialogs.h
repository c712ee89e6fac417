// The editor's settings dialogs as the main window calls them: the NC format
// settings sheet, the process-sheet settings, the output format of one
// variable and the code list.  Every dialog works on copies and writes back
// only on OK; messages go through the context's prompter.
#ifndef TLV_EDITOR_SETTINGS_DIALOGS_H_
#define TLV_EDITOR_SETTINGS_DIALOGS_H_

#include <cstdint>

class QDialog;
class QWidget;

namespace tlv {

struct EditorContext;

/// The NC format settings sheet "ＮＣ書式編集" (codes, canned cycles,
/// variable flags, number formats, user-defined variables, coordinate mode,
/// file splitting), modal.  The caller commits the section text first (the
/// sheet's "利用変数のみ" looks at the compiled sections).  On OK every page
/// is written back and the definition marked modified; returns true.  Cancel
/// leaves the definition and its modified flag alone; returns false.
bool ShowNcFormatSheet(QWidget* parent, EditorContext& context);

/// The same sheet built but not shown, for the screenshot script and for
/// tests that drive it: accepting it writes back as ShowNcFormatSheet does.
/// Owned by `parent` (the caller owns it when `parent` is null); `context`
/// must outlive it.
QDialog* CreateNcFormatSheet(QWidget* parent, EditorContext& context);

/// The coordinate page "座標値切替" alone in a dialog, modal.  True when OK
/// changed the definition (then it is marked modified).
bool ShowCoordinateDialog(QWidget* parent, EditorContext& context);

/// The file-split page "ﾌｧｲﾙ分割" alone in a dialog, modal.  True when OK
/// changed the definition (then it is marked modified).
bool ShowSplitDialog(QWidget* parent, EditorContext& context);

/// The output-format dialog "ﾌｫｰﾏｯﾄ" of variable `variable_id` (the section
/// view's " のﾌｫｰﾏｯﾄ" item), modal.  Does not open, and returns false, for a
/// variable without a setting or with a text-only setting.  True when OK
/// changed the setting (then the definition is marked modified).
bool ShowOutputFormatDialog(QWidget* parent, EditorContext& context,
                            std::int32_t variable_id);

/// The process-sheet settings dialog "工程表出力設定", modal.  True when OK
/// changed the definition; the definition is then marked modified, so that
/// leaving the editor does not drop the change without asking.
bool ShowSheetSettingsDialog(QWidget* parent, EditorContext& context);

/// The modeless code list "コード表": made once as a child of `parent`
/// (object name "cCodeDlg") and shown and raised again on later calls.  Its
/// "張り付け" pastes "<NAME>" through the context's paste_at_caret.  The
/// window keeps a copy of `context`, whose references must outlive it.
/// With a null `parent` every call makes a new window, owned by the caller.
QDialog* ShowCodeListDialog(QWidget* parent, EditorContext& context);

}  // namespace tlv

#endif  // TLV_EDITOR_SETTINGS_DIALOGS_H_
