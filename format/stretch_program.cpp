#include "format/stretch_program.h"

#include "format/section_text.h"

namespace tlv {

namespace {

using namespace section_text;

bool StartsWith(std::string_view rest, std::string_view code) {
  return !code.empty() && rest.substr(0, code.size()) == code;
}

class StretchCompiler {
 public:
  StretchCompiler(std::string_view text, const WatchedCodes& codes, StretchProgram* program)
      : text_(text), codes_(codes), steps_(program->steps) {}

  void Stretch(std::size_t begin, std::size_t end);

 private:
  void Group(std::size_t begin, std::size_t end, bool brace);
  // One literal element at pos of a region ending at `end`; returns the
  // bytes it takes.
  std::size_t Literal(std::size_t pos, std::size_t end, int visited);
  // True when a literal watcher acts on the byte at pos: the last digit of
  // G90/G91/G92, an X/Y/Z word with a number, or a return code.
  bool Watched(std::size_t pos, std::size_t end, int visited) const;
  void Reference(std::size_t pos, bool forced, bool in_group);
  void ForceOrHold(std::size_t pos);

  std::string_view text_;
  const WatchedCodes& codes_;
  std::vector<StretchStep>& steps_;
};

void StretchCompiler::Stretch(std::size_t begin, std::size_t end) {
  int visited = 0;
  std::size_t pos = begin;
  while (pos < end) {
    const unsigned char c = At(text_, pos);
    if (IsRef(c)) {
      if (end - pos < kReferenceBytes) break;  // a cut reference prints nothing
      Reference(pos, c == kForcedRef, false);
      pos += kReferenceBytes;
    } else if (c == kGroupBegin || c == kOptBegin) {
      const unsigned char closer = c == kGroupBegin ? kGroupEnd : kOptEnd;
      std::size_t close = pos + 1;
      while (close < end && At(text_, close) != closer) close += Step(text_, close, end);
      Group(pos + 1, close, c == kGroupBegin);
      pos = close < end ? close + 1 : end;
    } else if (c == kDotsComment) {
      pos = LineEnd(text_, pos, end);
    } else if (c == kCommaComment) {
      pos = LineEnd(text_, pos, end);
      if (pos < end) ++pos;
    } else if ((c == '&' || c == '$') && end - pos >= 6 && IsRef(At(text_, pos + 1))) {
      ForceOrHold(pos);
      pos += 6;
    } else if (c == kKeyword || c == kGroupEnd || c == kOptEnd) {
      pos += Step(text_, pos, end);  // a stray marker is never text
    } else {
      pos += Literal(pos, end, visited);
    }
    ++visited;
  }
}

void StretchCompiler::Group(std::size_t begin, std::size_t end, bool brace) {
  // The key is the group's first modal reference; a group without one is
  // always written.
  std::size_t key = end;
  for (std::size_t p = begin; p < end; p += Step(text_, p, end)) {
    if (At(text_, p) == kModalRef && end - p >= kReferenceBytes) {
      key = p;
      break;
    }
  }
  const std::size_t head = steps_.size();
  StretchStep group;
  group.kind = StretchStepKind::kGroup;
  group.pos = static_cast<std::uint32_t>(begin);
  if (key < end) {
    group.has_key = true;
    group.id = ReadId(text_, key + 1);
    group.word = FindCoordinateWord(group.id);
  }
  steps_.push_back(group);

  // Whether only plain text has come between the key test and here.
  bool only_text = true;
  int visited = 0;
  std::size_t pos = begin;
  while (pos < end) {
    const unsigned char c = At(text_, pos);
    if (c == kModalRef) {
      if (end - pos < kReferenceBytes) break;
      // In a "[" group the key only decides; it prints nothing.
      if (brace || pos != key) {
        Reference(pos, false, true);
        if (pos == key && only_text && steps_.back().word) steps_.back().key_recalculated = true;
      }
      only_text = false;
      pos += kReferenceBytes;
    } else if (c == kForcedRef) {
      pos += std::min<std::size_t>(end - pos, kReferenceBytes);  // refused in groups by the editor
    } else if (c == kDotsComment) {
      pos = LineEnd(text_, pos, end);
    } else if (c == kCommaComment) {
      pos = LineEnd(text_, pos, end);
      if (pos < end) ++pos;
    } else if ((c == '&' || c == '$') && end - pos >= 6 && At(text_, pos + 1) == kModalRef) {
      ForceOrHold(pos);
      only_text = false;
      pos += 6;
    } else if (c >= kKeyword) {
      ++pos;  // nested groups and keywords are refused by the editor
    } else {
      const std::size_t before = steps_.size();
      pos += Literal(pos, end, visited);
      if (steps_.size() > before && steps_.back().kind == StretchStepKind::kWatched) {
        only_text = false;
      }
    }
    ++visited;
  }
  steps_[head].length = static_cast<std::uint32_t>(steps_.size() - head - 1);
}

std::size_t StretchCompiler::Literal(std::size_t pos, std::size_t end, int visited) {
  const unsigned char c = At(text_, pos);
  const std::size_t bytes = IsLead(c) && pos + 1 < end ? 2 : 1;
  StretchStep step;
  step.pos = static_cast<std::uint32_t>(pos);
  if (Watched(pos, end, visited)) {
    step.kind = StretchStepKind::kWatched;
    step.end = static_cast<std::uint32_t>(end);
    step.visited = visited;
  } else if (c == '\n') {
    step.kind = StretchStepKind::kLineFeed;
  } else if (c == '\r') {
    step.kind = StretchStepKind::kReturn;
  } else {
    // Plain bytes join the run before them when they follow it directly.
    if (!steps_.empty()) {
      StretchStep& last = steps_.back();
      if (last.kind == StretchStepKind::kText && last.pos + last.length == pos) {
        last.length += static_cast<std::uint32_t>(bytes);
        return bytes;
      }
    }
    step.kind = StretchStepKind::kText;
    step.length = static_cast<std::uint32_t>(bytes);
  }
  steps_.push_back(step);
  return bytes;
}

bool StretchCompiler::Watched(std::size_t pos, std::size_t end, int visited) const {
  const char c = text_[pos];
  if (visited >= 2 && text_[pos - 2] == 'G' && text_[pos - 1] == '9' &&
      (c == '0' || c == '1' || c == '2')) {
    return true;
  }
  if ((c == 'X' || c == 'Y' || c == 'Z') && pos + 1 < end && IsNumberStart(text_[pos + 1])) {
    return true;
  }
  const std::string_view rest = text_.substr(pos, end - pos);
  return StartsWith(rest, codes_.initial_return) || StartsWith(rest, codes_.r_return);
}

void StretchCompiler::Reference(std::size_t pos, bool forced, bool in_group) {
  StretchStep step;
  step.kind = StretchStepKind::kReference;
  step.pos = static_cast<std::uint32_t>(pos);
  step.forced = forced;
  step.in_group = in_group;
  step.id = ReadId(text_, pos + 1);
  step.word = FindCoordinateWord(step.id);
  steps_.push_back(step);
}

void StretchCompiler::ForceOrHold(std::size_t pos) {
  StretchStep step;
  step.kind = StretchStepKind::kForceOrHold;
  step.pos = static_cast<std::uint32_t>(pos);
  step.id = ReadId(text_, pos + 2);
  steps_.push_back(step);
}

}  // namespace

StretchProgram CompileStretch(std::string_view text, std::size_t begin, std::size_t end,
                              const WatchedCodes& codes) {
  StretchProgram program;
  // Variable texts are cut to the size the work buffer of a stretch had:
  // twice the stretch plus 81 bytes, one of them the terminator.
  program.limit = 2 * (end - begin) + 80;
  StretchCompiler(text, codes, &program).Stretch(begin, end);
  return program;
}

}  // namespace tlv
