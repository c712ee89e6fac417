#include "platform/prompts.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "platform/numbers.h"
#include "platform/paths.h"

namespace tlv {

namespace {

constexpr std::size_t kMaxAnswer = 4095;

bool IsCancel(const std::string& line) {
  return !line.empty() && line.front() == '\x1b';
}

std::string Trim(std::string_view text) {
  std::size_t b = 0;
  std::size_t e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  return std::string(text.substr(b, e - b));
}

std::function<std::unique_ptr<Prompts>()>& WindowFactory() {
  static std::function<std::unique_ptr<Prompts>()> factory;
  return factory;
}

}  // namespace

std::vector<FileFilter> ParseFileFilters(std::string_view list) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= list.size(); ++i) {
    if (i == list.size() || list[i] == '\n' || list[i] == '|') {
      parts.emplace_back(list.substr(start, i - start));
      start = i + 1;
    }
  }
  std::vector<FileFilter> filters;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty()) break;  // the empty entry ends the list
    if (parts[i + 1].empty()) break;
    filters.push_back({parts[i], parts[i + 1]});
  }
  return filters;
}

bool TerminalPrompts::ReadAnswer(std::string* line) {
  line->clear();
  if (at_end_ || in_ == nullptr) {
    at_end_ = true;
    return false;
  }
  bool any = false;
  for (;;) {
    int c = std::fgetc(in_);
    if (c == EOF) {
      // A read error counts as the end too: nothing may wait on it.
      at_end_ = true;
      if (!any) {
        std::fputc('\n', out_);
        std::fflush(out_);
        return false;
      }
      break;
    }
    any = true;
    if (c == '\n') break;
    if (line->size() < kMaxAnswer) line->push_back(static_cast<char>(c));
  }
  if (!line->empty() && line->back() == '\r') line->pop_back();
  // A terminal echoes what was typed; answers from a pipe or file are
  // echoed here so that the transcript reads like a dialog.
  int fd = ::fileno(in_);
  if (fd < 0 || !::isatty(fd)) {
    std::fwrite(line->data(), 1, line->size(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
  }
  return true;
}

void TerminalPrompts::WriteHeader(std::string_view title) {
  std::fputc('\n', out_);
  if (!title.empty()) {
    std::fprintf(out_, "[%.*s]\n", static_cast<int>(title.size()), title.data());
  }
}

namespace {

void WriteText(std::FILE* out, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), out);
  if (!text.empty() && text.back() != '\n') std::fputc('\n', out);
}

void WritePrompt(std::FILE* out, std::string_view prompt) {
  std::fwrite(prompt.data(), 1, prompt.size(), out);
  std::fflush(out);
}

}  // namespace

void TerminalPrompts::ShowMessage(std::string_view title, std::string_view text) {
  WriteHeader(title);
  WriteText(out_, text);
  WritePrompt(out_, "[OK: Enter] ");
  std::string line;
  ReadAnswer(&line);
}

bool TerminalPrompts::AskYesNo(std::string_view title, std::string_view text) {
  WriteHeader(title);
  WriteText(out_, text);
  std::string line;
  for (;;) {
    WritePrompt(out_, "はい(y) / いいえ(n) [y]: ");
    if (!ReadAnswer(&line)) return true;
    std::string answer = Trim(line);
    if (answer.empty() || EqualsIgnoreCase(answer, "y") ||
        EqualsIgnoreCase(answer, "yes") || answer == "はい") {
      return true;
    }
    if (EqualsIgnoreCase(answer, "n") || EqualsIgnoreCase(answer, "no") ||
        answer == "いいえ") {
      return false;
    }
  }
}

std::optional<std::string> TerminalPrompts::AskText(std::string_view title,
                                                    std::string_view message,
                                                    std::string_view default_text) {
  WriteHeader(title);
  WriteText(out_, message);
  std::string prompt = "> ";
  if (!default_text.empty()) prompt = "[" + std::string(default_text) + "] > ";
  WritePrompt(out_, prompt);
  std::string line;
  if (!ReadAnswer(&line)) return std::string(default_text);
  if (IsCancel(line)) return std::nullopt;
  if (line.empty()) return std::string(default_text);
  return line;
}

