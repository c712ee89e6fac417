#include "editor/list_export_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "editor/editor_context.h"

namespace tlv {

ListExportDialog::ListExportDialog(const PostDefinition& def, const VariableDictionary& dict,
                                   std::string definition_path, EditorPrompter& prompter,
                                   QWidget* parent)
    : QDialog(parent),
      def_(def),
      dict_(dict),
      definition_path_(std::move(definition_path)),
      prompter_(prompter) {
  setWindowTitle(QStringLiteral("設定出力ﾀﾞｲｱﾛｸﾞ"));
  file_ = new QLineEdit(this);
  browse_ = new QPushButton(QStringLiteral("．．．"), this);
  connect(browse_, &QPushButton::clicked, this, [this] {
    const QString path = prompter_.AskSavePath(this, QStringLiteral("ﾌｧｲﾙ名"), file_->text(),
                                               QStringLiteral("全てのﾌｧｲﾙ (*)"), QString());
    if (!path.isEmpty()) file_->setText(path);
  });
  auto* file_row = new QHBoxLayout;
  file_row->addWidget(new QLabel(QStringLiteral("ﾌｧｲﾙ名"), this));
  file_row->addWidget(file_, 1);
  file_row->addWidget(browse_);

  const char* const labels[8] = {"出力コード",         "出力フォーマット", "座標モード",
                                 "ファイル分割モード", "ユーザ定義１",     "ユーザ定義２",
                                 "工程表モード",       "Ｇ／Ｍ／固定サイクル"};
  auto* group = new QGroupBox(this);
  auto* grid = new QGridLayout(group);
  for (int i = 0; i < 8; ++i) {
    checks_[static_cast<std::size_t>(i)] = new QCheckBox(QString::fromUtf8(labels[i]), group);
    grid->addWidget(checks_[static_cast<std::size_t>(i)], i / 2, i % 2);
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { WriteList(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(file_row);
  layout->addWidget(group);
  layout->addWidget(buttons);
}

ListParts ListExportDialog::Parts() const {
  ListParts p;
  bool* flags[8] = {&p.codes, &p.formats, &p.coord, &p.split,
                    &p.user1, &p.user2,   &p.sheet, &p.gm};
  for (std::size_t i = 0; i < 8; ++i) *flags[i] = checks_[i]->isChecked();
  return p;
}

bool ListExportDialog::WriteList() {
  const QString path = file_->text();
  if (path.isEmpty()) {
    prompter_.Inform(this, EditorMessage(kEdMsgEnterFileName));
    file_->setFocus();
    return false;
  }
  std::string err;
  if (!SaveConfigurationList(path.toStdString(), def_, dict_, definition_path_, ListDate::Now(),
                             Parts(), &err)) {
    prompter_.Inform(this, QString::fromStdString(err), EditorPrompter::Icon::kError);
    return false;
  }
  accept();
  return true;
}

}  // namespace tlv
