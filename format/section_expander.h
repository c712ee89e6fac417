// Section expansion: turns a compiled NC format section into NC text, with
// its conditional blocks, optional groups, comments and variable
// references, and follows what the text writes literally (G90/G91/G92,
// X/Y/Z words, canned-cycle return codes).
#ifndef TLV_FORMAT_SECTION_EXPANDER_H_
#define TLV_FORMAT_SECTION_EXPANDER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "format/condition.h"
#include "format/stretch_program.h"

namespace tlv {

struct CodeTable;
struct SectionTable;
class EngineOutput;
class VariableStore;

/// Run settings the expansion consults.
struct ExpansionSettings {
  /// The definition splits files at the code markers 5000/5001.
  bool split_by_code = false;
  /// Run setting PrmDeleteNullLine: repeated line feeds collapse.
  bool delete_null_line = false;
  /// Run setting PrmNoAdmitRretCycle (on when missing): no R-point return
  /// with incremental coordinates.
  bool no_rret_in_incremental = true;
};

/// Deepest nesting of conditional blocks expanded, and of sections expanded
/// from inside another one (a split marker expands the split-file head);
/// deeper text fails instead of exhausting the stack.
inline constexpr int kMaxBlockDepth = 200;
inline constexpr int kMaxSectionNesting = 4;

/// Canned-cycle return modes.
inline constexpr int kReturnToInitial = 0;
inline constexpr int kReturnToR = 1;

class SectionExpander {
 public:
  SectionExpander(VariableStore& store, EngineOutput& output);
  SectionExpander(const SectionExpander&) = delete;
  SectionExpander& operator=(const SectionExpander&) = delete;

  /// The job's sections; must outlive the expander (or be replaced).
  void set_sections(const SectionTable* sections) { sections_ = sections; }
  /// Takes the texts of CYC_IRET and CYC_RRET from the job's code table
  /// (between expansions).
  void SetCodes(const CodeTable& codes);
  void set_settings(const ExpansionSettings& settings) { settings_ = settings; }

  /// Expands section `id` (0..21): validates its conditional blocks (a
  /// structural error is reported and nothing is written), then writes its
  /// text.  Sections 17 to 19 go to the first output and never split.
  /// False when the section is missing, faulty, or its expansion failed
  /// (text already written stays written).
  bool ExpandSection(int id);

  /// Expands compiled section text that is not in the table (tests, the
  /// editor's preview), `first_stream` as for sections 17 to 19.
  bool ExpandCompiled(std::string_view text, bool first_stream);

  /// Checks the order of the conditional keywords of `text`; reports the
  /// first structural error (run log and standard output) and returns
  /// false.  Blocks still open at the end are accepted.
  bool ValidateConditionals(std::string_view text);

  /// The condition calculator over compiled condition text.
  double EvaluateCondition(std::string_view text) { return conditions_.Evaluate(text); }

  /// Canned-cycle return mode set by the literal return codes and the
  /// return code variable (kReturnToInitial / kReturnToR).
  int cycle_return_mode() const { return cycle_return_mode_; }
  void set_cycle_return_mode(int mode) { cycle_return_mode_ = mode; }

 private:
  // Each works on text_, positions [begin, end).
  bool ExpandRegion(std::size_t begin, std::size_t end, bool first, int depth);
  bool ExpandText(std::size_t begin, std::size_t end, bool first);
  /// True when a group marker of the text being expanded lies in
  /// [begin, end).
  bool GroupMarkerIn(std::size_t begin, std::size_t end) const;
  /// The steps of text_[begin, end), kept with the section text; worked
  /// out into *uncached when the text keeps too many already.
  const StretchProgram& ProgramOf(std::size_t begin, std::size_t end, StretchProgram* uncached);
  /// Runs the steps of a stretch, its text going to *buf.
  void RunStretch(const StretchProgram& program, bool first, std::string* buf);
  /// True when an optional group is written: it has no key, or its key is
  /// due.
  bool GroupDue(const StretchStep& group);
  /// A variable reference; its text goes to `buf` (written out first when
  /// the reference is a split marker).
  void Reference(const StretchStep& step, bool first, std::size_t limit, std::string* buf);
  /// "&" / "$" before a reference at `pos`.
  void ForceOrHold(std::size_t pos);
  /// Literal watchers on the byte at `pos`.
  void Watch(std::size_t pos, std::size_t end, int visited);
  /// Output rules of one literal byte (and its trail byte); returns the
  /// bytes consumed.
  std::size_t Literal(std::size_t pos, std::size_t end, std::string* buf);
  void CheckCycleReturnCode(bool in_group);
  void Flush(std::string* buf, bool first);

  VariableStore& store_;
  EngineOutput& output_;
  ConditionEvaluator conditions_;
  const SectionTable* sections_ = nullptr;
  ExpansionSettings settings_;
  std::string iret_code_;
  std::string rret_code_;

  std::string_view text_;  // the section being expanded
  int nesting_ = 0;        // sections expanded inside one another
  // Work buffers per section nesting level, reused from record to record.
  std::vector<std::string> text_buffers_;
  std::string scratch_;

  int cycle_return_mode_ = kReturnToInitial;
  bool suppress_blank_ = false;

  // Section texts whose conditional blocks were found well formed, so that
  // expanding the same section again for the next record does not walk it
  // again. A text counts as known only when its bytes equal the copy kept;
  // malformed texts are never kept (their check reports each time).
  // A known text also keeps its keywords (a text without any is a single
  // stretch, expanded without a region walk) and the steps of its
  // stretches.
  struct KeywordAt {
    std::uint32_t pos;
    int code;  // the byte after the marker; 0 when the text ends first
  };
  struct WellFormedText {
    const char* data = nullptr;
    std::string bytes;
    // The keywords and group markers of the marker-aware walk, in order.
    std::vector<KeywordAt> keywords;
    std::vector<std::uint32_t> group_markers;
    // Steps by stretch (begin << 32 | end), and the one asked for last.
    std::unordered_map<std::uint64_t, StretchProgram> programs;
    std::uint64_t last_key = 0;
    const StretchProgram* last_program = nullptr;
    // Expansions of this text under way (a split-file head expands inside
    // another section); a slot in use is never given to another text.
    int active = 0;
    void ForgetPrograms();
  };
  WellFormedText* KnownWellFormed(std::string_view text);
  WellFormedText& RememberWellFormed(std::string_view text);
  static constexpr std::size_t kWellFormedSlots = 32;
  std::vector<WellFormedText> well_formed_ = std::vector<WellFormedText>(kWellFormedSlots);
  WellFormedText* current_ = nullptr;  // the text being expanded
  std::size_t last_known_ = 0;          // the slot KnownWellFormed found last
  std::size_t next_well_formed_ = 0;
};

}  // namespace tlv

#endif  // TLV_FORMAT_SECTION_EXPANDER_H_
