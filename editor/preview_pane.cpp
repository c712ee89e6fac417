#include "editor/preview_pane.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QThread>
#include <QVBoxLayout>
#include <filesystem>

#include "definition/post_definition.h"
#include "editor/backplot_widget.h"
#include "editor/editor_context.h"
#include "editor/nc_text_view.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "platform/text_encoding.h"
#include "plot/nc_reader.h"

namespace tlv {
namespace {

// Item data of the sample chooser: the path, or this for "other...".
const QString kOtherSample = QStringLiteral("::other");
// Item data of a message: its NC line (0 for none).
constexpr int kLineRole = Qt::UserRole + 1;

QString FromFileName(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}
std::string FileName(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The NC text for the view: CP932 to UTF-8, CR of CR LF line ends dropped
// (line numbers stay those of the file).
QString NcDisplayText(const std::string& nc) {
  std::string utf8 = Cp932ToUtf8(nc);
  std::erase(utf8, '\r');
  return QString::fromStdString(utf8);
}

}  // namespace

PreviewPaths DefaultPreviewPaths(const std::string& dictionary_path,
                                 const SettingsStore& settings) {
  PreviewPaths paths;
  const std::string bin = ExecutableDirectory();
  paths.tlvp_program = JoinPath(bin, "TLVP");
  paths.samples_folder = JoinPath(bin, "samples");
  std::error_code ec;
  const std::filesystem::path dict = std::filesystem::absolute(dictionary_path, ec);
  paths.dictionary_path = ec ? dictionary_path : dict.string();
  paths.user_settings_path = settings.path();
  return paths;
}

// What a run gives the pane to show.
struct PreviewPane::Shown {
  PreviewResult result;
  QString nc_text;
  std::shared_ptr<const NcPath> path;
};

struct PreviewPane::Job {
  std::uint64_t generation = 0;
  PreviewRequest request;
  std::atomic<bool> cancel{false};
  /// The program shown before its messages were placed; null when none.
  std::shared_ptr<const Shown> early;
  std::shared_ptr<const Shown> final;
  QThread* thread = nullptr;
};

namespace {

// Decoding and reading the path are the slow part of a long program: done
// on the run's thread, not on the window's.
std::shared_ptr<PreviewPane::Shown> MakeShown(PreviewResult result) {
  auto shown = std::make_shared<PreviewPane::Shown>();
  shown->nc_text = NcDisplayText(result.nc);
  shown->path = std::make_shared<const NcPath>(ReadNcProgram(result.nc, "preview.nc"));
  shown->result = std::move(result);
  return shown;
}

}  // namespace

PreviewPane::PreviewPane(const PostDefinition& definition, PreviewPaths paths,
                         EditorPrompter& prompter, QWidget* parent)
    : QWidget(parent), definition_(definition), paths_(std::move(paths)), prompter_(prompter) {
  setObjectName(QStringLiteral("previewPane"));
  samples_ = new QComboBox(this);
  samples_->setObjectName(QStringLiteral("previewSample"));
  samples_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  views_ = new QComboBox(this);
  views_->setObjectName(QStringLiteral("previewView"));
  for (PlotView v : {PlotView::kXY, PlotView::kXZ, PlotView::kYZ, PlotView::kIso}) {
    const std::string_view label = PlotViewLabel(v);
    views_->addItem(QString::fromLatin1(label.data(), static_cast<qsizetype>(label.size())),
                    static_cast<int>(v));
  }
  auto* refresh = new QPushButton(QStringLiteral("更新"), this);
  refresh->setObjectName(QStringLiteral("previewRefresh"));

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("サンプル:"), this));
  top->addWidget(samples_, 1);
  top->addWidget(new QLabel(QStringLiteral("表示:"), this));
  top->addWidget(views_);
  top->addWidget(refresh);

