#ifndef TLV_EXPORTER_WINDOWS_FORM1_H_
#define TLV_EXPORTER_WINDOWS_FORM1_H_

#include <array>
#include <functional>

#include <QWidget>

#include "exporter/page_layout.h"
#include "exporter/sheet_pump.h"
#include "platform/settings_store.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tlv {

/// What the main window asks of the user.  The desktop versions show real
/// dialogs; tests put answers in their place.
struct Form1Prompts {
  std::function<void(const QString& text)> message;
  /// The folder picker (`GetDirectory`); "" when cancelled.
  std::function<QString(const QString& comment)> choose_folder;
  /// An open-file dialog; "" when cancelled.
  std::function<QString(const QString& filter, const QString& current)> choose_open_file;
  /// The save dialog, starting at `initial`; "" when cancelled.
  std::function<QString(const QString& initial)> choose_save_file;
  /// The layout dialog (`xlFormat`); true with `layout` changed on OK.
  std::function<bool(PageLayout* layout)> edit_layout;
};

/// Real dialogs owned by `parent`.
Form1Prompts DesktopPrompts(QWidget* parent);

/// The main window: the CSV and workbook paths, the information items, and
/// the buttons for the layout dialog, the export and closing.
class Form1 : public QWidget {
  Q_OBJECT

 public:
  explicit Form1(SettingsStore* store, QWidget* parent = nullptr);

  void set_prompts(Form1Prompts prompts) { prompts_ = std::move(prompts); }

  /// Start-up: paths from the settings store, layout defaults, the layout
  /// file, the items shown by their active flags.
  void Load();

  /// The export button: lays the CSV into the template, asks where to save,
  /// saves the layout file and closes the window.  False when it failed
  /// (the failure was shown and the window closed too).
  bool Export();

  /// The close button: saves the layout file and closes the window.
  void CloseWindow();

  /// Writes the layout file and the workbook path; a failure is shown.
  bool SaveLayout();

  /// The layout with the item values and captions as the window shows them.
  PageLayout CurrentLayout() const;
  /// Takes new settings (from the layout dialog) and shows their items.
  void ApplyLayout(const PageLayout& layout);

  QLineEdit* CsvFileName;
  QLineEdit* ExcelFileName;
  QPushButton* CsvBrowse;
  QPushButton* ExcelBrowse;
  std::array<QLineEdit*, kItemCount> ItemValue;
  std::array<QLabel*, kItemCount> ITEMPROMP;
  QPushButton* LineSetting;
  QPushButton* Command1;
  QPushButton* Command2;

 private:
  void Message(std::string_view text);
  void ReadLayoutFile();
  void ShowItems();
  void OpenLayoutDialog();

  SettingsStore* store_;
  Form1Prompts prompts_;
  PageLayout layout_;
  std::string combo_folder_;
};

}  // namespace tlv

#endif  // TLV_EXPORTER_WINDOWS_FORM1_H_
