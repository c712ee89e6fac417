// The preview's NC program: read-only, monospaced, with line numbers in a
// margin, and a way to bring a line into view and mark it.
#ifndef TLV_EDITOR_NC_TEXT_VIEW_H_
#define TLV_EDITOR_NC_TEXT_VIEW_H_

#include <QPlainTextEdit>

namespace tlv {

class NcTextView : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit NcTextView(QWidget* parent = nullptr);

  /// Replaces the text, keeping the first visible line where it was when
  /// the program is long enough, so that a refresh does not jump.
  void SetProgram(const QString& text);
  /// Scrolls `line` (1-based) to the middle and marks it; false when the
  /// text has no such line.
  bool ShowLine(int line);
  /// The 1-based line holding the caret.
  int CurrentLine() const;
  /// The width of the line-number margin in pixels.
  int MarginWidth() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  friend class NcLineMargin;
  void PaintMargin(QPaintEvent* event);
  void UpdateMargin(const QRect& rect, int dy);

  QWidget* margin_ = nullptr;
};

}  // namespace tlv

#endif  // TLV_EDITOR_NC_TEXT_VIEW_H_
