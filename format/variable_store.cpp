#include "format/variable_store.h"

#include <algorithm>
#include <cmath>

namespace tlv {

namespace {

// Word variables and their sources, family by family.  Every family tracks
// the same position (variables 32, 33, 34).
constexpr CoordinateFamily kFamilies[] = {
    {{10, 11, 12}, {51, 52, 53}},
    {{103, 104, 105}, {123, 124, 125}},
    {{106, 107, 108}, {126, 127, 128}},
    {{217, 218, 219}, {227, 228, 229}},
    {{1720, 1721, 1722}, {1723, 1724, 1725}},
};

// Numbers below this are found through the direct index.
constexpr std::int32_t kIndexedNumbers = 8192;

}  // namespace

CoordinateWord FindCoordinateWord(std::int32_t number) {
  // Most references are not coordinate words; reject them at once.
  if (!((number >= 10 && number <= 12) || (number >= 103 && number <= 108) ||
        (number >= 217 && number <= 219) || (number >= 1720 && number <= 1722))) {
    return CoordinateWord{};
  }
  for (const CoordinateFamily& f : kFamilies) {
    for (int axis = 0; axis < 3; ++axis) {
      if (f.words[axis] == number) return CoordinateWord{&f, axis};
    }
  }
  return CoordinateWord{};
}

VariableStore::VariableStore() { SetCoordinateSettings(CoordinateSettings{}); }

Variable* VariableStore::LookupSlow(std::int32_t number) {
  if (number >= 0 && number < kIndexedNumbers) return nullptr;  // the index knows
  auto it = table_.find(number);
  return it == table_.end() ? nullptr : &it->second;
}

Variable& VariableStore::Put(Variable v) {
  const std::int32_t number = v.number;
  auto [it, inserted] = table_.insert_or_assign(number, std::move(v));
  // A replaced variable keeps its place in the table.
  if (inserted) all_.push_back(&it->second);
  if (number >= 0 && number < kIndexedNumbers) {
    if (index_.size() <= static_cast<std::size_t>(number)) index_.resize(number + 1, nullptr);
    index_[number] = &it->second;
  }
  return it->second;
}

bool VariableStore::FormatIfDue(Variable& v, std::string* out, std::size_t max) {
  if (hooks_ && (IsInputVariableNumber(v.number) || IsComputedVariableNumber(v.number))) {
    hooks_->BeforeOutput(v, false);
  }
  return v.FormatIfDueOwn(out, max);
}

void VariableStore::FormatAlways(Variable& v, std::string* out, std::size_t max) {
  if (hooks_ && (IsInputVariableNumber(v.number) || IsComputedVariableNumber(v.number))) {
    hooks_->BeforeOutput(v, true);
  }
  v.FormatAlwaysOwn(out, max);
}

int VariableStore::IsDue(Variable& v) {
  if (hooks_ && IsComputedVariableNumber(v.number) && v.ask_mode != 0) {
    return hooks_->DueByTrial(v);
  }
  return v.IsDueOwn();
}

double VariableStore::RoundedDifference(double a, double b) const {
  // std::round rounds halves away from zero, as the position arithmetic of
  // the controls does; the quotient is not rounded again.
  return (std::round(a * scale_) - std::round(b * scale_)) / scale_;
}

void VariableStore::SetCoordinateSettings(const CoordinateSettings& settings) {
  coord_settings_ = settings;
  coord_settings_.digits = std::clamp(settings.digits, 0, 9);
  scale_ = std::pow(10.0, coord_settings_.digits);
  least_increment_ = 1.0 / scale_;
}

double VariableStore::Position(int axis) {
  Variable* p = Lookup(kVarPositionX + axis);
  return p ? p->GetNumber() : 0.0;
}

void VariableStore::SetPosition(int axis, double value) {
  if (Variable* p = Lookup(kVarPositionX + axis)) p->SetNumber(value);
}

void VariableStore::RecalculateSource(const CoordinateWord& word) {
  if (!word) return;
  const int axis = word.axis;
  Variable* w = Lookup(word.family->words[axis]);
  Variable* src = Lookup(word.family->sources[axis]);
  if (!w || !src) return;
  double t = src->GetNumber();
  if (coord_settings_.tool_centre && axis == 2) t += coord_.tool_centre_z;
  if (coord_.mode == kCoordOffset) t += coord_.g92_offset[axis];
  const double position = Position(axis);
  // The same value on both sides needs no rounding to compare.
  const bool same = !w->has_calculation() && SameBits(t, position);
  src->SetChanged(!same && w->QuantumOf(t) != w->QuantumOf(position));
}

void VariableStore::AssignCoordinate(const CoordinateWord& word) {
  if (!word) return;
  const int axis = word.axis;
  Variable* w = Lookup(word.family->words[axis]);
  Variable* src = Lookup(word.family->sources[axis]);
  if (!w || !src) return;
  const double source = src->GetNumber();
  const double position = Position(axis);
  double word_value;
  double new_position;
  if (coord_.g92_pending) {
    // A G92 line: the word states where the tool now is in the new frame;
    // the difference becomes the origin offset and nothing moves.
    coord_.g92_offset[axis] = RoundedDifference(source, position);
    word_value = source;
    new_position = source;
  } else {
    coord_.last_source[axis] = source;
    double t = source;
    if (coord_settings_.tool_centre && axis == 2) t += coord_.tool_centre_z;
    if (coord_.mode == kCoordIncremental) {
      word_value = RoundedDifference(t, position);
      new_position = t;
    } else if (coord_.mode == kCoordOffset) {
      word_value = t + coord_.g92_offset[axis];
      new_position = word_value;
    } else {
      word_value = t;
      new_position = t;
    }
  }
  w->SetNumber(word_value);
  w->SetChanged(src->IsDueOwn() != 0);
  src->SetChanged(false);
  SetPosition(axis, new_position);
}

void VariableStore::SnapshotAll() {
  for (Variable* v : all_) v->Snapshot();
}

void VariableStore::UseSheetSlotAll(bool use) {
  for (Variable* v : all_) v->use_sheet_slot = use;
}

void VariableStore::ArmSnapshotAll() {
  for (Variable* v : all_) v->snapshot_armed = true;
}

void VariableStore::BeginSheetItem(bool snapshot) {
  for (Variable* v : all_) {
    if (snapshot) v->Snapshot();
    v->use_sheet_slot = true;
  }
}

void VariableStore::EndSheetItem() {
  for (Variable* v : all_) {
    v->use_sheet_slot = false;
    v->snapshot_armed = true;
  }
}

void VariableStore::ResetAtFileHead() {
  for (Variable* v : all_) {
    if (v->reset_at_file_head) v->SetChanged(true);
  }
}

}  // namespace tlv
