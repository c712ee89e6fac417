#include "post_windows/run_dialog_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "platform/paths.h"
#include "platform/run_log.h"
#include "post/run_messages.h"
#include "post/run_settings.h"
#include "post/testing/temp_folder.h"
#include "post_windows/prompt_dialogs.h"
#include "post_windows/qt_test_support.h"
#include "post_windows/window_prompts.h"
#include "sheet/process_database.h"

namespace tlv {
namespace {

using testing::TempFolder;
using testing::WriteTestFile;

// Three slots (slot 1 enabled, in database mode without a target; slot 2
// disabled; slot 3 enabled) over a real process database with two targets.
class RunDialogWindowTest : public ::testing::Test {
 protected:
  RunDialogWindowTest()
      : messages_(&log_, nullptr), targets_(dir_ / "process.db"),
        model_(&s_, prompts_, messages_, &targets_) {
    TestApp();
    log_.Open(dir_ / "run.log");
    MakeDirectories(dir_ / "nc1");
    MakeDirectories(dir_ / "nc2");
    MakeDirectories(dir_ / "defs");
    ProcessDatabase db(dir_ / "process.db");
    EXPECT_EQ(kDbOk, db.DbOpen());
    EXPECT_TRUE(db.AddMaster({-1, "line one", "", dir_ / "nc1", "", ""}, &t1_));
    EXPECT_TRUE(db.AddMaster({-1, "line two", "", dir_ / "nc2", "", ""}, &t2_));
    EXPECT_EQ(kDbOk, db.DbSetSavePoint(t2_, 1, kDbAppend));
    EXPECT_EQ(kDbOk, db.DbSetValue(3, "A.NC"));
    EXPECT_EQ(kDbOk, db.DbCommit());

    s_.start_directory = dir_.path() + "/";
    s_.save_directory = dir_.path() + "/nc1/";
    s_.definition_folder = dir_ / "defs";
    for (int i = 0; i < kJobSlotCount; ++i) {
      JobSlot& slot = s_.slots[i];
      slot.name = "ＮＣ" + std::to_string(i + 1) + "作成";
      slot.definition_path = dir_ / ("def" + std::to_string(i + 1) + ".tlv");
      slot.output_path = dir_ / ("out" + std::to_string(i + 1) + ".nc");
    }
    s_.slots[0].enabled = true;
    s_.slots[0].database_mode = true;
    s_.slots[2].enabled = true;
  }

  template <class T>
  T* Control(RunDialogWindow& w, int id) {
    T* control = qobject_cast<T*>(w.control(id));
    EXPECT_NE(nullptr, control) << id;
    return control;
  }
  std::string Text(RunDialogWindow& w, int id) {
    QWidget* c = w.control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(c)) return edit->text().toStdString();
    if (auto* label = qobject_cast<QLabel*>(c)) return label->text().toStdString();
    return "<none>";
  }
  void Click(RunDialogWindow& w, int id) { Control<QPushButton>(w, id)->click(); }
  void Leave(RunDialogWindow& w, int id, const std::string& text) {
    QLineEdit* edit = Control<QLineEdit>(w, id);
    edit->setText(QString::fromStdString(text));
    QMetaObject::invokeMethod(edit, "editingFinished");
  }
  bool DatabaseControlsHidden(RunDialogWindow& w) {
    const bool hidden = w.control(kDatabaseLabel)->isHidden();
    for (int id : {kDatabaseTarget, kDatabaseSettings, kDatabaseClear}) {
      EXPECT_EQ(hidden, w.control(id)->isHidden()) << id;
    }
    return hidden;
  }

