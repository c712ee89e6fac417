// The section view: the text of one NC format section as the user edits it,
// coloured, with tabs of 4 columns, the status line "Lines: %d  Col: %d"
// and the right-button menu that offers the output format of a numeric
// variable under the caret.
#ifndef TLV_EDITOR_SECTION_VIEW_H_
#define TLV_EDITOR_SECTION_VIEW_H_

#include <QPlainTextEdit>
#include <QWidget>
#include <cstdint>
#include <string>
#include <string_view>

#include "editor/display_settings.h"

class QLabel;
class QMenu;

namespace tlv {

class SectionHighlighter;
class VariableDictionary;

/// Command ids of the right-button format item: kFormatCommandBase + the
/// variable id, accepted only strictly between the base and kFormatCommandEnd.
inline constexpr int kFormatCommandBase = 10000;
inline constexpr int kFormatCommandEnd = 12200;

/// The tag-less word around `position` in `line` (letters, digits and "_"),
/// "" when the position touches none.
QString WordAt(const QString& line, qsizetype position);

class SectionView : public QWidget {
  Q_OBJECT

 public:
  SectionView(const VariableDictionary& dict, QWidget* parent = nullptr);

  QPlainTextEdit* editor() const { return edit_; }
  QLabel* status_line() const { return status_; }

  /// Shows `text` (as from Cp932ToViewText) and clears the text-changed flag.
  void SetText(const QString& text);
  QString Text() const;
  /// Set by typing, cleared by SetText.
  bool text_changed() const { return text_changed_; }
  /// Cleared by the main window once the text is committed.
  void set_text_changed(bool changed) { text_changed_ = changed; }

  void ApplyDisplay(const DisplaySettings& settings);
  const DisplaySettings& display() const { return display_; }

  /// Inserts `text` at the caret (the code list pastes tags here).
  void PasteAtCaret(const QString& text);

  /// The right-button menu for the caret as it is now: cut, copy, paste,
  /// and "<NAME> のﾌｫｰﾏｯﾄ" when the word under the caret is a numeric
  /// variable of the dictionary.  The caller owns the menu.
  QMenu* MakeContextMenu(QWidget* parent);

 Q_SIGNALS:
  /// The user chose the format item of variable `variable_id`.
  void FormatRequested(std::int32_t variable_id);

 private:
  void UpdateStatus();
  void ShowContextMenu(const QPoint& pos);

  const VariableDictionary& dict_;
  QPlainTextEdit* edit_ = nullptr;
  QLabel* status_ = nullptr;
  SectionHighlighter* highlighter_ = nullptr;
  DisplaySettings display_;
  bool text_changed_ = false;
  bool loading_ = false;
};

}  // namespace tlv

#endif  // TLV_EDITOR_SECTION_VIEW_H_