  nc_view_ = new NcTextView(this);
  backplot_ = new BackplotWidget(this);
  messages_ = new QListWidget(this);
  messages_->setObjectName(QStringLiteral("previewMessages"));
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("previewStatus"));
  status_->setWordWrap(true);

  auto* side = new QSplitter(Qt::Horizontal, this);
  side->addWidget(nc_view_);
  side->addWidget(backplot_);
  side->setStretchFactor(0, 2);
  side->setStretchFactor(1, 3);
  auto* stack = new QSplitter(Qt::Vertical, this);
  stack->addWidget(side);
  stack->addWidget(messages_);
  stack->setStretchFactor(0, 4);
  stack->setStretchFactor(1, 1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(top);
  layout->addWidget(stack, 1);
  layout->addWidget(status_);

  FillSamples();
  connect(samples_, &QComboBox::activated, this, &PreviewPane::SampleChosen);
  connect(views_, &QComboBox::currentIndexChanged, this, [this](int) {
    backplot_->SetView(static_cast<PlotView>(views_->currentData().toInt()));
  });
  connect(refresh, &QPushButton::clicked, this, &PreviewPane::Refresh);
  connect(messages_, &QListWidget::itemActivated, this, &PreviewPane::ActivateMessage);
  connect(messages_, &QListWidget::itemClicked, this, &PreviewPane::ActivateMessage);
  connect(nc_view_, &QPlainTextEdit::cursorPositionChanged, this,
          [this] { backplot_->SetMarkedLine(nc_view_->CurrentLine()); });
}

PreviewPane::~PreviewPane() {
  // Stop every run still going and wait for its thread: the threads hold
  // nothing of ours, but must not outlive the pane that started them.
  for (const std::shared_ptr<Job>& job : running_) job->cancel = true;
  for (const std::shared_ptr<Job>& job : running_) {
    disconnect(job->thread, nullptr, this, nullptr);
    job->thread->wait();
    delete job->thread;
  }
}

void PreviewPane::FillSamples() {
  samples_->clear();
  QDir dir(FromFileName(paths_.samples_folder));
  const QStringList found = dir.entryList(
      {QStringLiteral("*.tlvstx"), QStringLiteral("*.tlvstn"), QStringLiteral("*.tolvek")},
      QDir::Files, QDir::Name);
  for (const QString& name : found) samples_->addItem(name, dir.filePath(name));
  samples_->addItem(QStringLiteral("その他..."), kOtherSample);
  samples_->setCurrentIndex(found.isEmpty() ? -1 : 0);
  last_sample_index_ = samples_->currentIndex();
}

void PreviewPane::set_paths(PreviewPaths paths) {
  paths_ = std::move(paths);
  FillSamples();
}

QString PreviewPane::sample() const {
  const QString chosen = samples_->currentData().toString();
  return chosen == kOtherSample ? QString() : chosen;
}

void PreviewPane::SetSample(const QString& path) {
  int index = samples_->findData(path);
  if (index < 0) {
    index = samples_->count() - 1;  // before "other..."
    samples_->insertItem(index, QFileInfo(path).fileName(), path);
  }
  samples_->setCurrentIndex(index);
  last_sample_index_ = index;
  Refresh();
}

void PreviewPane::SampleChosen(int index) {
  if (samples_->itemData(index).toString() != kOtherSample) {
    last_sample_index_ = index;
    Refresh();
    return;
  }
  const QString path = prompter_.AskOpenPath(
      this, QStringLiteral("サンプルのツールパス"), FromFileName(paths_.samples_folder),
      QStringLiteral("ツールパス (*.tlvstx *.tlvstn *.tolvek);;全てのﾌｧｲﾙ (*)"));
  if (path.isEmpty()) {
    // Cancelled: the sample on show stays chosen.
    samples_->setCurrentIndex(last_sample_index_);
    return;
  }
  SetSample(path);
}

void PreviewPane::Refresh() {
  if (!isVisible()) {
    pending_ = true;
    return;
  }
  Start();
}

void PreviewPane::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The first showing, or a refresh asked for while hidden.
  if (pending_ || runs_started_ == 0) Start();
}

