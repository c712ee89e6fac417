#include "sheet/procedure_parameters.h"

#include <string>

#include "platform/file_contents.h"
#include "platform/numbers.h"
#include "platform/run_log.h"

namespace tlv {
namespace {

// Each marker with the number of bytes from its start to its value: the
// marker, "=" and the opening double quote.
constexpr std::string_view kProcedureName = "Procedure Name";
constexpr std::string_view kProcedureEnd = "/Procedure";
constexpr std::string_view kParameterName = "Parameter Name";
constexpr std::size_t kParameterNameSkip = 16;
constexpr std::string_view kAttrValue = "Attr Value";
constexpr std::size_t kAttrValueSkip = 12;
constexpr std::string_view kAttrId = "Attr ID";
constexpr std::size_t kAttrIdSkip = 9;
constexpr std::string_view kAttrBranchName = "Attr BranchName";
constexpr std::size_t kAttrBranchNameSkip = 17;
constexpr std::string_view kAttrType = "Attr Type";
constexpr std::size_t kAttrTypeSkip = 11;
constexpr std::string_view kParameterEnd = "/Parameter";

// The text `skip` bytes after the start of `marker` in `tag`, or nothing when
// the marker is absent.  A tag that ends before the value gives an empty
// text rather than reading past it.
std::optional<std::string_view> ValueAfter(std::string_view tag,
                                           std::string_view marker,
                                           std::size_t skip) {
  std::size_t at = tag.find(marker);
  if (at == std::string_view::npos) return std::nullopt;
  at += skip;
  if (at >= tag.size()) return std::string_view();
  return tag.substr(at);
}

// The text up to (not including) the next double quote.
std::string_view CutAtQuote(std::string_view text) {
  return text.substr(0, text.find('"'));
}

bool Contains(std::string_view tag, std::string_view marker) {
  return tag.find(marker) != std::string_view::npos;
}

}  // namespace

bool ProcedureParameters::Read(const std::string& path, RunLog* log) {
  if (loaded_) return true;
  std::string text;
  std::string err;
  if (!ReadFileBytes(path, &text, &err)) {
    if (log) log->Printf("ＸＭＬファイル:%s を開けません。\n", path);
    return false;
  }
  if (log) log->Write("ＸＭＬファイル読込ＯＫ。\n");
  Scan(text);
  return true;
}

void ProcedureParameters::Scan(std::string_view text) {
  index_ = -2;
  // Characters between tags are collected too; the next "<" starts over.
  std::string tag;
  tag.reserve(kMaxTagLength);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '<') {
      tag.clear();
    } else if (c == '>') {
      HandleTag(tag);
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      // Line ends read as LF, as a text-mode read gives them.
    } else if (tag.size() < kMaxTagLength) {
      tag.push_back(c);
    }
  }
  loaded_ = true;
}

void ProcedureParameters::HandleTag(std::string_view tag) {
  if (Contains(tag, kProcedureName)) {
    inside_procedure_ = true;
    ++index_;
  }
  if (Contains(tag, kProcedureEnd)) inside_procedure_ = false;
  if (auto v = ValueAfter(tag, kParameterName, kParameterNameSkip)) {
    current_.name.assign(CutAtQuote(*v));
  }
  if (auto v = ValueAfter(tag, kAttrValue, kAttrValueSkip)) {
    current_.value_text.assign(CutAtQuote(*v));
  }
  if (auto v = ValueAfter(tag, kAttrId, kAttrIdSkip)) {
    current_.id = ParseLeadingInt(*v);
  }
  if (auto v = ValueAfter(tag, kAttrBranchName, kAttrBranchNameSkip)) {
    current_.branch_name.assign(*v);
  }
  if (auto v = ValueAfter(tag, kAttrType, kAttrTypeSkip)) {
    std::string_view type = *v;
    current_.type = ParameterType::kUnknown;
    current_.number = 0;
    current_.integer = 0;
    if (type.starts_with("Float")) {
      current_.type = ParameterType::kFloat;
    } else if (type.starts_with("Percent")) {
      current_.type = ParameterType::kPercent;
    } else if (type.starts_with("Int")) {
      current_.type = ParameterType::kInt;
    } else if (type.starts_with("String")) {
      current_.type = ParameterType::kString;
    }
    switch (current_.type) {
      case ParameterType::kFloat:
      case ParameterType::kPercent:
        current_.number = ParseLeadingDouble(current_.value_text);
        current_.value_text.clear();
        break;
      case ParameterType::kInt:
        current_.integer = ParseLeadingInt(current_.value_text);
        current_.value_text.clear();
        break;
      default:
        break;
    }
  }
  if (inside_procedure_ && Contains(tag, kParameterEnd)) StoreParameter();
}

void ProcedureParameters::StoreParameter() {
  if (index_ < -1) return;
  if (index_ == -1 || static_cast<std::size_t>(index_) >= procedures_.size()) {
    procedures_.emplace_back();
    index_ = static_cast<int>(procedures_.size()) - 1;
  }
  procedures_[index_].push_back(current_);
}

const Procedure* ProcedureParameters::CurrentProcedure() const {
  if (index_ < 0 || static_cast<std::size_t>(index_) >= procedures_.size()) {
    return nullptr;
  }
  return &procedures_[index_];
}

namespace {

// "Int" parameters keep their value in `integer`; handing out `number`
// (always 0 for them) would lose it.
double ValueOf(const ProcedureParameter& p) {
  return p.type == ParameterType::kInt ? p.integer : p.number;
}

}  // namespace

std::optional<double> ProcedureParameters::ValueById(int id) const {
  if (const Procedure* procedure = CurrentProcedure()) {
    for (const ProcedureParameter& p : *procedure) {
      if (p.id == id) return ValueOf(p);
    }
  }
  return std::nullopt;
}

std::optional<double> ProcedureParameters::ValueByName(
    std::string_view name) const {
  if (const Procedure* procedure = CurrentProcedure()) {
    for (const ProcedureParameter& p : *procedure) {
      if (p.name == name) return ValueOf(p);
    }
  }
  return std::nullopt;
}

}  // namespace tlv