int TerminalPrompts::AskChoice(std::string_view title, std::string_view text,
                               const std::vector<std::string>& choices,
                               int default_choice) {
  WriteHeader(title);
  WriteText(out_, text);
  for (std::size_t i = 0; i < choices.size(); ++i) {
    std::fprintf(out_, "  %zu) %s\n", i + 1, choices[i].c_str());
  }
  std::string prompt = "番号を入力してください";
  if (default_choice >= 0 && static_cast<std::size_t>(default_choice) < choices.size()) {
    prompt += " [" + std::to_string(default_choice + 1) + "]";
  }
  prompt += ": ";
  std::string line;
  for (;;) {
    WritePrompt(out_, prompt);
    if (!ReadAnswer(&line)) return default_choice;
    if (IsCancel(line)) return -1;
    std::string answer = Trim(line);
    if (answer.empty()) return default_choice;
    if (answer.find_first_not_of("0123456789") == std::string::npos) {
      int n = ParseLeadingInt(answer);
      if (n >= 1 && static_cast<std::size_t>(n) <= choices.size()) return n - 1;
    }
    for (std::size_t i = 0; i < choices.size(); ++i) {
      if (EqualsIgnoreCase(answer, choices[i])) return static_cast<int>(i);
    }
  }
}

std::optional<std::string> TerminalPrompts::AskOpenFile(const FileDialogRequest& request) {
  return AskFile(request, false);
}

std::optional<std::string> TerminalPrompts::AskSaveFile(const FileDialogRequest& request) {
  return AskFile(request, true);
}

std::optional<std::string> TerminalPrompts::AskFile(const FileDialogRequest& request,
                                                    bool save) {
  // A relative name is taken relative to the folder the dialog opens in, a
  // name without extension gets the default one.
  auto resolve = [&](const std::string& name) {
    std::string path;
    if (name.size() >= 2 && name[0] == '~' && name[1] == '/') {
      path = JoinPath(HomeDirectory(), name.substr(2));
    } else {
      path = JoinPath(request.folder, name);
    }
    if (!request.default_extension.empty() && ExtensionPart(path).empty() &&
        !FileNamePart(path).empty()) {
      path += "." + request.default_extension;
    }
    return path;
  };
  auto acceptable = [&](const std::string& path) {
    if (FileNamePart(path).empty()) return false;
    if (!request.must_exist) return true;
    if (!save) return FileExists(path);
    std::string dir(DirectoryPart(path));
    if (dir.empty()) dir = path.front() == '/' ? "/" : ".";
    return IsDirectory(dir);
  };

  WriteHeader(request.title);
  if (!request.folder.empty()) std::fprintf(out_, "フォルダ: %s\n", request.folder.c_str());
  if (!request.filters.empty()) {
    std::string kinds;
    for (const FileFilter& filter : request.filters) {
      if (!kinds.empty()) kinds += ", ";
      kinds += filter.label;
    }
    std::fprintf(out_, "種類: %s\n", kinds.c_str());
  }
  std::string prompt = "ファイル名";
  if (!request.initial_name.empty()) prompt += " [" + request.initial_name + "]";
  prompt += " (ESC でキャンセル): ";
  std::string line;
  for (;;) {
    WritePrompt(out_, prompt);
    if (!ReadAnswer(&line)) {
      if (!request.end_of_input_answer) return std::nullopt;
      std::string path = resolve(*request.end_of_input_answer);
      if (!acceptable(path)) return std::nullopt;
      return path;
    }
    if (IsCancel(line)) return std::nullopt;
    std::string name = Trim(line);
    if (name.empty()) name = request.initial_name;
    if (name.empty()) continue;
    std::string path = resolve(name);
    if (!acceptable(path)) {
      std::fprintf(out_, "%s: %s\n", path.c_str(),
                   save ? "フォルダが見つかりません。" : "ファイルが見つかりません。");
      continue;
    }
    if (save && request.confirm_overwrite && PathExists(path)) {
      if (!AskYesNo(request.title, path + " は既に存在します。\n上書きしますか?")) continue;
    }
    return path;
  }
}

void SetWindowPromptsFactory(std::function<std::unique_ptr<Prompts>()> factory) {
  WindowFactory() = std::move(factory);
}

bool WindowsWanted() {
  const char* ui = std::getenv("TLV_UI");
  std::string_view choice = ui ? ui : "";
  if (EqualsIgnoreCase(choice, "gui")) return true;
  if (EqualsIgnoreCase(choice, "tty")) return false;
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (display && *display) || (wayland && *wayland);
}

std::unique_ptr<Prompts> MakePrompts() {
  const char* ui = std::getenv("TLV_UI");
  const bool forced = ui && EqualsIgnoreCase(ui, "gui");
  // Unforced, a display alone asks for windows only when they are built in.
  const bool want_window = WindowsWanted() && (forced || WindowFactory());
  if (want_window) {
    if (WindowFactory()) {
      if (std::unique_ptr<Prompts> prompts = WindowFactory()()) return prompts;
    }
    std::fputs("no window front end is available; using the terminal.\n",
               stderr);
  }
  return std::make_unique<TerminalPrompts>(stdin, stderr);
}

}  // namespace tlv
