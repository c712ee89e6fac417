#include "preview/preview_runner.h"

#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "definition/definition_file.h"
#include "platform/file_contents.h"
#include "platform/paths.h"
#include "post/own_file_naming.h"
#include "preview/child_process.h"
#include "preview/preview_settings.h"

namespace tlv {
namespace {

namespace fs = std::filesystem;

/// The most of TLVP's standard output that is read for messages.
constexpr std::size_t kMaxRunOutputBytes = 1u << 20;

// A folder of our own, removed with everything in it when we are done.
class ScratchFolder {
 public:
  ScratchFolder() = default;
  ~ScratchFolder() {
    if (path_.empty()) return;
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  bool Make(const std::string& parent, std::string* err) {
    std::error_code ec;
    const fs::path base = parent.empty() ? fs::temp_directory_path(ec) : fs::path(parent);
    std::string pattern = (base / "tolvek-preview-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
      *err = pattern + ": " + std::strerror(errno);
      return false;
    }
    path_ = pattern;
    return true;
  }
  std::string operator/(std::string_view name) const { return JoinPath(path_, name); }

 private:
  std::string path_;
};

struct FilePrefix {
  bool found = false;
  std::string bytes;
  std::uint64_t size = 0;
  bool cut = false;
};

// The first `max` bytes of a file, cut back to the last line end when the
// file is longer, so that no half line is shown.
FilePrefix ReadFilePrefix(const std::string& path, std::size_t max) {
  FilePrefix prefix;
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  if (ec) return prefix;
  std::ifstream in(path, std::ios::binary);
  if (!in) return prefix;
  prefix.found = true;
  prefix.size = size;
  const std::size_t want = size > max ? max : static_cast<std::size_t>(size);
  prefix.bytes.resize(want);
  in.read(prefix.bytes.data(), static_cast<std::streamsize>(want));
  prefix.bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (size > prefix.bytes.size()) {
    prefix.cut = true;
    const std::size_t last = prefix.bytes.rfind('\n');
    prefix.bytes.resize(last == std::string::npos ? 0 : last + 1);
  }
  return prefix;
}

// One preview run set up in its scratch folder.
class PreviewRun {
 public:
  PreviewRun(const PreviewRequest& request, const std::atomic<bool>* cancel)
      : request_(request), cancel_(cancel) {}

  PreviewResult Run() {
    if (!SetUp()) return std::move(result_);
    Outcome full = RunOnce();
    if (full.child.cancelled) return Cancelled();
    ReportChild(full.child);
    result_.ok = full.child.exited && full.child.exit_status == 0 && full.nc.found;
    result_.nc = full.nc.bytes;
    result_.nc_bytes = full.nc.size;
    result_.nc_truncated = full.nc.cut;
    for (PreviewMessage& m : full.read.messages) result_.messages.push_back(std::move(m));
    result_.dropped_messages = full.read.dropped;
    if (request_.locate_messages && result_.ok && !result_.messages.empty()) {
      if (request_.on_program) {
        Summarise();
        request_.on_program(result_);
      }
      if (!LocateMessages()) return Cancelled();
    }
    Summarise();
    return std::move(result_);
  }

 private:
  struct Outcome {
    ChildResult child;
    RunMessagesRead read;
    FilePrefix nc;
  };

  PreviewResult Cancelled() {
    PreviewResult r;
    r.cancelled = true;
    r.summary = "プレビューを中止しました。";
    return r;
  }

  void Fail(std::string text) {
    result_.messages.push_back({PreviewMessageKind::kError, std::move(text), 0});
    Summarise();
  }

