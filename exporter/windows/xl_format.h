#ifndef TLV_EXPORTER_WINDOWS_XL_FORMAT_H_
#define TLV_EXPORTER_WINDOWS_XL_FORMAT_H_

#include <array>
#include <functional>

#include <QDialog>

#include "exporter/page_layout.h"

class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace tlv {

/// The layout dialog: page rows, CSV rows, the running-number column, the
/// column table and the twelve information items.  OK checks the first
/// page's lines; a violation is shown and the dialog stays open.
class xlFormat : public QDialog {
  Q_OBJECT

 public:
  /// Shows a warning to the user.
  using MessageSink = std::function<void(const QString&)>;
  /// Edits one item (number counts from 1); true when the user accepted.
  using ItemEditor = std::function<bool(InformationItem* item, int number, QWidget* parent)>;

  explicit xlFormat(const PageLayout& layout, QWidget* parent = nullptr);

  /// Replace the message box and the item dialog (tests run without a user).
  void set_message_sink(MessageSink sink) { message_ = std::move(sink); }
  void set_item_editor(ItemEditor editor) { edit_item_ = std::move(editor); }

  /// The settings the dialog holds now (items as edited so far).
  PageLayout CurrentLayout() const;
  /// The settings taken on OK.
  const PageLayout& layout() const { return layout_; }

  /// OK: checks and takes the settings, or warns and stays open.
  void accept() override;

  /// Opens the item dialog for item `number` (1 to 12).
  void EditItem(int number);

  QSpinBox* PageLine1;
  QSpinBox* StrtLine1;
  QSpinBox* EndLine1;
  QSpinBox* PageLine2;
  QSpinBox* StrtLine2;
  QSpinBox* EndLine2;
  QSpinBox* csvHeader;
  QSpinBox* csvMain;
  QLineEdit* ColSequence;
  QSpinBox* SwFirstPage;
  QSpinBox* ColumnNumber;
  QListWidget* ColumnList;
  QSpinBox* ColumnValue;  ///< the number that add and insert put into the list
  QPushButton* ColumnAdd;
  QPushButton* ColumnInsert;
  QPushButton* ColumnDelete;
  std::array<QPushButton*, kItemCount> ItemButtons;

 private:
  void AddColumn(bool insert);
  void DeleteColumn();

  PageLayout layout_;
  std::array<InformationItem, kItemCount> items_;
  MessageSink message_;
  ItemEditor edit_item_;
};

/// At most this many column-table entries are taken from the list.
inline constexpr int kMaxColumnListEntries = 40;

}  // namespace tlv

#endif  // TLV_EXPORTER_WINDOWS_XL_FORMAT_H_
