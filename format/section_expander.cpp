#include "format/section_expander.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "definition/code_table.h"
#include "definition/section_table.h"
#include "format/engine_output.h"
#include "format/variable_store.h"
#include "platform/numbers.h"

namespace tlv {

namespace {

constexpr unsigned char kKeyword = 0xF7;
constexpr unsigned char kCommaComment = 0xF8;  // comment and its line feed dropped
constexpr unsigned char kDotsComment = 0xF9;   // comment dropped, line feed kept
constexpr unsigned char kForcedRef = 0xFA;
constexpr unsigned char kOptEnd = 0xFB;
constexpr unsigned char kOptBegin = 0xFC;
constexpr unsigned char kGroupEnd = 0xFD;
constexpr unsigned char kGroupBegin = 0xFE;
constexpr unsigned char kModalRef = 0xFF;

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

unsigned char At(std::string_view text, std::size_t pos) {
  return static_cast<unsigned char>(text[pos]);
}

bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xF6); }

bool IsRef(unsigned char c) { return c == kModalRef || c == kForcedRef; }

bool IsGroupMarker(unsigned char c) {
  return c == kGroupBegin || c == kGroupEnd || c == kOptBegin || c == kOptEnd;
}

// The 4-byte little-endian id at `pos` (the caller has checked the length).
std::int32_t ReadId(std::string_view text, std::size_t pos) {
  std::uint32_t v = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&v, text.data() + pos, sizeof v);
  } else {
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(At(text, pos + i)) << (8 * i);
  }
  return static_cast<std::int32_t>(v);
}

// The position of the next line feed at or after `pos`, or `end`.
std::size_t LineEnd(std::string_view text, std::size_t pos, std::size_t end) {
  if (pos >= end) return end;
  const void* lf = std::memchr(text.data() + pos, '\n', end - pos);
  return lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - text.data()) : end;
}

// How many bytes the marker-aware walk steps over at `pos` (never past
// `end`): references are 5 bytes, comments run to their line feed (kept for
// the next step), a double-byte character is 2.  Markers are tested before
// lead bytes.
std::size_t Step(std::string_view text, std::size_t pos, std::size_t end) {
  const unsigned char c = At(text, pos);
  const std::size_t left = end - pos;
  if (IsRef(c)) return std::min<std::size_t>(left, 5);
  if (c == kCommaComment || c == kDotsComment) return LineEnd(text, pos + 1, end) - pos;
  if (c == kKeyword) return std::min<std::size_t>(left, 2);
  if (IsLead(c)) return std::min<std::size_t>(left, 2);
  return 1;
}

bool IsNumberStart(char c) { return c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9'); }

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
  const WellFormedText* known = KnownWellFormed(text);
  if (!known) {
    if (!ValidateConditionals(text)) return false;
    known = &RememberWellFormed(text);
  }
  const bool has_keywords = known->has_keywords;
  const std::string_view saved = text_;
  text_ = text;
  ++nesting_;
  // Without keywords the region walk would find none and expand the whole
  // text as one stretch.
  const bool ok = has_keywords ? ExpandRegion(0, text.size(), first_stream, 0)
                               : ExpandText(0, text.size(), first_stream);
  --nesting_;
  text_ = saved;
  return ok;
}

const SectionExpander::WellFormedText* SectionExpander::KnownWellFormed(
    std::string_view text) const {
  for (const WellFormedText& known : well_formed_) {
    if (known.data == text.data() && known.bytes.size() == text.size() &&
        std::memcmp(known.bytes.data(), text.data(), text.size()) == 0) {
      return &known;
    }
  }
  return nullptr;
}