  bool SetUp() {
    std::string err;
    if (!FileExists(request_.tool_path)) {
      Fail("ツールパスファイル " + request_.tool_path + " がありません。");
      return false;
    }
    if (!scratch_.Make(request_.scratch_parent, &err)) {
      Fail("作業フォルダを作成できません(" + err + ")。");
      return false;
    }
    input_ = scratch_ / "in";
    const std::string out_dir = scratch_ / "out";
    if (!MakeDirectories(input_, &err) || !MakeDirectories(out_dir, &err)) {
      Fail("作業フォルダを作成できません(" + err + ")。");
      return false;
    }
    const std::string name(FileNamePart(request_.tool_path));
    input_ = JoinPath(input_, name);
    output_ = JoinPath(out_dir, std::string(WithoutExtension(name)) + ".nc");
    if (!CopyFile(request_.tool_path, input_, &err)) {
      Fail("ツールパスファイルをコピーできません(" + err + ")。");
      return false;
    }
    // The procedure parameter file the run looks for beside its tool path.
    const std::string xml = ProcedureParameterPath(request_.tool_path);
    const std::string xml_copy = ProcedureParameterPath(input_);
    if (!xml.empty() && !xml_copy.empty() && FileExists(xml) && !CopyFile(xml, xml_copy, &err)) {
      Fail("手順パラメータファイルをコピーできません(" + err + ")。");
      return false;
    }

    // The dictionary under a short name, so that its path stays within
    // what the settings store's values may hold.
    const std::string dictionary = scratch_ / "TOLvek.ini";
    std::error_code ec;
    fs::create_symlink(fs::absolute(request_.dictionary_path, ec), dictionary, ec);
    if (ec && !CopyFile(request_.dictionary_path, dictionary, &err)) {
      Fail("変数辞書 " + request_.dictionary_path + " が読めません。");
      return false;
    }

    // The scratch definition: sent nowhere but to the scratch folder (no
    // spreadsheet exporter is started by a preview).
    PostDefinition definition = request_.definition;
    definition.sheet_to_spreadsheet = 0;
    const std::string definition_path = scratch_ / "preview.tlv";
    if (const DefinitionResult saved = SaveDefinitionFile(definition_path, definition);
        !saved.ok()) {
      Fail("定義を書き出せません(" + saved.error + ")。");
      return false;
    }

    PreviewSettingsPlan plan;
    plan.user_settings_path = request_.user_settings_path;
    plan.settings_path = scratch_ / "registry.reg";
    plan.dictionary_path = dictionary;
    plan.definition_path = definition_path;
    plan.output_path = output_;
    plan.log_path = scratch_ / "TOLvek.log";
    plan.database_path = scratch_ / "process.db";
    if (!WritePreviewSettings(plan, &err)) {
      Fail("設定を用意できません(" + err + ")。");
      return false;
    }

    child_.program = request_.tlvp_program;
    child_.args = {input_};
    child_.working_directory = scratch_ / "";
    child_.set_env = {{"TLV_REGISTRY", plan.settings_path}, {"TLV_UI", "tty"}};
    child_.unset_env = {"DISPLAY", "WAYLAND_DISPLAY"};
    child_.stdout_path = scratch_ / "stdout.txt";
    child_.stderr_path = scratch_ / "stderr.txt";
    child_.timeout = request_.timeout;
    return true;
  }

  // One run of TLVP on what the input file holds now.
  Outcome RunOnce() {
    Outcome o;
    std::error_code ec;
    fs::remove(output_, ec);
    o.child = RunChild(child_, cancel_);
    if (o.child.cancelled) return o;
    const FilePrefix out = ReadFilePrefix(child_.stdout_path, kMaxRunOutputBytes);
    o.read = ReadRunOutput(out.bytes, input_);
    o.nc = ReadFilePrefix(output_, request_.max_nc_bytes);
    return o;
  }

  void ReportChild(const ChildResult& child) {
    auto error = [this](std::string text) {
      result_.messages.push_back({PreviewMessageKind::kError, std::move(text), 0});
    };
    if (!child.started) {
      error("TLVP を起動できません(" + child.error + ")。");
    } else if (child.timed_out) {
      error("TLVP が時間内に終わらないため止めました。");
    } else if (child.signal != 0) {
      error("TLVP が異常終了しました(シグナル " + std::to_string(child.signal) + ")。");
    }
  }

