#include "editor/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QFontDialog>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <QToolBar>
#include <algorithm>

#include "definition/section_compiler.h"
#include "definition/section_decoder.h"
#include "editor/colour_dialog.h"
#include "editor/list_export_dialog.h"
#include "editor/machine_dialog.h"
#include "editor/preview_pane.h"
#include "editor/registry_dialog.h"
#include "editor/section_text.h"
#include "editor/section_view.h"
#include "editor/settings_dialogs.h"
#include "editor/tolvek_app.h"
#include "platform/settings_store.h"

namespace tlv {

namespace {

// Section id by command, in the order the menu lists them.
constexpr std::pair<int, int> kSectionCommands[] = {
    {32775, 1},  {32776, 2},  {32777, 3},  {32778, 4},  {32779, 5},  {32780, 6},
    {32781, 7},  {32782, 8},  {32783, 9},  {32784, 10}, {32785, 11}, {32786, 12},
    {32787, 13}, {32788, 14}, {32791, 15}, {32792, 16}, {32795, 17}, {32796, 18},
    {32797, 19}, {32801, 20}, {32802, 21}};

std::string FileName(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString FromFileName(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

int SectionCommand(int id) {
  for (const auto& [command, section] : kSectionCommands) {
    if (section == id) return command;
  }
  return 0;
}

QString DefinitionFilter() {
  return QStringLiteral("Tolvekﾌｧｲﾙ (*.tlv);;全てのﾌｧｲﾙ (*.*)");
}

MainWindow::MainWindow(VariableDictionary dict, SettingsStore& settings,
                       EditorPrompter& prompter, QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      prompter_(prompter),
      document_(std::move(dict)),
      context_{document_.definition(), document_.dictionary(), settings_, prompter_, {}, {}} {
  setObjectName(QStringLiteral("CMainFrame"));
  view_ = new SectionView(document_.dictionary(), this);
  setCentralWidget(view_);
  BuildPreview();
  // A change made in a dialog (codes, formats, modes) shows in the preview
  // as a committed section does.
  context_.mark_modified = [this] {
    document_.set_modified(true);
    preview_->Refresh();
  };
  context_.paste_at_caret = [this](const QString& text) { view_->PasteAtCaret(text); };
  connect(view_, &SectionView::FormatRequested, this, &MainWindow::ShowFormat);
  view_->ApplyDisplay(ReadDisplaySettings(settings_));
  BuildMenus();
  statusBar();
  // Room for the preview beside the section view when it is shown.
  if (preview_dock_->isHidden()) {
    resize(800, 600);
  } else {
    resize(1280, 760);
  }
  LoadSection(1);
}

// The preview pane holds the document's definition by reference: it goes
// (stopping its runs) before the document does.
MainWindow::~MainWindow() { delete preview_dock_; }

void MainWindow::BuildPreview() {
  preview_ = new PreviewPane(document_.definition(),
                             DefaultPreviewPaths(DictionaryPath(settings_), settings_), prompter_);
  preview_dock_ = new QDockWidget(QStringLiteral("プレビュー"), this);
  preview_dock_->setObjectName(QStringLiteral("previewDock"));
  preview_dock_->setWidget(preview_);
  addDockWidget(Qt::RightDockWidgetArea, preview_dock_);
  if (!settings_.ReadFlag(kEditorSettingsKey, kPreviewShownValue).value_or(true)) {
    preview_dock_->hide();
  }
}

QAction* MainWindow::preview_action() const { return preview_dock_->toggleViewAction(); }

void MainWindow::RememberPreviewShown(bool shown) {
  std::string err;
  if (!settings_.WriteDword(kEditorSettingsKey, kPreviewShownValue, shown ? 1 : 0, &err)) {
    prompter_.Inform(this, QString::fromStdString(err), EditorPrompter::Icon::kError);
  }
}

QAction* MainWindow::AddCommand(QMenu* menu, int id, const QString& text,
                                const QKeySequence& shortcut) {
  QAction* action = menu->addAction(text);
  action->setObjectName(QStringLiteral("cmd%1").arg(id));
  action->setData(id);
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  actions_[id] = action;
  return action;
}

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
  connect(AddCommand(file, cmd::kNew, QStringLiteral("新規作成(&N)"), QKeySequence::New),
          &QAction::triggered, this, [this] { NewDefinition(); });
  connect(AddCommand(file, cmd::kOpen, QStringLiteral("開く(&O)..."), QKeySequence::Open),
          &QAction::triggered, this, [this] { ImportDefinition(); });
  connect(AddCommand(file, cmd::kSave, QStringLiteral("上書き保存(&S)"), QKeySequence::Save),
          &QAction::triggered, this, [this] { Save(); });
  connect(AddCommand(file, cmd::kSaveAs, QStringLiteral("名前を付けて保存(&A)...")),
          &QAction::triggered, this, [this] { SaveAs(); });
  file->addSeparator();
  connect(AddCommand(file, cmd::kListExport, QStringLiteral("設定のファイル出力(&C)...")),
          &QAction::triggered, this, [this] { ShowListExport(); });
  connect(AddCommand(file, cmd::kRegistry, QStringLiteral("レジストリ設定")),
          &QAction::triggered, this, [this] { ShowRegistrySettings(); });
  file->addSeparator();
  connect(AddCommand(file, cmd::kExit, QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)")),
          &QAction::triggered, this, [this] { Exit(); });

  QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  QAction* undo = AddCommand(edit, cmd::kUndo, QStringLiteral("元に戻す(&U)"), QKeySequence::Undo);
  undo->setShortcuts({QKeySequence::Undo, QKeySequence(Qt::ALT | Qt::Key_Backspace)});
  // Undo does nothing: the section text has no undo history.
  edit->addSeparator();
  QAction* cut = AddCommand(edit, cmd::kCut, QStringLiteral("切り取り(&T)"));
  cut->setShortcuts({QKeySequence::Cut, QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
  connect(cut, &QAction::triggered, view_->editor(), &QPlainTextEdit::cut);
  QAction* copy = AddCommand(edit, cmd::kCopy, QStringLiteral("コピー(&C)"));
  copy->setShortcuts({QKeySequence::Copy, QKeySequence(Qt::CTRL | Qt::Key_Insert)});
  connect(copy, &QAction::triggered, view_->editor(), &QPlainTextEdit::copy);
  QAction* paste = AddCommand(edit, cmd::kPaste, QStringLiteral("貼り付け(&P)"));
  paste->setShortcuts({QKeySequence::Paste, QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
  connect(paste, &QAction::triggered, view_->editor(), &QPlainTextEdit::paste);
  edit->addSeparator();
  connect(AddCommand(edit, cmd::kNcFormat, QStringLiteral("ＮＣ書式編集")), &QAction::triggered,
          this, [this] { ShowNcFormat(); });
  connect(AddCommand(edit, cmd::kSheetSettings, QStringLiteral("工程表設定")),
          &QAction::triggered, this, [this] { ShowSheetSettings(); });
  QAction* machine = AddCommand(edit, cmd::kMachine, QStringLiteral("機械設定..."));
  machine->setStatusTip(QStringLiteral("４軸、５軸機械の設定"));
  connect(machine, &QAction::triggered, this, [this] { ShowMachineSettings(); });

  QMenu* sections = menuBar()->addMenu(QStringLiteral("コード切替"));
  section_group_ = new QActionGroup(this);
  section_group_->setExclusive(true);
  for (const auto& [command, id] : kSectionCommands) {
    QAction* action =
        AddCommand(sections, command, QString::fromUtf8(SectionDisplayName(id).data(),
                                                        static_cast<qsizetype>(
                                                            SectionDisplayName(id).size())));
    action->setCheckable(true);
    section_group_->addAction(action);
    const int section = id;
    connect(action, &QAction::triggered, this, [this, section] {
      // A refused commit keeps the current section, and its check mark.
      if (!ShowSection(section)) actions_[SectionCommand(current_)]->setChecked(true);
    });
  }

  QMenu* display = menuBar()->addMenu(QStringLiteral("表示(&V)"));
  QToolBar* toolbar = addToolBar(QStringLiteral("ツール バー"));
  toolbar->setObjectName(QStringLiteral("toolbar"));
  display->addAction(toolbar->toggleViewAction());
  QAction* preview = preview_dock_->toggleViewAction();
  preview->setObjectName(QStringLiteral("previewToggle"));
  display->addAction(preview);
  // Only the user's choice is remembered, not the hiding at exit.
  connect(preview, &QAction::triggered, this, &MainWindow::RememberPreviewShown);
  display->addSeparator();
  connect(AddCommand(display, cmd::kCodeList, QStringLiteral("コード一覧")),
          &QAction::triggered, this, [this] { ShowCodeList(); });
  connect(AddCommand(display, cmd::kFont, QStringLiteral("フォント...")), &QAction::triggered,
          this, [this] { ChooseFont(); });
  connect(AddCommand(display, cmd::kColours, QStringLiteral("色の設定")), &QAction::triggered,
          this, [this] { ChooseColours(); });

  QMenu* help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  connect(AddCommand(help, cmd::kAbout, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(tolvek) (&A)...")),
          &QAction::triggered, this, [this] { ShowAbout(); });
  connect(AddCommand(help, cmd::kFileVersion, QStringLiteral("ﾌｧｲﾙﾊﾞｰｼﾞｮﾝ")),
          &QAction::triggered, this, [this] { ShowFileVersion(); });

  actions_[cmd::kNew]->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
  actions_[cmd::kOpen]->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  actions_[cmd::kSave]->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  toolbar->addAction(actions_[cmd::kNew]);
  toolbar->addAction(actions_[cmd::kOpen]);
  toolbar->addAction(actions_[cmd::kSave]);
}

QAction* MainWindow::action(int id) const {
  const auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

QString MainWindow::DocumentTitle() const {
  const std::string_view name = SectionDisplayName(current_);
  const QString section = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  const QString file =
      document_.path().empty() ? QStringLiteral("無題") : FromFileName(document_.path());
  return file + QStringLiteral("  [") + section + QStringLiteral("]");
}

void MainWindow::UpdateTitle() {
  setWindowTitle(DocumentTitle() + QStringLiteral(" - TolveK"));
}

bool MainWindow::HasUnsavedWork() const {
  return document_.modified() || view_->text_changed();
}

bool MainWindow::Commit() {
  if (!view_->text_changed()) return true;
  const std::string_view name = SectionDisplayName(current_);
  const QString section_name =
      QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  const SectionTextResult text = ViewTextToCp932(view_->Text());
  if (!text.ok) {
    preview_->ShowCompileError(section_name, text.message);
    prompter_.Inform(this, text.message);
    return false;
  }
  FormatSection* section = document_.definition().sections.Find(current_);
  if (!section) {
    prompter_.Inform(this, QStringLiteral("このセクションは定義にありません。"));
    return false;
  }
  const CompileResult result = CompileIntoSection(text.bytes, document_.dictionary(), section);
  if (!result.ok) {
    preview_->ShowCompileError(section_name, QString::fromStdString(result.message));
    prompter_.Inform(this, QString::fromStdString(result.message));
    // Put the caret where the compiler stopped, to show what it means.
    QTextCursor cursor(view_->editor()->document()->findBlockByNumber(result.line - 1));
    if (!cursor.isNull()) {
      cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor,
                          std::max(0, result.column - 1));
      view_->editor()->setTextCursor(cursor);
    }
    return false;
  }
  document_.set_modified(true);
  // The text now matches the section: leaving does not lose it any more.
  view_->set_text_changed(false);
  preview_->ClearCompileError();
  preview_->Refresh();
  return true;
}

bool MainWindow::ShowSection(int id) {
  if (id < 1 || id >= kSectionSlots) return false;
  if (!Commit()) return false;
  LoadSection(id);
  return true;
}

void MainWindow::LoadSection(int id) {
  current_ = id;
  const FormatSection* section = document_.definition().sections.Find(id);
  const DecodeResult decoded =
      DecodeSection(section ? std::string_view(section->text) : std::string_view(),
                    document_.dictionary());
  view_->SetText(Cp932ToViewText(decoded.text));
  if (QAction* check = action(SectionCommand(id))) check->setChecked(true);
  UpdateTitle();
  if (!decoded.ok) {
    // The view shows what decoded before the bad code; the stored section
    // stays as it is unless the user changes the text and commits it.
    prompter_.Inform(this, QString::fromStdString(decoded.message));
  }
}

bool MainWindow::ConfirmDiscard() {
  if (!HasUnsavedWork()) return true;
  return prompter_.ConfirmOkCancel(this, EditorMessage(kEdMsgDiscardChanges));
}

bool MainWindow::NewDefinition() {
  if (!ConfirmDiscard()) return false;
  document_.New();
  LoadSection(1);
  preview_->ClearCompileError();
  preview_->Refresh();
  return true;
}

bool MainWindow::ImportDefinition() {
  if (!ConfirmDiscard()) return false;
  const QString path = prompter_.AskOpenPath(this, QStringLiteral("開く"), QString(),
                                             DefinitionFilter());
  // Cancelling leaves everything as it was, the modified flag included.
  if (path.isEmpty()) return false;
  const DefinitionResult result = document_.Import(FileName(path), ImportRapidFeed(settings_));
  if (!result.ok()) {
    prompter_.Inform(this, result.status == DefinitionStatus::kUnknownTag
                               ? EditorMessage(kEdMsgInvalidFile)
                               : QString::fromStdString(result.error));
    return false;
  }
  LoadSection(1);
  preview_->ClearCompileError();
  preview_->Refresh();
  return true;
}

bool MainWindow::OpenFromCommandLine(const QString& path) {
  const DefinitionResult result = document_.OpenCurrentVersion(FileName(path));
  if (!result.ok()) {
    prompter_.Inform(this, result.status == DefinitionStatus::kUnknownTag
                               ? EditorMessage(kEdMsgInvalidFile)
                               : QString::fromStdString(result.error));
    return false;
  }
  LoadSection(1);
  preview_->Refresh();
  return true;
}

bool MainWindow::Save() {
  if (!Commit()) return false;
  QString path = FromFileName(document_.path());
  if (path.isEmpty()) {
    path = prompter_.AskSavePath(this, QStringLiteral("名前を付けて保存"), QString(),
                                 DefinitionFilter(), QStringLiteral("tlv"));
    if (path.isEmpty()) return false;
  }
  const DefinitionResult result = document_.Save(FileName(path));
  if (!result.ok()) {
    prompter_.Inform(this, QString::fromStdString(result.error), EditorPrompter::Icon::kError);
    return false;
  }
  UpdateTitle();
  return true;
}

bool MainWindow::SaveAs() {
  if (!Commit()) return false;
  const QString path =
      prompter_.AskSavePath(this, QStringLiteral("名前を付けて保存"),
                            FromFileName(document_.path()), DefinitionFilter(),
                            QStringLiteral("tlv"));
  if (path.isEmpty()) return false;
  const DefinitionResult result = document_.SaveAs(FileName(path));
  if (!result.ok()) {
    prompter_.Inform(this, QString::fromStdString(result.error), EditorPrompter::Icon::kError);
    return false;
  }
  UpdateTitle();
  return true;
}

bool MainWindow::Exit() {
  if (!ConfirmDiscard()) return false;
  exiting_ = true;
  close();
  return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (exiting_ || ConfirmDiscard()) {
    exiting_ = true;
    event->accept();
  } else {
    event->ignore();
  }
}

void MainWindow::ShowNcFormat() {
  if (!Commit()) return;
  ShowNcFormatSheet(this, context_);
}

void MainWindow::ShowSheetSettings() { ShowSheetSettingsDialog(this, context_); }

QDialog* MainWindow::ShowCodeList() { return ShowCodeListDialog(this, context_); }

void MainWindow::ShowFormat(std::int32_t variable_id) {
  ShowOutputFormatDialog(this, context_, variable_id);
}

void MainWindow::ShowListExport() {
  if (!Commit()) return;
  ListExportDialog dialog(document_.definition(), document_.dictionary(), document_.path(),
                          prompter_, this);
  dialog.exec();
}

void MainWindow::ShowRegistrySettings() {
  RegistryDialog dialog(settings_, prompter_, this);
  // The run settings shape the NC text the preview shows.
  if (dialog.exec() == QDialog::Accepted) preview_->Refresh();
}

void MainWindow::ShowMachineSettings() {
  MachineDialog dialog(document_.machine_data(), prompter_, this);
  if (dialog.exec() == QDialog::Accepted) document_.machine_data() = dialog.Data();
}

bool MainWindow::ApplyFont(const QFont& font) {
  DisplaySettings display = view_->display();
  display.SetFont(font);
  view_->ApplyDisplay(display);
  std::string err;
  if (WriteFontSettings(settings_, display, &err)) return true;
  prompter_.Inform(this, QString::fromStdString(err), EditorPrompter::Icon::kError);
  return false;
}

bool MainWindow::ApplyColours(const QColor& text, const QColor& background, const QColor& code) {
  DisplaySettings display = view_->display();
  display.text = text;
  display.background = background;
  display.code = code;
  view_->ApplyDisplay(display);
  std::string err;
  if (WriteColourSettings(settings_, display, &err)) return true;
  prompter_.Inform(this, QString::fromStdString(err), EditorPrompter::Icon::kError);
  return false;
}

void MainWindow::ChooseFont() {
  bool ok = false;
  const QFont font = QFontDialog::getFont(&ok, view_->display().Font(), this,
                                          QStringLiteral("フォント"));
  if (ok) ApplyFont(font);
}

void MainWindow::ChooseColours() {
  const DisplaySettings& current = view_->display();
  ColourDialog dialog(current.text, current.background, current.code, this);
  if (dialog.exec() == QDialog::Accepted) {
    ApplyColours(dialog.text(), dialog.background(), dialog.code());
  }
}

void MainWindow::ShowFileVersion() {
  prompter_.Inform(this, QString::fromStdString(document_.imported_tag()),
                   EditorPrompter::Icon::kInformation);
}

void MainWindow::ShowAbout() {
  prompter_.Inform(this,
                   QStringLiteral("tolvek  バージョン 4.20\n"
                                  "ポスト定義エディタ"),
                   EditorPrompter::Icon::kInformation);
}

}  // namespace tlv