const SectionExpander::WellFormedText& SectionExpander::RememberWellFormed(
    std::string_view text) {
  WellFormedText& slot = well_formed_[next_well_formed_];
  next_well_formed_ = (next_well_formed_ + 1) % well_formed_.size();
  slot.data = text.data();
  slot.bytes.assign(text.data(), text.size());
  // The same walk as the region expansion: a keyword byte inside a
  // reference, comment or double-byte character is no keyword.
  slot.has_keywords = false;
  for (std::size_t pos = 0; pos < text.size(); pos += Step(text, pos, text.size())) {
    if (At(text, pos) == kKeyword) {
      slot.has_keywords = true;
      break;
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
  std::size_t pos = begin;
  while (pos < end) {
    if (At(text_, pos) != kKeyword) {
      pos += Step(text_, pos, end);
      continue;
    }
    if (pos + 1 >= end) break;
    const std::size_t k = pos;
    const int code = At(text_, pos + 1);
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
            for (std::size_t p = cond; p < k; p += Step(text_, p, k)) {
              if (IsGroupMarker(At(text_, p))) return false;
            }
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
    pos = next;
  }
  if (level == 0) return ExpandText(after_keyword, end, first);
  // A block left open at the end of the section closes there: its taken
  // branch is written, a branch not taken (or a condition never finished)
  // writes nothing.
  if (state == 1) return ExpandRegion(text_start, end, first, depth + 1);
  return true;
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
  // Variable texts are cut to the size the work buffer of this stretch had:
  // twice the stretch plus 81 bytes, one of them the terminator.
  const std::size_t limit = 2 * (end - begin) + 80;
  int visited = 0;
  std::size_t pos = begin;
  while (pos < end) {
    const unsigned char c = At(text_, pos);
    if (IsRef(c)) {
      if (end - pos < 5) break;  // a cut reference prints nothing
      Reference(pos, c == kForcedRef, first, false, limit, &buf);
      pos += 5;
    } else if (c == kGroupBegin || c == kOptBegin) {
      const unsigned char closer = c == kGroupBegin ? kGroupEnd : kOptEnd;
      std::size_t close = pos + 1;
      while (close < end && At(text_, close) != closer) close += Step(text_, close, end);
      ExpandGroup(pos + 1, close, c == kGroupBegin, limit, first, &buf);
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
      Watch(pos, end, visited);
      pos += Literal(pos, end, &buf);
    }
    ++visited;
  }
  Flush(&buf, first);
  return true;
}

bool SectionExpander::ExpandGroup(std::size_t begin, std::size_t end, bool brace,
                                  std::size_t limit, bool first, std::string* out) {
  // The key is the group's first modal reference; a group without one is
  // always written.
  std::size_t key = end;
  for (std::size_t p = begin; p < end; p += Step(text_, p, end)) {
    if (At(text_, p) == kModalRef && end - p >= 5) {
      key = p;
      break;
    }
  }
  if (key < end) {
    const std::int32_t id = ReadId(text_, key + 1);
    Variable* v = store_.Lookup(id);
    if (!v) return false;
    int due;
    if (CoordinateWord word = FindCoordinateWord(id)) {
      store_.RecalculateSource(word);
      Variable* source = store_.Lookup(word.family->sources[word.axis]);
      due = source ? store_.IsDue(*source) : 0;
    } else {
      due = store_.IsDue(*v);
    }
    if (!due) return false;
  }

  std::string& buf = *out;
  int visited = 0;
  std::size_t pos = begin;
  while (pos < end) {
    const unsigned char c = At(text_, pos);
    if (c == kModalRef) {
      if (end - pos < 5) break;
      // In a "[" group the key only decides; it prints nothing.
      if (brace || pos != key) Reference(pos, false, first, true, limit, &buf);
      pos += 5;
    } else if (c == kForcedRef) {
      pos += std::min<std::size_t>(end - pos, 5);  // refused in groups by the editor
    } else if (c == kDotsComment) {
      pos = LineEnd(text_, pos, end);
    } else if (c == kCommaComment) {
      pos = LineEnd(text_, pos, end);
      if (pos < end) ++pos;
    } else if ((c == '&' || c == '$') && end - pos >= 6 && At(text_, pos + 1) == kModalRef) {
      ForceOrHold(pos);
      pos += 6;
    } else if (c >= kKeyword) {
      ++pos;  // nested groups and keywords are refused by the editor
    } else {
      Watch(pos, end, visited);
      pos += Literal(pos, end, &buf);
    }
    ++visited;
  }
  return true;
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

void SectionExpander::Reference(std::size_t pos, bool forced, bool first, bool in_group,
                                std::size_t limit, std::string* buf) {
  const std::int32_t id = ReadId(text_, pos + 1);
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
    if (CoordinateWord word = FindCoordinateWord(id)) {
      store_.RecalculateSource(word);
      store_.AssignCoordinate(word);
    }
    if (id == kVarCycleReturnCode) CheckCycleReturnCode(in_group);
  }
  if (forced) {
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
