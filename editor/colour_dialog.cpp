#include "editor/colour_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace tlv {

std::array<QColor, 27> PaletteColours() {
  static constexpr int kLevels[3] = {0, 128, 255};
  std::array<QColor, 27> colours;
  int i = 0;
  for (int r : kLevels) {
    for (int g : kLevels) {
      for (int b : kLevels) colours[static_cast<std::size_t>(i++)] = QColor(r, g, b);
    }
  }
  return colours;
}

namespace {

QIcon Swatch(const QColor& colour) {
  QPixmap pixmap(32, 14);
  pixmap.fill(colour);
  return QIcon(pixmap);
}

QString ColourName(const QColor& colour) {
  return QStringLiteral("RGB(%1,%2,%3)").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

}  // namespace

ColourDialog::ColourDialog(const QColor& text, const QColor& background,
                           const QColor& code, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("色設定"));
  text_list_ = MakeList(text);
  background_list_ = MakeList(background);
  code_list_ = MakeList(code);
  sample_ = new QLabel(this);
  sample_->setTextFormat(Qt::RichText);
  sample_->setAutoFillBackground(true);
  sample_->setMinimumHeight(32);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("文字の色"), text_list_);
  form->addRow(QStringLiteral("背景の色"), background_list_);
  form->addRow(QStringLiteral("コードの色"), code_list_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(sample_);
  layout->addWidget(buttons);

  for (QComboBox* list : {text_list_, background_list_, code_list_}) {
    connect(list, &QComboBox::currentIndexChanged, this, [this] { UpdateSample(); });
  }
  UpdateSample();
}

QComboBox* ColourDialog::MakeList(const QColor& current) {
  auto* list = new QComboBox(this);
  int selected = -1;
  for (const QColor& colour : PaletteColours()) {
    if (colour.rgb() == current.rgb()) selected = list->count();
    list->addItem(Swatch(colour), ColourName(colour), colour);
  }
  // A stored colour outside the 27 stays selectable, so that OK without a
  // change keeps it.
  if (selected < 0) {
    selected = list->count();
    list->addItem(Swatch(current), ColourName(current), current);
  }
  list->setCurrentIndex(selected);
  return list;
}

QColor ColourDialog::text() const { return text_list_->currentData().value<QColor>(); }
QColor ColourDialog::background() const {
  return background_list_->currentData().value<QColor>();
}
QColor ColourDialog::code() const { return code_list_->currentData().value<QColor>(); }

void ColourDialog::UpdateSample() {
  if (!sample_ || !text_list_ || !background_list_ || !code_list_) return;
  QPalette palette = sample_->palette();
  palette.setColor(QPalette::Window, background());
  sample_->setPalette(palette);
  sample_->setText(QStringLiteral("<span style=\"color:%1\">{X </span>"
                                  "<span style=\"color:%2\">&lt;X_CORD&gt;</span>"
                                  "<span style=\"color:%1\"> }</span>")
                       .arg(text().name(), code().name()));
}

}  // namespace tlv