  TempFolder dir_;
  RunLog log_;
  RunMessages messages_;
  WindowPrompts prompts_;
  SqliteDatabaseTargets targets_;
  RunSettings s_;
  RunDialogModel model_;
  int t1_ = -1;
  int t2_ = -1;
};

TEST_F(RunDialogWindowTest, SelectingASlotShowsItsValues) {
  s_.save_job_settings = true;
  RunDialogWindow w(model_);
  EXPECT_EQ("ﾊﾟﾗﾒｰﾀ入力 (Rev4.24)", w.windowTitle().toStdString());
  QComboBox* list = Control<QComboBox>(w, kSlotList);
  ASSERT_EQ(3, list->count());
  EXPECT_EQ("ＮＣ2作成", list->itemText(1).toStdString());
  EXPECT_EQ(0, list->currentIndex());
  QCheckBox* use = Control<QCheckBox>(w, kUseSettingCheck);
  EXPECT_TRUE(use->isChecked());
  EXPECT_EQ(dir_ / "def1.tlv", Text(w, kDefinitionField));
  EXPECT_EQ(dir_ / "out1.nc", Text(w, kOutputField));
  EXPECT_TRUE(Control<QCheckBox>(w, kRegisterCheck)->isChecked());

  list->setCurrentIndex(1);
  EXPECT_FALSE(use->isChecked());
  EXPECT_EQ(dir_ / "def2.tlv", Text(w, kDefinitionField));
  EXPECT_EQ(dir_ / "out2.nc", Text(w, kOutputField));
  EXPECT_TRUE(DatabaseControlsHidden(w));

  // The check box follows into the slot shown, and only that one.
  use->setChecked(true);
  EXPECT_TRUE(s_.slots[1].enabled);
  list->setCurrentIndex(2);
  use->setChecked(false);
  EXPECT_FALSE(s_.slots[2].enabled);
  EXPECT_TRUE(s_.slots[1].enabled);
  list->setCurrentIndex(1);
  EXPECT_TRUE(use->isChecked());

  Control<QCheckBox>(w, kRegisterCheck)->setChecked(false);
  EXPECT_FALSE(s_.save_job_settings);
}

TEST_F(RunDialogWindowTest, LeavingTheFieldsStoresThemInTheSlot) {
  RunDialogWindow w(model_);
  // A name without a folder goes to the save directory.
  Leave(w, kOutputField, "first.nc");
  EXPECT_EQ(dir_ / "nc1/first.nc", s_.slots[0].output_path);
  EXPECT_EQ(dir_ / "nc1/first.nc", Text(w, kOutputField));
  Leave(w, kDefinitionField, "mill.tlv");
  EXPECT_EQ(dir_ / "mill.tlv", s_.slots[0].definition_path);
  // A missing definition is no database definition.
  EXPECT_FALSE(s_.slots[0].database_mode);
  EXPECT_TRUE(DatabaseControlsHidden(w));

  // Over the limit: refused with a box, the slot keeps its path.
  QString refusal;
  ModalScript script;
  script.Then<QMessageBox>([&](QMessageBox* box) {
    refusal = box->text();
    box->accept();
  });
  Leave(w, kOutputField, "/" + std::string(150, 'o'));
  EXPECT_TRUE(script.done());
  EXPECT_EQ("パスが長すぎます(150 文字まで)。", refusal.toStdString());
  EXPECT_EQ(dir_ / "nc1/first.nc", s_.slots[0].output_path);
  EXPECT_EQ(dir_ / "nc1/first.nc", Text(w, kOutputField));
}

TEST_F(RunDialogWindowTest, PickersPutTheChosenFilesIntoTheSlot) {
  WriteTestDefinition(dir_ / "defs/db.tlv", 2);
  s_.slots[1].enabled = true;
  s_.slots[1].definition_path.clear();
  s_.slots[1].output_path.clear();
  // Own-file naming names the output after the tool path once a definition
  // is picked.
  s_.own_file = true;
  s_.input_path = dir_ / "plate.tolvek.tmp";
  RunDialogWindow w(model_);
  Control<QComboBox>(w, kSlotList)->setCurrentIndex(1);
  EXPECT_TRUE(DatabaseControlsHidden(w));

  QString def_title, def_folder, out_title, out_folder;
  QStringList def_filters, out_filters;
  ModalScript script;
  script
      .Then<QFileDialog>([&](QFileDialog* d) {
        def_title = d->windowTitle();
        def_folder = d->directory().absolutePath();
        def_filters = d->nameFilters();
        ChooseFile(d, QString::fromStdString(dir_ / "defs/db.tlv"));
        Accept(d);
      })
      .Then<QFileDialog>([&](QFileDialog* d) {
        out_title = d->windowTitle();
        out_folder = d->directory().absolutePath();
        out_filters = d->nameFilters();
        ChooseFile(d, "second");
        Accept(d);
      });
  Click(w, kDefinitionPicker);
  EXPECT_EQ("TLV ファイルの指定", def_title.toStdString());
  EXPECT_EQ(dir_ / "defs", def_folder.toStdString());  // "TLVPath": no path yet
  EXPECT_EQ(QStringList{"TLV Files (*.tlv) (*.tlv)"}, def_filters);
  EXPECT_EQ(dir_ / "defs/db.tlv", s_.slots[1].definition_path);
  EXPECT_EQ(dir_ / "defs/db.tlv", Text(w, kDefinitionField));
  // Database mode read from the definition: its controls appear.
  EXPECT_TRUE(s_.slots[1].database_mode);
  EXPECT_FALSE(DatabaseControlsHidden(w));
  EXPECT_EQ("DB 出力なし", Text(w, kDatabaseTarget));
  EXPECT_EQ(dir_ / "plate.ncd", s_.slots[1].output_path);
  EXPECT_EQ(dir_ / "plate.ncd", Text(w, kOutputField));

  // The output picker starts in the save directory when the field is empty.
  Control<QLineEdit>(w, kOutputField)->clear();
  Click(w, kOutputPicker);
  EXPECT_TRUE(script.done());
  EXPECT_EQ("保存ファイルの指定", out_title.toStdString());
  EXPECT_EQ(dir_ / "nc1", out_folder.toStdString());
  ASSERT_EQ(4, out_filters.size());
  EXPECT_EQ("ＮＣプログラム(*.ncd) (*.ncd)", out_filters[0].toStdString());
  EXPECT_EQ(dir_ / "nc1/second.ncd", s_.slots[1].output_path);
  EXPECT_EQ(dir_ / "nc1/second.ncd", Text(w, kOutputField));

  // A cancelled picker changes nothing.
  ModalScript cancel;
  cancel.Then<QFileDialog>([](QFileDialog* d) { d->reject(); });
  Click(w, kDefinitionPicker);
  EXPECT_TRUE(cancel.done());
  EXPECT_EQ(dir_ / "defs/db.tlv", s_.slots[1].definition_path);
}

TEST_F(RunDialogWindowTest, DatabaseTargetIsChosenShownAndCleared) {
  RunDialogWindow w(model_);
  EXPECT_FALSE(DatabaseControlsHidden(w));
  EXPECT_EQ("工程ＤＢ ->", Text(w, kDatabaseLabel));
  EXPECT_EQ("DB 出力なし", Text(w, kDatabaseTarget));

  // ＤＢ設定: the second target, insert, before row 1.
  QStringList targets;
  ModalScript insert;
  insert
      .Then<ChoiceDialog>([&](ChoiceDialog* d) {
        for (int i = 0; i < d->list()->count(); ++i) targets << d->list()->item(i)->text();
        d->list()->setCurrentRow(1);
        d->accept();
      })
      .Then<ChoiceDialog>([](ChoiceDialog* d) {
        d->list()->setCurrentRow(1);  // 挿入
        d->accept();
      })
      .Then<InputDialog>([](InputDialog* d) {
        d->field()->setText("1");
        d->accept();
      });
  Click(w, kDatabaseSettings);
  ASSERT_TRUE(insert.done());
  ASSERT_EQ(3, targets.size());
  EXPECT_TRUE(targets[1].startsWith("[" + QString::number(t2_) + "] line two"));
  EXPECT_EQ(t2_, s_.slots[0].database_target);
  EXPECT_EQ(kDbInsert, s_.slots[0].database_insert_mode);
  EXPECT_EQ("line two (1) へ挿入", Text(w, kDatabaseTarget));

  // Append goes after the target's last row.
  ModalScript append;
  append.Then<ChoiceDialog>([](ChoiceDialog* d) { d->accept(); })  // keeps line two
      .Then<ChoiceDialog>([](ChoiceDialog* d) {
        d->list()->setCurrentRow(0);  // 追加
        d->accept();
      });
  Click(w, kDatabaseSettings);
  ASSERT_TRUE(append.done());
  EXPECT_EQ("line two (2) へ追加", Text(w, kDatabaseTarget));

  // A cancelled choice keeps the target.
  ModalScript cancel;
  cancel.Then<ChoiceDialog>([](ChoiceDialog* d) { d->reject(); });
  Click(w, kDatabaseSettings);
  EXPECT_TRUE(cancel.done());
  EXPECT_EQ(t2_, s_.slots[0].database_target);

  Click(w, kDatabaseClear);
  EXPECT_EQ(-1, s_.slots[0].database_target);
  EXPECT_EQ("DB 出力なし", Text(w, kDatabaseTarget));
}

TEST_F(RunDialogWindowTest, RunWithAnInvalidSlotStaysOpenOnIt) {
  s_.slots[2].definition_path.clear();
  RunDialogWindow w(model_);
  w.show();
  QString title, text;
  ModalScript script;
  script.Then<QMessageBox>([&](QMessageBox* box) {
    title = box->windowTitle();
    text = box->text();
    box->button(QMessageBox::Ok)->click();
  });
  Click(w, kRunButton);
  EXPECT_TRUE(script.done());
  EXPECT_EQ("error", title.toStdString());
  EXPECT_EQ("TLVファイルが定義されていません。", text.toStdString());
  EXPECT_TRUE(w.isVisible());
  EXPECT_NE(QDialog::Accepted, w.result());
  // The bad slot is the one shown.
  EXPECT_EQ(2, Control<QComboBox>(w, kSlotList)->currentIndex());

  // Fixed in the field, but the output exists and may not be overwritten.
  WriteTestFile(s_.slots[2].output_path, "old");
  Leave(w, kDefinitionField, dir_ / "def3.tlv");
  QString question;
  ModalScript refuse;
  refuse
      .Then<QMessageBox>([&](QMessageBox* box) {
        question = box->text();
        box->button(QMessageBox::No)->click();
      })
      .Then<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        box->button(QMessageBox::Ok)->click();
      });
  Click(w, kRunButton);
  EXPECT_TRUE(refuse.done());
  EXPECT_EQ("出力ファイルを上書きしてもいいですか?", question.toStdString());
  EXPECT_EQ("重複するファイルが存在します。", text.toStdString());
  EXPECT_TRUE(w.isVisible());

  // Yes this time: the dialog closes with run.
  ModalScript yes;
  yes.Then<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
  Click(w, kRunButton);
  EXPECT_TRUE(yes.done());
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(QDialog::Accepted, w.result());
}

TEST_F(RunDialogWindowTest, RunTakesTheFieldsAndCancelCancels) {
  RunDialogWindow w(model_);
  w.show();
  // Typed but not yet left: Run still takes it.
  Control<QLineEdit>(w, kOutputField)->setText(QString::fromStdString(dir_ / "typed.nc"));
  Click(w, kRunButton);
  EXPECT_EQ(QDialog::Accepted, w.result());
  EXPECT_EQ(dir_ / "typed.nc", s_.slots[0].output_path);

  RunDialogWindow again(model_);
  again.show();
  Click(again, kCancelButton);
  EXPECT_EQ(QDialog::Rejected, again.result());
  EXPECT_FALSE(again.isVisible());
}

}  // namespace
}  // namespace tlv
