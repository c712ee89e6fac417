#include "editor/nc_text_view.h"

#include <QFontDatabase>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>

namespace tlv {

// The margin left of the text that shows the line numbers.
class NcLineMargin : public QWidget {
 public:
  explicit NcLineMargin(NcTextView* view) : QWidget(view), view_(view) {}
  QSize sizeHint() const override { return QSize(view_->MarginWidth(), 0); }

 protected:
  void paintEvent(QPaintEvent* event) override { view_->PaintMargin(event); }

 private:
  NcTextView* view_;
};

NcTextView::NcTextView(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName(QStringLiteral("previewNcText"));
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // The text is replaced whole at every refresh; no undo history to keep.
  setUndoRedoEnabled(false);
  margin_ = new NcLineMargin(this);
  connect(this, &QPlainTextEdit::blockCountChanged, this,
          [this] { setViewportMargins(MarginWidth(), 0, 0, 0); });
  connect(this, &QPlainTextEdit::updateRequest, this, &NcTextView::UpdateMargin);
  setViewportMargins(MarginWidth(), 0, 0, 0);
  // Room for a block of a usual program beside the line numbers.
  setMinimumWidth(MarginWidth() + fontMetrics().horizontalAdvance(QLatin1Char('M')) * 26);
}

int NcTextView::MarginWidth() const {
  int digits = 1;
  for (int n = std::max(1, blockCount()); n >= 10; n /= 10) ++digits;
  return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(digits, 3);
}

void NcTextView::SetProgram(const QString& text) {
  const int top = verticalScrollBar()->value();
  setPlainText(text);
  verticalScrollBar()->setValue(top);
  setExtraSelections({});
}

bool NcTextView::ShowLine(int line) {
  const QTextBlock block = document()->findBlockByNumber(line - 1);
  if (line < 1 || !block.isValid()) return false;
  QTextCursor cursor(block);
  setTextCursor(cursor);
  centerCursor();
  QTextEdit::ExtraSelection mark;
  mark.format.setBackground(QColor(255, 236, 160));
  mark.format.setProperty(QTextFormat::FullWidthSelection, true);
  mark.cursor = cursor;
  setExtraSelections({mark});
  return true;
}

int NcTextView::CurrentLine() const { return textCursor().blockNumber() + 1; }

void NcTextView::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  const QRect r = contentsRect();
  margin_->setGeometry(QRect(r.left(), r.top(), MarginWidth(), r.height()));
}

void NcTextView::UpdateMargin(const QRect& rect, int dy) {
  if (dy != 0) {
    margin_->scroll(0, dy);
  } else {
    margin_->update(0, rect.y(), margin_->width(), rect.height());
  }
}

void NcTextView::PaintMargin(QPaintEvent* event) {
  QPainter painter(margin_);
  painter.fillRect(event->rect(), QColor(240, 240, 240));
  painter.setPen(QColor(128, 128, 128));
  QTextBlock block = firstVisibleBlock();
  int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
  const int height = fontMetrics().height();
  while (block.isValid() && top <= event->rect().bottom()) {
    if (block.isVisible() && top + height >= event->rect().top()) {
      painter.drawText(0, top, margin_->width() - 4, height, Qt::AlignRight,
                       QString::number(block.blockNumber() + 1));
    }
    top += qRound(blockBoundingRect(block).height());
    block = block.next();
  }
}

}  // namespace tlv
