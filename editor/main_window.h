// The editor's main window: the document, the section view, the menus and
// toolbar with every command, and the commit of the section text through
// the compiler before anything that needs the compiled sections.
#ifndef TLV_EDITOR_MAIN_WINDOW_H_
#define TLV_EDITOR_MAIN_WINDOW_H_

#include <QMainWindow>
#include <map>
#include <string>

#include "definition/variable_dictionary.h"
#include "editor/editor_context.h"
#include "editor/editor_document.h"

class QAction;
class QActionGroup;
class QDialog;
class QDockWidget;

namespace tlv {

class PreviewPane;
class SectionView;
class SettingsStore;

/// The settings value that keeps whether the preview pane is shown.
inline constexpr std::string_view kPreviewShownValue = "EditShowPreview";

/// Command ids of the menus, as the user's habits and the help know them.
namespace cmd {
inline constexpr int kNew = 57600;
inline constexpr int kOpen = 57601;
inline constexpr int kSave = 57603;
inline constexpr int kSaveAs = 57604;
inline constexpr int kListExport = 32799;
inline constexpr int kRegistry = 32800;
inline constexpr int kExit = 57665;
inline constexpr int kUndo = 57643;
inline constexpr int kCut = 57635;
inline constexpr int kCopy = 57634;
inline constexpr int kPaste = 57637;
inline constexpr int kNcFormat = 32774;
inline constexpr int kSheetSettings = 32798;
inline constexpr int kCodeList = 32790;
inline constexpr int kFont = 32789;
inline constexpr int kColours = 32793;
inline constexpr int kAbout = 57664;
inline constexpr int kFileVersion = 32815;
inline constexpr int kMachine = 32803;
}  // namespace cmd

/// The command that shows section `id` (1..21); 0 for any other id.
int SectionCommand(int id);

/// The definition file filter of the open and save dialogs.
QString DefinitionFilter();

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow(VariableDictionary dict, SettingsStore& settings, EditorPrompter& prompter,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  EditorDocument& document() { return document_; }
  SectionView* view() const { return view_; }
  /// The preview pane and the dock that holds it.
  PreviewPane* preview() const { return preview_; }
  QDockWidget* preview_dock() const { return preview_dock_; }
  /// The menu entry that shows and hides the preview.
  QAction* preview_action() const;
  EditorContext& context() { return context_; }
  /// The menu or toolbar action of command `id`, nullptr for none.
  QAction* action(int id) const;
  /// The section on show, 1..21.
  int current_section() const { return current_; }

  /// The document title: the path (or "無題"), two blanks and "[section]".
  QString DocumentTitle() const;
  /// True when leaving would lose something: the definition is modified or
  /// the view holds typed text not yet committed.
  bool HasUnsavedWork() const;

  /// Compiles the view's text into the section on show when it changed.
  /// A text the compiler (or the CP932 conversion) rejects is reported (in
  /// a message box and in the preview's list) and stays; returns false
  /// then.  An accepted text refreshes the preview.
  bool Commit();
  /// Commits, then shows section `id`.  False (the current section stays)
  /// when the commit fails.
  bool ShowSection(int id);

  bool NewDefinition();
  bool ImportDefinition();
  /// A file named on the command line: only "TOLvek4.20" is taken.  False
  /// after the message when it is not; the program then ends.
  bool OpenFromCommandLine(const QString& path);
  bool Save();
  bool SaveAs();
  /// Exit: asks 61454 when there is unsaved work, then closes the window.
  bool Exit();

  void ShowNcFormat();
  void ShowSheetSettings();
  QDialog* ShowCodeList();
  void ShowListExport();
  void ShowRegistrySettings();
  void ShowMachineSettings();
  void ChooseFont();
  void ChooseColours();
  /// What the font and colour dialogs do on OK: the view takes the font
  /// (colours) and "EditFntSize" and "EditFntName" ("EditTColor",
  /// "EditBColor", "EditMColor") are written.  A failed write is reported.
  bool ApplyFont(const QFont& font);
  bool ApplyColours(const QColor& text, const QColor& background, const QColor& code);
  void ShowFileVersion();
  void ShowAbout();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  QAction* AddCommand(QMenu* menu, int id, const QString& text,
                      const QKeySequence& shortcut = QKeySequence());
  /// Shows section `id` from the definition, dropping the view's text.
  void LoadSection(int id);
  void UpdateTitle();
  void ShowFormat(std::int32_t variable_id);
  bool ConfirmDiscard();
  void BuildPreview();
  /// The preview's menu entry was toggled: remembered in the settings.
  void RememberPreviewShown(bool shown);

  SettingsStore& settings_;
  EditorPrompter& prompter_;
  EditorDocument document_;
  EditorContext context_;
  SectionView* view_ = nullptr;
  PreviewPane* preview_ = nullptr;
  QDockWidget* preview_dock_ = nullptr;
  QActionGroup* section_group_ = nullptr;
  std::map<int, QAction*> actions_;
  int current_ = 1;
  bool exiting_ = false;
};

}  // namespace tlv

#endif  // TLV_EDITOR_MAIN_WINDOW_H_
