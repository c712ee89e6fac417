#include "editor/section_view.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QMenu>
#include <QTextBlock>
#include <QVBoxLayout>

#include "definition/variable_dictionary.h"
#include "editor/section_highlighter.h"
#include "platform/text_encoding.h"

namespace tlv {

namespace {

bool IsWordChar(QChar c) {
  return (c >= QChar('A') && c <= QChar('Z')) || (c >= QChar('a') && c <= QChar('z')) ||
         (c >= QChar('0') && c <= QChar('9')) || c == QChar('_');
}

}  // namespace

QString WordAt(const QString& line, qsizetype position) {
  if (position < 0 || position > line.size()) return QString();
  qsizetype begin = position;
  while (begin > 0 && IsWordChar(line.at(begin - 1))) --begin;
  qsizetype end = position;
  while (end < line.size() && IsWordChar(line.at(end))) ++end;
  return line.mid(begin, end - begin);
}

SectionView::SectionView(const VariableDictionary& dict, QWidget* parent)
    : QWidget(parent), dict_(dict) {
  edit_ = new QPlainTextEdit(this);
  edit_->setObjectName(QStringLiteral("sectionText"));
  edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
  // Undo does nothing in this editor; keep the key from doing otherwise.
  edit_->setUndoRedoEnabled(false);
  edit_->setContextMenuPolicy(Qt::CustomContextMenu);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("sectionStatus"));
  highlighter_ = new SectionHighlighter(edit_->document());

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(edit_);
  layout->addWidget(status_);

  connect(edit_, &QPlainTextEdit::textChanged, this, [this] {
    if (!loading_) text_changed_ = true;
  });
  connect(edit_, &QPlainTextEdit::cursorPositionChanged, this, [this] { UpdateStatus(); });
  connect(edit_, &QWidget::customContextMenuRequested, this, &SectionView::ShowContextMenu);
  ApplyDisplay(display_);
  UpdateStatus();
}

void SectionView::SetText(const QString& text) {
  loading_ = true;
  edit_->setPlainText(text);
  loading_ = false;
  text_changed_ = false;
  UpdateStatus();
}

QString SectionView::Text() const { return edit_->toPlainText(); }

void SectionView::ApplyDisplay(const DisplaySettings& settings) {
  display_ = settings;
  const QFont font = settings.Font();
  edit_->setFont(font);
  edit_->setTabStopDistance(4 * QFontMetricsF(font).horizontalAdvance(QChar(' ')));
  QPalette palette = edit_->palette();
  palette.setColor(QPalette::Base, settings.background);
  palette.setColor(QPalette::Text, settings.text);
  edit_->setPalette(palette);
  highlighter_->SetColours(settings.text, settings.code);
}

void SectionView::PasteAtCaret(const QString& text) {
  edit_->insertPlainText(text);
  edit_->setFocus();
}

void SectionView::UpdateStatus() {
  const QTextCursor cursor = edit_->textCursor();
  status_->setText(QStringLiteral("Lines: %1  Col: %2")
                       .arg(cursor.blockNumber() + 1)
                       .arg(cursor.positionInBlock() + 1));
}

QMenu* SectionView::MakeContextMenu(QWidget* parent) {
  auto* menu = new QMenu(parent);
  QAction* cut = menu->addAction(QStringLiteral("切り取り"), edit_, &QPlainTextEdit::cut);
  QAction* copy = menu->addAction(QStringLiteral("ｺﾋﾟｰ"), edit_, &QPlainTextEdit::copy);
  menu->addAction(QStringLiteral("貼り付け"), edit_, &QPlainTextEdit::paste);
  const bool has_selection = edit_->textCursor().hasSelection();
  cut->setEnabled(has_selection);
  copy->setEnabled(has_selection);

  const QTextCursor cursor = edit_->textCursor();
  const QString word = WordAt(cursor.block().text(), cursor.positionInBlock());
  if (word.isEmpty()) return menu;
  // Tag names compile in upper case, so a tag typed in lower case is the
  // same variable.
  const DictionaryEntry* entry = dict_.FindByName(Utf8ToCp932(word.toUpper().toStdString()));
  if (!entry || (entry->flags & kDictInEveryDefinition) == 0 || entry->kind == kKindText) {
    return menu;
  }
  const int command = kFormatCommandBase + entry->id;
  if (command <= kFormatCommandBase || command >= kFormatCommandEnd) return menu;
  const std::int32_t id = entry->id;
  QAction* format = menu->addAction(word + QStringLiteral(" のﾌｫｰﾏｯﾄ"));
  format->setData(command);
  connect(format, &QAction::triggered, this, [this, id] { Q_EMIT FormatRequested(id); });
  return menu;
}

void SectionView::ShowContextMenu(const QPoint& pos) {
  // The caret moves to the click first, unless the click is inside the
  // selection (so that cut and copy still have something to work on).
  const QTextCursor at = edit_->cursorForPosition(pos);
  const QTextCursor current = edit_->textCursor();
  if (!current.hasSelection() || at.position() < current.selectionStart() ||
      at.position() > current.selectionEnd()) {
    edit_->setTextCursor(at);
  }
  QMenu* menu = MakeContextMenu(this);
  menu->exec(edit_->viewport()->mapToGlobal(pos));
  delete menu;
}

}  // namespace tlv