void PreviewPane::Start() {
  pending_ = false;
  const QString path = sample();
  if (path.isEmpty()) {
    status_->setText(QStringLiteral("サンプルのツールパスがありません。"));
    return;
  }
  for (const std::shared_ptr<Job>& old : running_) old->cancel = true;

  auto job = std::make_shared<Job>();
  job->generation = ++generation_;
  job->request.definition = definition_;
  job->request.tool_path = FileName(path);
  job->request.tlvp_program = paths_.tlvp_program;
  job->request.dictionary_path = paths_.dictionary_path;
  job->request.user_settings_path = paths_.user_settings_path;
  Job* raw = job.get();
  const std::uint64_t generation = job->generation;
  job->request.on_program = [this, raw, generation](const PreviewResult& early) {
    raw->early = MakeShown(early);
    QMetaObject::invokeMethod(
        this, [this, generation, shown = raw->early] { Show(generation, *shown, false); },
        Qt::QueuedConnection);
  };
  job->thread = QThread::create([raw] {
    PreviewResult result = RunPreview(raw->request, &raw->cancel);
    if (result.cancelled) return;
    if (raw->early) {
      // Only the messages' lines changed: the program is the one on show.
      auto shown = std::make_shared<Shown>(*raw->early);
      shown->result = std::move(result);
      raw->final = shown;
    } else {
      raw->final = MakeShown(std::move(result));
    }
  });
  connect(job->thread, &QThread::finished, this, [this, job] { Finished(job); });
  running_.push_back(job);
  ++runs_started_;
  status_->setText(QStringLiteral("実行中..."));
  job->thread->start();
}

void PreviewPane::Finished(const std::shared_ptr<Job>& job) {
  std::erase(running_, job);
  job->thread->deleteLater();
  // Cancelled, or a newer run has been asked for: the result is stale.
  if (!job->final) return;
  Show(job->generation, *job->final, job->early != nullptr);
  Q_EMIT Updated();
}

void PreviewPane::Show(std::uint64_t generation, const Shown& shown, bool program_on_show) {
  if (generation != generation_) return;
  const PreviewResult& r = shown.result;
  if (!program_on_show) {
    nc_view_->SetProgram(shown.nc_text);
    backplot_->SetPath(shown.path);
  }
  run_messages_ = r.messages;
  dropped_messages_ = r.dropped_messages;
  ShowMessages();
  QString status = QString::fromStdString(r.summary);
  if (busy()) status += QStringLiteral(" 警告の行を調べています...");
  status_->setText(status);
}

void PreviewPane::ShowCompileError(const QString& section, const QString& message) {
  compile_messages_.clear();
  compile_messages_.push_back(
      {PreviewMessageKind::kCompile, (section + QStringLiteral(": ") + message).toStdString(), 0});
  ShowMessages();
}

void PreviewPane::ClearCompileError() {
  if (compile_messages_.empty()) return;
  compile_messages_.clear();
  ShowMessages();
}

void PreviewPane::ShowMessages() {
  messages_->clear();
  auto add = [this](const PreviewMessage& m) {
    QString text = QString::fromStdString(m.text);
    text.replace(QChar('\n'), QChar(' '));
    if (m.nc_line > 0) text = QStringLiteral("%1行: ").arg(m.nc_line) + text;
    auto* item = new QListWidgetItem(text, messages_);
    item->setData(kLineRole, m.nc_line);
    switch (m.kind) {
      case PreviewMessageKind::kCompile:
        item->setForeground(QColor(192, 0, 0));
        item->setText(QStringLiteral("コンパイル: ") + text);
        break;
      case PreviewMessageKind::kError:
        item->setForeground(QColor(192, 0, 0));
        break;
      case PreviewMessageKind::kWarning:
        item->setForeground(QColor(160, 96, 0));
        break;
    }
  };
  for (const PreviewMessage& m : compile_messages_) add(m);
  for (const PreviewMessage& m : run_messages_) add(m);
  if (dropped_messages_ > 0) {
    new QListWidgetItem(QStringLiteral("ほかに %1 件").arg(dropped_messages_), messages_);
  }
}

void PreviewPane::ActivateMessage(QListWidgetItem* item) {
  if (!item) return;
  const int line = item->data(kLineRole).toInt();
  if (line > 0) nc_view_->ShowLine(line);
}

QString PreviewPane::nc_text() const { return nc_view_->toPlainText(); }

}  // namespace tlv
