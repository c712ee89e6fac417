#include "format/section_expander.h"

#include <algorithm>
#include <cstring>

#include "definition/code_table.h"
#include "definition/section_table.h"
#include "format/engine_output.h"
#include "format/section_text.h"
#include "format/variable_store.h"
#include "platform/numbers.h"

namespace tlv {

namespace {

using namespace section_text;

constexpr int kIf = 1, kThen = 2, kElseIf = 3, kElse = 4, kEndIf = 5;

// Text of the return code variable is read up to this many bytes.
constexpr std::size_t kReturnCodeBytes = 10;

// Structural messages of the conditional blocks.
constexpr std::string_view kIfInCondition = "条件文中に<IF>があります。";
constexpr std::string_view kThenWithoutIf = "<THEN>に対応する<IF>がありません。";
constexpr std::string_view kThenWithoutOpen = "<THEN>に対応する<IF><ELSEIF>がありません。";
constexpr std::string_view kElseIfMisplaced = "<ELSEIF>の位置が正しくありません。";
constexpr std::string_view kElseMisplaced = "<ELSE>の位置が正しくありません。";
constexpr std::string_view kEndIfWithoutIf = "<ENDIF>に対応する<IF>がありません。";
constexpr std::string_view kOpenWithoutThen = "<IF>/<ELSEIF>に対応する<THEN>がありません。";

constexpr std::string_view kNoticeInitial = "※ 連絡：イニシャル点復帰に設定します。\n";
constexpr std::string_view kNoticeR = "※ 連絡：Ｒ点復帰に設定します。\n";
constexpr std::string_view kCaution1 = "※ 注意１：インクリメンタル指令の場合はＲ点復帰は使えません。\n";
constexpr std::string_view kCaution2 = "※ 注意２：インクリメンタル指令の場合はＲ点復帰は使えません。\n";

// Stretches whose steps are kept per section text; a text cut into more
// (deeply nested conditional blocks) has the others worked out each time.
constexpr std::size_t kMaxProgramsPerText = 256;

}  // namespace

SectionExpander::SectionExpander(VariableStore& store, EngineOutput& output)
    : store_(store),
      output_(output),
      conditions_(store, &output),
      text_buffers_(kMaxSectionNesting + 1) {
  iret_code_ = "G98";
  rret_code_ = "G99";
}

void SectionExpander::SetCodes(const CodeTable& codes) {
  iret_code_.assign(codes.Text("CYC_IRET"));
  rret_code_.assign(codes.Text("CYC_RRET"));
  // The kept steps know which literals are return codes.
  for (WellFormedText& known : well_formed_) {
    if (known.active == 0) known.ForgetPrograms();
  }
}

bool SectionExpander::ExpandSection(int id) {
  if (!sections_ || id < 0 || id >= kSectionSlots) return false;
  const FormatSection* section = sections_->Find(id);
  if (!section) return false;
  return ExpandCompiled(section->text, id >= 17 && id <= 19);
}

bool SectionExpander::ExpandCompiled(std::string_view text, bool first_stream) {
  // A split marker expands the split-file head from inside another section;
  // a head that splits again would never end.
  if (nesting_ >= kMaxSectionNesting) return false;
  // Step positions are 32-bit; no definition holds a section anywhere near.
  if (text.size() > UINT32_MAX) return false;
  WellFormedText* known = KnownWellFormed(text);
  if (!known) {
    if (!ValidateConditionals(text)) return false;
    known = &RememberWellFormed(text);
  }
  const bool has_keywords = !known->keywords.empty();
  const std::string_view saved = text_;
  WellFormedText* const saved_known = current_;
  text_ = text;
  current_ = known;
  ++known->active;
  ++nesting_;
  // Without keywords the region walk would find none and expand the whole
  // text as one stretch.
  const bool ok = has_keywords ? ExpandRegion(0, text.size(), first_stream, 0)
                               : ExpandText(0, text.size(), first_stream);
  --nesting_;
  --known->active;
  current_ = saved_known;
  text_ = saved;
  return ok;
}

SectionExpander::WellFormedText* SectionExpander::KnownWellFormed(std::string_view text) {
  auto same = [&](const WellFormedText& known) {
    return known.data == text.data() && known.bytes.size() == text.size() &&
           std::memcmp(known.bytes.data(), text.data(), text.size()) == 0;
  };
  // Record after record it is mostly the section of the record before.
  if (same(well_formed_[last_known_])) return &well_formed_[last_known_];
  for (std::size_t i = 0; i < well_formed_.size(); ++i) {
    if (same(well_formed_[i])) {
      last_known_ = i;
      return &well_formed_[i];
    }
  }
  return nullptr;
}

SectionExpander::WellFormedText& SectionExpander::RememberWellFormed(std::string_view text) {
  // A slot whose text is being expanded (an outer section of a split-file
  // head) keeps its steps: they are running.  Nesting is far shallower
  // than the slots, so a free one is always found.
  while (well_formed_[next_well_formed_].active > 0) {
    next_well_formed_ = (next_well_formed_ + 1) % well_formed_.size();
  }
  WellFormedText& slot = well_formed_[next_well_formed_];
  next_well_formed_ = (next_well_formed_ + 1) % well_formed_.size();
  slot.ForgetPrograms();
  slot.data = text.data();
  slot.bytes.assign(text.data(), text.size());
  // The same walk as the region expansion: a keyword byte inside a
  // reference, comment or double-byte character is no keyword.  A region
  // starts where this walk stands (behind a keyword and its line break)
  // and ends at a keyword, so walking a region meets exactly the keywords
  // and group markers of this walk that lie inside it.
  slot.keywords.clear();
  slot.group_markers.clear();
  const std::size_t size = text.size();
  for (std::size_t pos = 0; pos < size; pos += Step(text, pos, size)) {
    const unsigned char c = At(text, pos);
    if (c == kKeyword) {
      const int code = pos + 1 < size ? At(text, pos + 1) : 0;
      slot.keywords.push_back({static_cast<std::uint32_t>(pos), code});
    } else if (IsGroupMarker(c)) {
      slot.group_markers.push_back(static_cast<std::uint32_t>(pos));
    }
  }
  return slot;
}

bool SectionExpander::ValidateConditionals(std::string_view text) {
  int depth = 0, opens = 0, thens = 0;
  bool in_condition = false;
  const std::size_t end = text.size();
  for (std::size_t pos = 0; pos < end; pos += Step(text, pos, end)) {
    if (At(text, pos) != kKeyword) continue;
    if (pos + 1 >= end) return false;
    const int code = At(text, pos + 1);
    switch (code) {
      case kIf:
        if (in_condition) {
          output_.Report(kIfInCondition);
          return false;
        }
        ++depth;
        in_condition = true;
        ++opens;
        break;
      case kThen:
        if (depth < 1) {
          output_.Report(kThenWithoutIf);
          return false;
        }
        ++thens;
        if (thens != opens) {
          output_.Report(kThenWithoutOpen);
          return false;
        }
        in_condition = false;
        break;
      case kElseIf:
        if (depth == 1) {
          if (in_condition) {
            output_.Report(kElseIfMisplaced);
            return false;
          }
          in_condition = true;
        }
        ++opens;
        break;
      case kElse:
        if (depth == 1 && in_condition) {
          output_.Report(kElseMisplaced);
          return false;
        }
        break;
      case kEndIf:
        if (depth < 1) {
          output_.Report(kEndIfWithoutIf);
          return false;
        }
        --depth;
        if (depth == 0 && thens != opens) {
          output_.Report(kOpenWithoutThen);
          return false;
        }
        break;
      default:
        return true;  // an unknown keyword code ends the check
    }
  }
  return true;
}

bool SectionExpander::ExpandRegion(std::size_t begin, std::size_t end, bool first, int depth) {
  if (depth > kMaxBlockDepth) return false;
  int level = 0;
  // 0 no branch of the current block taken yet, 1 the current branch is
  // the one to write, 2 a branch has been written.
  int state = 0;
  std::size_t text_start = begin;
  std::size_t after_keyword = begin;
  const std::vector<KeywordAt>& keywords = current_->keywords;
  auto keyword = std::lower_bound(
      keywords.begin(), keywords.end(), begin,
      [](const KeywordAt& at, std::size_t pos) { return at.pos < pos; });
  for (; keyword != keywords.end() && keyword->pos < end; ++keyword) {
    const std::size_t k = keyword->pos;
    if (k + 1 >= end) break;
    const int code = keyword->code;
    if (code < kIf || code > kEndIf) return false;
    // The line break right behind a keyword belongs to the keyword.
    std::size_t next = k + 2;
    if (next < end && text_[next] == '\r') ++next;
    if (next < end && text_[next] == '\n') ++next;

    switch (code) {
      case kIf:
        if (level == 0) {
          if (!ExpandText(text_start, k, first)) return false;
          state = 0;
        }
        ++level;
        break;
      case kThen:
        if (level == 1) {
          if (state == 0) {
            const std::size_t cond = after_keyword;
            if (GroupMarkerIn(cond, k)) return false;
            if (EvaluateCondition(text_.substr(cond, k - cond)) != 0.0) state = 1;
          }
          text_start = next;
        }
        break;
      case kElseIf:
        if (level == 1 && state == 1) {
          if (!ExpandRegion(text_start, k, first, depth + 1)) return false;
          state = 2;
        }
        break;
      case kElse:
        if (level == 1) {
          if (state == 1) {
            if (!ExpandRegion(text_start, k, first, depth + 1)) return false;
            state = 2;
          } else if (state == 0) {
            state = 1;
          }
          text_start = next;
        }
        break;
      case kEndIf:
        if (level == 1) {
          if (state == 1 && !ExpandRegion(text_start, k, first, depth + 1)) return false;
          text_start = next;
        }
        if (level > 0) --level;
        break;
    }
    after_keyword = next;
  }
  if (level == 0) return ExpandText(after_keyword, end, first);
  // A block left open at the end of the section closes there: its taken
  // branch is written, a branch not taken (or a condition never finished)
  // writes nothing.
  if (state == 1) return ExpandRegion(text_start, end, first, depth + 1);
  return true;
}

bool SectionExpander::GroupMarkerIn(std::size_t begin, std::size_t end) const {
  const std::vector<std::uint32_t>& markers = current_->group_markers;
  auto it = std::lower_bound(markers.begin(), markers.end(), begin);
  return it != markers.end() && *it < end;
}

void SectionExpander::Flush(std::string* buf, bool first) {
  if (buf->empty()) return;
  output_.Write(*buf, first);
  buf->clear();
}

bool SectionExpander::ExpandText(std::size_t begin, std::size_t end, bool first) {
  if (begin > end) return false;
  if (begin == end) return true;
  // The stretch's text is gathered and written at its end, or before a
  // split marker opens or closes a file (the text before the marker
  // belongs to the file it ends).
  std::string& buf = text_buffers_[nesting_];
  buf.clear();
  StretchProgram uncached;
  RunStretch(ProgramOf(begin, end, &uncached), first, &buf);
  Flush(&buf, first);
  return true;
}

void SectionExpander::WellFormedText::ForgetPrograms() {
  programs.clear();
  last_key = 0;
  last_program = nullptr;
}

const StretchProgram& SectionExpander::ProgramOf(std::size_t begin, std::size_t end,
                                                 StretchProgram* uncached) {
  WellFormedText& known = *current_;
  const std::uint64_t key = static_cast<std::uint64_t>(begin) << 32 | end;
  if (known.last_program && known.last_key == key) return *known.last_program;
  auto it = known.programs.find(key);
  if (it == known.programs.end()) {
    const WatchedCodes codes{iret_code_, rret_code_};
    if (known.programs.size() >= kMaxProgramsPerText) {
      *uncached = CompileStretch(text_, begin, end, codes);
      return *uncached;
    }
    it = known.programs.emplace(key, CompileStretch(text_, begin, end, codes)).first;
  }
  // Elements of the map stay where they are while others are added.
  known.last_key = key;
  known.last_program = &it->second;
  return it->second;
}

void SectionExpander::RunStretch(const StretchProgram& program, bool first, std::string* buf) {
  const StretchStep* step = program.steps.data();
  const StretchStep* const last = step + program.steps.size();
  for (; step < last; ++step) {
    switch (step->kind) {
      case StretchStepKind::kText:
        buf->append(text_.data() + step->pos, step->length);
        suppress_blank_ = false;
        break;
      case StretchStepKind::kLineFeed:
      case StretchStepKind::kReturn:
        Literal(step->pos, step->pos + 1, buf);
        break;
      case StretchStepKind::kWatched:
        Watch(step->pos, step->end, step->visited);
        Literal(step->pos, step->end, buf);
        break;
      case StretchStepKind::kReference:
        Reference(*step, first, program.limit, buf);
        break;
      case StretchStepKind::kForceOrHold:
        ForceOrHold(step->pos);
        break;
      case StretchStepKind::kGroup:
        if (!GroupDue(*step)) step += step->length;
        break;
    }
  }
}

bool SectionExpander::GroupDue(const StretchStep& group) {
  if (!group.has_key) return true;
  Variable* v = store_.Lookup(group.id);
  if (!v) return false;
  if (const CoordinateWord& word = group.word) {
    store_.RecalculateSource(word);
    Variable* source = store_.Lookup(word.family->sources[word.axis]);
    return source && store_.IsDue(*source) != 0;
  }
  return store_.IsDue(*v) != 0;
}

void SectionExpander::ForceOrHold(std::size_t pos) {
  Variable* v = store_.Lookup(ReadId(text_, pos + 2));
  if (!v) return;
  v->pinned = false;
  v->SetChanged(text_[pos] == '&');
  // A coordinate word keeps the state it was given until it is next read,
  // so its recalculation does not overwrite it.
  if (FindCoordinateWord(v->number)) v->pinned = true;
}

void SectionExpander::Reference(const StretchStep& step, bool first, std::size_t limit,
                                std::string* buf) {
  const std::int32_t id = step.id;
  const std::size_t pos = step.pos;
  suppress_blank_ = false;
  if ((id == kVarSplitStart || id == kVarSplitEnd) && settings_.split_by_code && !first) {
    Flush(buf, first);
    if (id == kVarSplitStart) {
      output_.StartSplitFile();
    } else {
      output_.EndSplitFile();
    }
    return;
  }
  Variable* v = store_.Lookup(id);
  if (!v) return;
  const bool positioned = IsPositionedComputedNumber(id);
  if (!positioned) {
    if (step.word) {
      if (!step.key_recalculated) store_.RecalculateSource(step.word);
      store_.AssignCoordinate(step.word);
    }
    if (id == kVarCycleReturnCode) CheckCycleReturnCode(step.in_group);
  }
  if (step.forced) {
    store_.FormatAlways(*v, buf, limit);
    v->SetChanged(false);
  } else {
    store_.FormatIfDue(*v, buf, limit);
  }
  if (positioned && pos > 0) {
    const char before = text_[pos - 1];
    if (before == 'X' || before == 'Y' || before == 'Z') {
      const double value = v->GetNumber();
      if (Variable* p = store_.Lookup(kVarPositionX + (before - 'X'))) {
        if (store_.coordinates().mode == kCoordIncremental) {
          p->SetNumber(p->GetNumber() + value);
        } else {
          p->SetNumber(value);
        }
      }
    }
  }
}

void SectionExpander::CheckCycleReturnCode(bool in_group) {
  Variable* v = store_.Lookup(kVarCycleReturnCode);
  if (!v) return;
  scratch_.clear();
  v->GetText(&scratch_, kReturnCodeBytes);
  cycle_return_mode_ = scratch_ == "G98" ? kReturnToInitial : kReturnToR;
  if (store_.coordinates().mode == kCoordIncremental && settings_.no_rret_in_incremental &&
      scratch_ == rret_code_) {
    v->SetText(iret_code_);
    output_.Log(in_group ? kCaution2 : kCaution1);
    cycle_return_mode_ = kReturnToInitial;
  }
}

void SectionExpander::Watch(std::size_t pos, std::size_t end, int visited) {
  const char c = text_[pos];
  CoordinateState& coord = store_.coordinates();
  // G90, G91, G92 written literally switch the coordinate output.
  if (visited >= 2 && text_[pos - 2] == 'G' && text_[pos - 1] == '9') {
    if (c == '0') {
      coord.mode =
          store_.coordinate_settings().output_setting == 2 ? kCoordOffset : kCoordAbsolute;
    } else if (c == '1') {
      coord.mode = kCoordIncremental;
    } else if (c == '2') {
      coord.g92_pending = true;
    }
  }
  // X, Y, Z words written literally move the tracked position.
  if ((c == 'X' || c == 'Y' || c == 'Z') && pos + 1 < end && IsNumberStart(text_[pos + 1])) {
    std::size_t run = pos + 1;
    bool point = false;
    while (run < end && IsNumberStart(text_[run])) {
      if (text_[run] == '.') point = true;
      ++run;
    }
    double value = ParseLeadingDouble(text_.substr(pos + 1, std::min<std::size_t>(end - pos - 1, 64)));
    // Without a decimal point the word counts in least input increments.
    if (!point) value *= store_.LeastIncrement();
    const int axis = c - 'X';
    if (Variable* p = store_.Lookup(kVarPositionX + axis)) {
      if (coord.g92_pending) {
        coord.g92_offset[axis] = store_.RoundedDifference(value, p->GetNumber());
      } else if (coord.mode == kCoordIncremental) {
        p->SetNumber(p->GetNumber() + value);
      } else {
        p->SetNumber(value);
      }
    }
  }
  // Canned-cycle return codes written literally set the return mode.
  const std::string_view rest = text_.substr(pos, end - pos);
  if (!iret_code_.empty() && iret_code_[0] == c && rest.substr(0, iret_code_.size()) == iret_code_) {
    cycle_return_mode_ = kReturnToInitial;
    output_.Log(kNoticeInitial);
  }
  if (!rret_code_.empty() && rret_code_[0] == c && rest.substr(0, rret_code_.size()) == rret_code_) {
    cycle_return_mode_ = kReturnToR;
    output_.Log(kNoticeR);
  }
}

std::size_t SectionExpander::Literal(std::size_t pos, std::size_t end, std::string* buf) {
  const unsigned char c = At(text_, pos);
  if (c == '\n') {
    store_.coordinates().g92_pending = false;
    if (!suppress_blank_) buf->push_back('\n');
    if (settings_.delete_null_line) suppress_blank_ = true;
    return 1;
  }
  if (c == '\r') {
    if (!suppress_blank_) buf->push_back('\r');
    return 1;
  }
  suppress_blank_ = false;
  buf->push_back(static_cast<char>(c));
  if (IsLead(c) && pos + 1 < end) {
    buf->push_back(text_[pos + 1]);
    return 2;
  }
  return 1;
}

}  // namespace tlv
