// The preview pane: posts a sample tool path with the definition as it is
// being edited and shows the NC program beside its backplot, with the
// run's warnings (and the compiler's refusal of a section) in a list whose
// entries lead to their NC line.
//
// Runs go to a worker thread (each one a TLVP child process, see
// preview/preview_runner.h); a newer refresh cancels the run before it and
// a result that is not the newest is dropped.
#ifndef TLV_EDITOR_PREVIEW_PANE_H_
#define TLV_EDITOR_PREVIEW_PANE_H_

#include <QWidget>
#include <atomic>
#include <memory>
#include <vector>

#include "plot/nc_path.h"
#include "preview/preview_runner.h"

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QThread;

namespace tlv {

class BackplotWidget;
class EditorPrompter;
class NcTextView;
class SettingsStore;
struct PostDefinition;

/// Where the preview finds what it runs.  Defaults are beside the running
/// executable: TLVP, and the shipped samples in "samples/".
struct PreviewPaths {
  std::string tlvp_program;
  std::string samples_folder;
  std::string dictionary_path;
  /// The user's settings file, read by each run (never written).
  std::string user_settings_path;
};

/// PreviewPaths for the editor: beside the executable, the dictionary
/// `dictionary_path` made absolute, the settings file of `settings`.
PreviewPaths DefaultPreviewPaths(const std::string& dictionary_path,
                                 const SettingsStore& settings);

class PreviewPane : public QWidget {
  Q_OBJECT

 public:
  /// `definition` is the document's definition; it must outlive the pane.
  PreviewPane(const PostDefinition& definition, PreviewPaths paths, EditorPrompter& prompter,
              QWidget* parent = nullptr);
  ~PreviewPane() override;

  /// Posts the sample again with the definition as it is now.  Runs only
  /// while the pane is shown; a refresh asked for while hidden runs when
  /// the pane is shown.
  void Refresh();
  /// The compiler refused the text of `section` (its display name): the
  /// message heads the list and the last good preview stays.
  void ShowCompileError(const QString& section, const QString& message);
  /// Drops the compile message (the section was committed).
  void ClearCompileError();

  /// Chooses the sample tool path (adding it to the chooser) and refreshes.
  void SetSample(const QString& path);
  QString sample() const;
  void set_paths(PreviewPaths paths);
  const PreviewPaths& paths() const { return paths_; }

  /// True while a run is on its way.
  bool busy() const { return !running_.empty(); }
  /// The NC program on show (UTF-8).
  QString nc_text() const;
  NcTextView* nc_view() const { return nc_view_; }
  BackplotWidget* backplot() const { return backplot_; }
  QListWidget* message_list() const { return messages_; }
  QComboBox* sample_chooser() const { return samples_; }
  QComboBox* view_chooser() const { return views_; }
  QLabel* status_line() const { return status_; }
  /// Runs started so far (tests count them).
  int runs_started() const { return runs_started_; }

  /// Shows the NC line of a message item, when it has one.
  void ActivateMessage(QListWidgetItem* item);

  struct Shown;

 Q_SIGNALS:
  /// A run's final result is on show.
  void Updated();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct Job;

  void FillSamples();
  void SampleChosen(int index);
  void Start();
  void Finished(const std::shared_ptr<Job>& job);
  /// Shows a result of run `generation` unless a newer run was asked for;
  /// `program_on_show` keeps the NC text and backplot (only the messages
  /// changed).
  void Show(std::uint64_t generation, const Shown& shown, bool program_on_show);
  void ShowMessages();

  const PostDefinition& definition_;
  PreviewPaths paths_;
  EditorPrompter& prompter_;
  QComboBox* samples_ = nullptr;
  QComboBox* views_ = nullptr;
  NcTextView* nc_view_ = nullptr;
  BackplotWidget* backplot_ = nullptr;
  QListWidget* messages_ = nullptr;
  QLabel* status_ = nullptr;

  std::vector<std::shared_ptr<Job>> running_;
  std::uint64_t generation_ = 0;
  bool pending_ = false;
  int runs_started_ = 0;
  int last_sample_index_ = -1;
  std::vector<PreviewMessage> run_messages_;
  std::vector<PreviewMessage> compile_messages_;
  std::size_t dropped_messages_ = 0;
};

}  // namespace tlv

#endif  // TLV_EDITOR_PREVIEW_PANE_H_