  // Places each message in the NC text: the message came while TLVP read
  // the first record whose cut-off run writes it, so it belongs to the
  // first line that the run cut before that record did not write.
  bool LocateMessages() {
    std::string text;
    std::string err;
    std::error_code ec;
    const auto size = fs::file_size(request_.tool_path, ec);
    if (ec || size > kMaxLocateToolPathBytes || !ReadFileBytes(request_.tool_path, &text, &err)) {
      return true;
    }
    const std::vector<std::size_t> records = RecordOffsets(text);
    const int n = static_cast<int>(records.size());
    const int total = static_cast<int>(result_.messages.size());
    int runs = 0;
    bool stopped = false;
    const auto deadline = std::chrono::steady_clock::now() + request_.locate_budget;
    // Messages and common lines of the run cut after k records.
    std::map<int, std::pair<int, int>> probes;
    auto probe = [&](int k) -> const std::pair<int, int>* {
      if (auto it = probes.find(k); it != probes.end()) return &it->second;
      if (runs >= kMaxLocateRuns || stopped || std::chrono::steady_clock::now() > deadline) {
        return nullptr;
      }
      ++runs;
      const std::size_t end = k < n ? records[k] : text.size();
      if (!WriteFileAtomically(input_, std::string_view(text).substr(0, end), &err)) {
        return nullptr;
      }
      const Outcome o = RunOnce();
      if (o.child.cancelled) {
        stopped = true;
        return nullptr;
      }
      // Messages are counted as far as they are the full run's: a message
      // that only a cut tool path draws (at its unfinished end) does not count.
      int count = 0;
      while (count < total && static_cast<std::size_t>(count) < o.read.messages.size() &&
             o.read.messages[static_cast<std::size_t>(count)].text ==
                 result_.messages[static_cast<std::size_t>(count)].text) {
        ++count;
      }
      // -1: the cut run made no program, so its lines are not known.
      const int common = o.nc.found ? CommonLineCount(o.nc.bytes, result_.nc) : -1;
      return &probes.emplace(k, std::make_pair(count, common)).first->second;
    };

    // The whole tool path is the run already made.
    probes.emplace(n, std::make_pair(total, CommonLineCount(result_.nc, result_.nc)));
    const auto* none = probe(0);
    if (!none) return !stopped;
    int lo = 1;
    for (int j = 0; j < total && lo <= n; ++j) {
      if (none->first > j) continue;  // written before any record
      const auto* all = probe(n);
      if (!all || all->first <= j) break;
      // Narrowed by every cut run made so far (counts grow with k).
      int a = lo, b = n;
      for (const auto& [k, p] : probes) {
        if (p.first > j) {
          b = std::min(b, k);
        } else {
          a = std::max(a, k + 1);
        }
      }
      bool gave_up = false;
      while (a < b) {
        const int m = a + (b - a) / 2;
        const auto* p = probe(m);
        if (!p) {
          gave_up = true;
          break;
        }
        if (p->first > j) {
          b = m;
        } else {
          a = m + 1;
        }
      }
      const auto* before = gave_up ? nullptr : probe(a - 1);
      if (!before) break;
      if (before->second >= 0) {
        result_.messages[static_cast<std::size_t>(j)].nc_line = before->second + 1;
      }
      lo = a;
    }
    return !stopped;
  }

  void Summarise() {
    int errors = 0, warnings = 0;
    for (const PreviewMessage& m : result_.messages) {
      (m.kind == PreviewMessageKind::kError ? errors : warnings) += 1;
    }
    std::string s = result_.ok ? "NC プログラムを作成しました" : "NC プログラムを作成できませんでした";
    int lines = 0;
    for (char c : result_.nc) lines += c == '\n';
    if (result_.ok) s += "(" + std::to_string(lines) + " 行)";
    s += "。";
    if (errors > 0) s += " エラー " + std::to_string(errors) + " 件。";
    const std::size_t more = warnings + result_.dropped_messages;
    if (more > 0) s += " 警告 " + std::to_string(more) + " 件。";
    if (result_.nc_truncated) {
      s += " 先頭の " + std::to_string(result_.nc.size() / 1024) + " KB だけを表示します。";
    }
    result_.summary = s;
  }

  const PreviewRequest& request_;
  const std::atomic<bool>* cancel_;
  ScratchFolder scratch_;
  std::string input_;
  std::string output_;
  ChildRequest child_;
  PreviewResult result_;
};

}  // namespace

int CommonLineCount(std::string_view nc, std::string_view reference) {
  int lines = 0;
  const std::size_t n = std::min(nc.size(), reference.size());
  std::size_t i = 0;
  for (; i < n && nc[i] == reference[i]; ++i) {
    if (nc[i] == '\n') ++lines;
  }
  return lines;
}

std::vector<std::size_t> RecordOffsets(std::string_view tool_path) {
  std::vector<std::size_t> offsets;
  std::size_t pos = 0;
  while (pos < tool_path.size()) {
    if (tool_path[pos] == '_') offsets.push_back(pos);
    const std::size_t end = tool_path.find('\n', pos);
    if (end == std::string_view::npos) break;
    pos = end + 1;
  }
  return offsets;
}

PreviewResult RunPreview(const PreviewRequest& request, const std::atomic<bool>* cancel) {
  PreviewRun run(request, cancel);
  return run.Run();
}

}  // namespace tlv
