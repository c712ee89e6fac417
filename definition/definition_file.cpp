#include "definition/definition_file.h"

#include <algorithm>
#include <array>
#include <utility>

#include "definition/variable_dictionary.h"
#include "platform/file_contents.h"
#include "platform/record_file.h"
#include "platform/text_encoding.h"

namespace tlv {
namespace {

struct VersionTag {
  std::string_view tag;
  int version;
};

constexpr std::array<VersionTag, 17> kVersionTags = {{
    {"TOLvek2.0", 200},   {"TOLvek2.3", 230},   {"TOLvek2.7", 270},
    {"TOLvek2.12", 212},  {"TOLvek3.00", 300},  {"TOLvek3.40", 340},
    {"TOLvek3.41", 341},  {"TOLvek3.50", 350},  {"TOLvek3.51", 351},
    {"TOLvek3.60", 360},  {"TOLvek3.70", 370},  {"TOLvek3.80", 380},
    {"TOLvek3.90", 390},  {"TOLvek3.92", 392},  {"TOLvek4.00", 400},
    {"TOLvek4.10", 410},  {"TOLvek4.20", 420},
}};

// The record version the current layout uses for variable settings.
constexpr int kCurrentRecordVersion = 370;

// Sections are read in pieces so that a corrupt length cannot make us
// allocate more than the file holds.
constexpr std::size_t kSectionChunk = 64 * 1024;

// Where a read failed, for the message.
enum class Place { kTag, kHeader, kCodes, kVariables, kSections };

std::string_view PlaceName(Place place) {
  switch (place) {
    case Place::kTag: return "バージョン";
    case Place::kHeader: return "モード設定";
    case Place::kCodes: return "コード表";
    case Place::kVariables: return "変数設定";
    case Place::kSections: return "セクション";
  }
  return "";
}

// A reader that remembers the first place a read failed.
class Reader {
 public:
  explicit Reader(RecordFile& in) : in_(in) {}

  bool ok() const { return ok_; }
  Place place() const { return place_; }
  void At(Place place) {
    if (ok_) place_ = place;
  }
  void Fail() { ok_ = false; }

  std::int32_t Int() {
    std::int32_t v = 0;
    if (ok_ && !in_.ReadInt(&v)) ok_ = false;
    return v;
  }
  std::uint32_t Uint() {
    std::uint32_t v = 0;
    if (ok_ && !in_.ReadUint(&v)) ok_ = false;
    return v;
  }
  std::uint8_t Byte() {
    std::uint8_t v = 0;
    if (ok_ && !in_.ReadByte(&v)) ok_ = false;
    return v;
  }
  double Double() {
    double v = 0.0;
    if (ok_ && !in_.ReadDouble(&v)) ok_ = false;
    return v;
  }
  std::string String() {
    std::string v;
    if (ok_ && !in_.ReadString(&v)) ok_ = false;
    return v;
  }
  // A string cut to `max_bytes` without splitting a double-byte character.
  std::string String(std::size_t max_bytes) {
    std::string v = String();
    v.resize(CutCp932(v, max_bytes).size());
    return v;
  }
  std::string Bytes(std::uint32_t length) {
    std::string v;
    std::size_t left = length;
    while (ok_ && left > 0) {
      std::size_t n = std::min(left, kSectionChunk);
      std::size_t at = v.size();
      v.resize(at + n);
      if (in_.ReadBytes(v.data() + at, n) != n) ok_ = false;
      left -= n;
    }
    return v;
  }

 private:
  RecordFile& in_;
  bool ok_ = true;
  Place place_ = Place::kTag;
};

void ReadNumberFormat(Reader& in, int record_version, NumberFormat* f) {
  f->leading_zeros = in.Byte();
  f->trailing_zeros = in.Byte();
  f->plus_sign = in.Byte();
  f->calc_mode = in.Byte();
  f->integer_digits = in.Uint();
  f->decimal_digits = in.Uint();
  f->formula = f->calc_mode != 0 ? in.String() : std::string();
  f->time_format = record_version >= 3 ? in.Byte() : 0;
  f->decimal_point_flag = record_version >= 4 ? in.Byte() : 0;
  f->suppress_zero = record_version >= 370 ? in.Byte() : 0;
}

VariableSetting ReadVariableSetting(Reader& in, int record_version) {
  VariableSetting s;
  s.id = in.Int();
  s.message = in.String(kMessageFieldSize);
  s.text_only = in.Uint();
  s.modal = in.Byte();
  s.flag_a = in.Byte();
  if (record_version >= 2) {
    s.ask_mode = in.Byte();
    s.value = in.String();
  } else {
    s.ask_mode = s.modal ? 2 : 1;
  }
  if (record_version >= 3) {
    s.reset_at_file_head = in.Byte();
    s.use_value = in.Byte();
  }
  s.flag_b = record_version >= 360 ? in.Byte() : 1;
  ReadNumberFormat(in, record_version, &s.format);
  return s;
}

// Reads "int count, count x {key; text}" over `codes` (entries of the file
// replace those of equal key).
void ReadCodes(Reader& in, CodeTable* codes) {
  in.At(Place::kCodes);
  std::int32_t count = in.Int();
  if (count < 0) in.Fail();
  for (std::int32_t i = 0; in.ok() && i < count; ++i) {
    std::string key = in.String(kCodeFieldSize);
    std::string text = in.String(kCodeFieldSize);
    if (in.ok()) codes->Set(key, text);
  }
}

// Reads "int count, count x VariableSetting" into `table`: each record
// replaces the setting of equal id or is added.
void ReadVariables(Reader& in, int record_version, VariableSettingTable* table) {
  in.At(Place::kVariables);
  std::int32_t count = in.Int();
  if (count < 0) in.Fail();
  for (std::int32_t i = 0; in.ok() && i < count; ++i) {
    VariableSetting setting = ReadVariableSetting(in, record_version);
    if (in.ok()) table->Put(std::move(setting));
  }
}

// Reads "int count, count x {id; length; bytes}" into the first slots of
// `sections`, which has room for `capacity` of them; the slots in use become
// at least `count`.  More sections than
// that is a corrupt file: there is nowhere to keep them.
void ReadSections(Reader& in, int capacity, SectionTable* sections) {
  in.At(Place::kSections);
  std::int32_t count = in.Int();
  if (count < 0 || count > capacity) in.Fail();
  if (in.ok()) sections->count = std::max(sections->count, count);
  for (std::int32_t i = 0; in.ok() && i < count; ++i) {
    FormatSection& section = sections->slots[i];
    section.id = in.Int();
    std::uint32_t length = in.Uint();
    section.text = in.Bytes(length);
  }
}

void AddMissingCodes(int version, CodeTable* codes) {
  if (version < 350) codes->AddIfMissing("G06_CODE", "G06.2");
  if (version < 370) {
    codes->AddIfMissing("G17_CODE", "G17");
    codes->AddIfMissing("G18_CODE", "G18");
    codes->AddIfMissing("G19_CODE", "G19");
  }
  if (version < 420) {
    codes->AddIfMissing("CYC_BORING", "G85");
    codes->AddIfMissing("CYC_BORESTOP", "G86");
    codes->AddIfMissing("CYC_BACKBORE", "G87");
    codes->AddIfMissing("CYC_BOREMANU", "G88");
    codes->AddIfMissing("CYC_BOREFEED", "G89");
  }
}

// Files of 2.3 and 2.7 stored byte 0 of the split mode the other way round.
std::int32_t ConvertOldSplitMode(std::int32_t packed) {
  SplitModeBlock split = SplitModeBlock::Unpack(packed);
  split.methods = split.methods == 1 ? 0 : 1;
  return split.Pack();
}

// The header of files from 3.50 on, by FormatVersion.
void ReadHeader(Reader& in, int v, double feed_at_rapid, PostDefinition* def) {
  in.At(Place::kHeader);
  def->coordinate_mode = CoordinateModeBlock::Unpack(in.Int());
  def->split_mode = SplitModeBlock::Unpack(in.Int());
  def->process_sheet = ProcessSheetBlock::Unpack(in.Int());
  def->sheet_unit = in.Int();
  def->sheet_name_source = v > 350 ? in.Int() : 0;
  def->tape_length = v >= 360 ? in.Int() : 0;
  def->machining_time = v >= 360 ? in.Int() : 0;
  def->split_position = v >= 360 ? in.Int() : 0;
  def->tiny_arc_as_circle = v >= 380 ? in.Int() : 1;
  def->sheet_to_spreadsheet = v >= 390 ? in.Int() : 0;
  def->rigid_tap = v >= 392 ? in.Int() : 0;
  def->min_unit_digits = v >= 400 ? in.Int() : 3;
  def->split_large_arcs = v >= 400 ? in.Int() : 0;
  def->rapid_feed = v >= 410 ? in.Double() : feed_at_rapid;
  def->machining_length = v >= 410 ? in.Int() : 0;
  def->serial_number = v >= 420 ? in.Int() : 0;
}

// The body of every known version after the tag, into `def`.
void ReadBody(Reader& in, int v, const VariableDictionary& dict, double feed_at_rapid,
              PostDefinition* def) {
  const PostDefinition defaults;
  int record_version = v;
  int section_capacity = kSectionSlots;
  bool add_codes = true;
  bool codes_over_defaults = false;

  in.At(Place::kHeader);
  if (v >= 350) {
    ReadHeader(in, v, feed_at_rapid, def);
  } else if (v == 340 || v == 341) {
    def->coordinate_mode = CoordinateModeBlock::Unpack(in.Int());
    def->split_mode = SplitModeBlock::Unpack(in.Int());
    def->process_sheet = ProcessSheetBlock::Unpack(in.Int());
    def->sheet_unit = v == 341 ? in.Int() : 0;
    def->sheet_name_source = 0;
    record_version = 3;
  } else if (v == 212 || v == 300) {
    def->coordinate_mode = CoordinateModeBlock::Unpack(in.Int());
    def->split_mode = SplitModeBlock::Unpack(in.Int());
    def->process_sheet = ProcessSheetBlock::Unpack(in.Int());
    record_version = 2;
    add_codes = false;
  } else {  // 200, 230, 270
    if (v == 200) {
      std::int32_t output_mode = in.Int();
      std::int32_t start_point = in.Int();
      def->coordinate_mode.output_mode = static_cast<std::uint8_t>(output_mode);
      def->coordinate_mode.start_point = static_cast<std::uint8_t>(start_point);
      def->coordinate_mode.error_digits = 3;
      codes_over_defaults = true;
    } else {
      def->coordinate_mode = CoordinateModeBlock::Unpack(in.Int());
    }
    def->split_mode = SplitModeBlock::Unpack(ConvertOldSplitMode(in.Int()));
    def->process_sheet = defaults.process_sheet;
    def->sheet_unit = 0;
    def->sheet_name_source = 0;
    record_version = 1;
    section_capacity = kOldSectionSlots;
    add_codes = false;
  }

  def->codes = codes_over_defaults ? CodeTable::Defaults() : CodeTable();
  ReadCodes(in, &def->codes);
  if (add_codes) AddMissingCodes(v, &def->codes);

  def->variables = VariableSettingTable::FromDictionary(dict);
  ReadVariables(in, record_version, &def->variables);

  // The oldest layouts copy their sections into a table of 20 slots.
  def->sections = SectionTable::EmptySlots(
      section_capacity == kOldSectionSlots ? kOldSectionSlots : 0);
  ReadSections(in, section_capacity, &def->sections);
  // Files before 3.50 had no NURBS sections; the two new slots are added
  // empty.  A file with fewer than 20 sections gets the missing slots too,
  // so that every section is found in the slot of its id.
  if (in.ok() && v >= 340 && v < 350) def->sections.count = kSectionSlots;
}

DefinitionResult Failure(DefinitionStatus status, std::string error) {
  DefinitionResult result;
  result.status = status;
  result.error = std::move(error);
  return result;
}

std::string CorruptMessage(Place place) {
  return "定義ファイルが途中で終わっているか壊れています（" +
         std::string(PlaceName(place)) + "）。";
}

// Reads the tag into `result`; false when even the tag cannot be read.
bool ReadTag(Reader& in, DefinitionResult* result) {
  in.At(Place::kTag);
  std::string tag = in.String(100);
  if (!in.ok()) return false;
  result->version_tag = std::move(tag);
  result->format_version = FormatVersionOfTag(result->version_tag);
  return true;
}

void NamePath(const std::string& path, DefinitionResult* result) {
  if (result->ok() || path.empty()) return;
  // The file layer's own messages already start with the path.
  const std::string prefix = path + ": ";
  if (result->error.compare(0, prefix.size(), prefix) == 0) return;
  result->error = prefix + result->error;
}

bool FitsStringLimit(const PostDefinition& def, std::string* err) {
  for (const auto& [id, setting] : def.variables.settings) {
    if (setting.value.size() > RecordFile::kStringBufferSize ||
        setting.format.formula.size() > RecordFile::kStringBufferSize) {
      *err = "変数 " + std::to_string(id) + " の値か計算式が " +
             std::to_string(RecordFile::kStringBufferSize) +
             " バイトを超えていて、読み戻せません。";
      return false;
    }
  }
  return true;
}

void WriteBody(const PostDefinition& def, RecordFile& out) {
  out.WriteString(kCurrentVersionTag);
  out.WriteInt(def.coordinate_mode.Pack());
  out.WriteInt(def.split_mode.Pack());
  out.WriteInt(def.process_sheet.Pack());
  out.WriteInt(def.sheet_unit);
  out.WriteInt(def.sheet_name_source);
  out.WriteInt(def.tape_length);
  out.WriteInt(def.machining_time);
  out.WriteInt(def.split_position);
  out.WriteInt(def.tiny_arc_as_circle);
  out.WriteInt(def.sheet_to_spreadsheet);
  out.WriteInt(def.rigid_tap);
  out.WriteInt(def.min_unit_digits);
  out.WriteInt(def.split_large_arcs);
  out.WriteDouble(def.rapid_feed);
  out.WriteInt(def.machining_length);
  out.WriteInt(def.serial_number);

  out.WriteInt(static_cast<std::int32_t>(def.codes.size()));
  for (const auto& [key, text] : def.codes.entries) {
    out.WriteString(CutCp932(key, kCodeFieldSize));
    out.WriteString(CutCp932(text, kCodeFieldSize));
  }

  out.WriteInt(static_cast<std::int32_t>(def.variables.size()));
  for (const auto& [id, s] : def.variables.settings) {
    out.WriteInt(id);
    out.WriteString(CutCp932(s.message, kMessageFieldSize));
    out.WriteUint(s.text_only);
    out.WriteByte(s.modal);
    out.WriteByte(s.flag_a);
    out.WriteByte(s.ask_mode);
    out.WriteString(s.value);
    out.WriteByte(s.reset_at_file_head);
    out.WriteByte(s.use_value);
    out.WriteByte(s.flag_b);
    const NumberFormat& f = s.format;
    out.WriteByte(f.leading_zeros);
    out.WriteByte(f.trailing_zeros);
    out.WriteByte(f.plus_sign);
    out.WriteByte(f.calc_mode);
    out.WriteUint(f.integer_digits);
    out.WriteUint(f.decimal_digits);
    if (f.calc_mode != 0) out.WriteString(f.formula);
    out.WriteByte(f.time_format);
    out.WriteByte(f.decimal_point_flag);
    out.WriteByte(f.suppress_zero);
  }

  int count = std::clamp(def.sections.count, 0, kSectionSlots);
  out.WriteInt(count);
  for (int i = 0; i < count; ++i) {
    const FormatSection& section = def.sections.slots[i];
    out.WriteInt(section.id);
    out.WriteUint(static_cast<std::uint32_t>(section.text.size()));
    out.WriteBytes(section.text.data(), section.text.size());
  }
}

}  // namespace

int FormatVersionOfTag(std::string_view tag) {
  for (const VersionTag& known : kVersionTags) {
    if (known.tag == tag) return known.version;
  }
  return 0;
}

bool WriteDefinition(const PostDefinition& def, RecordFile& out) {
  std::string err;
  if (!FitsStringLimit(def, &err)) return false;
  WriteBody(def, out);
  return !out.failed();
}

std::string WriteDefinitionBytes(const PostDefinition& def) {
  std::string bytes;
  RecordFile out;
  out.OpenMemoryWriter(&bytes, RecordFile::Encoding::kBinary);
  WriteBody(def, out);
  out.Close();
  return bytes;
}

DefinitionResult SaveDefinitionFile(const std::string& path, const PostDefinition& def) {
  DefinitionResult result;
  result.version_tag = std::string(kCurrentVersionTag);
  result.format_version = kCurrentFormatVersion;
  std::string err;
  if (!FitsStringLimit(def, &err) ||
      !WriteFileAtomically(path, WriteDefinitionBytes(def), &err)) {
    result.status = DefinitionStatus::kWriteFailed;
    result.error = err;
    NamePath(path, &result);
  }
  return result;
}

DefinitionResult ImportDefinition(RecordFile& in, const VariableDictionary& dict,
                                  double feed_at_rapid, PostDefinition* def) {
  Reader reader(in);
  DefinitionResult result;
  if (!ReadTag(reader, &result) || result.format_version == 0) {
    std::string tag = std::move(result.version_tag);
    result = Failure(DefinitionStatus::kUnknownTag, std::string(kTextInvalidOrOldFile));
    result.version_tag = std::move(tag);
    return result;
  }
  // Read into a copy: the fields an old layout lacks keep the current values,
  // and a failed read leaves the current definition as it was.
  PostDefinition scratch = *def;
  ReadBody(reader, result.format_version, dict, feed_at_rapid, &scratch);
  if (!reader.ok()) {
    result.status = DefinitionStatus::kCorrupt;
    result.error = CorruptMessage(reader.place());
    return result;
  }
  *def = std::move(scratch);
  return result;
}

DefinitionResult ImportDefinitionBytes(std::string_view bytes,
                                       const VariableDictionary& dict,
                                       double feed_at_rapid, PostDefinition* def) {
  RecordFile in;
  in.OpenMemory(bytes, RecordFile::Encoding::kBinary);
  return ImportDefinition(in, dict, feed_at_rapid, def);
}

DefinitionResult ImportDefinitionFile(const std::string& path,
                                      const VariableDictionary& dict,
                                      double feed_at_rapid, PostDefinition* def) {
  RecordFile in;
  DefinitionResult result;
  if (!in.Open(path, RecordFile::Direction::kRead, RecordFile::Encoding::kBinary)) {
    result = Failure(DefinitionStatus::kCannotOpen, "ファイルを開けません。");
  } else {
    result = ImportDefinition(in, dict, feed_at_rapid, def);
  }
  NamePath(path, &result);
  return result;
}

DefinitionResult LoadDefinitionForRun(RecordFile& in, PostDefinition* def) {
  Reader reader(in);
  DefinitionResult result;
  if (!ReadTag(reader, &result)) {
    return Failure(DefinitionStatus::kCorrupt, CorruptMessage(Place::kTag));
  }
  if (result.format_version < 370) {
    std::string tag = std::move(result.version_tag);
    result = Failure(DefinitionStatus::kUnknownTag,
                     "古いバージョン(" + Cp932ToUtf8(tag) + ")のTLVファイルです。");
    result.version_tag = std::move(tag);
    return result;
  }
  const int v = result.format_version;
  PostDefinition loaded;
  ReadHeader(reader, v, 10000.0, &loaded);
  // The run's defaults differ from the editor's for large arcs.
  if (v < 400) loaded.split_large_arcs = 1;
  loaded.codes = CodeTable();
  ReadCodes(reader, &loaded.codes);
  loaded.variables = VariableSettingTable();
  ReadVariables(reader, kCurrentRecordVersion, &loaded.variables);
  loaded.sections = SectionTable::EmptySlots(0);
  ReadSections(reader, kSectionSlots, &loaded.sections);
  if (!reader.ok()) {
    result.status = DefinitionStatus::kCorrupt;
    result.error = CorruptMessage(reader.place());
    return result;
  }
  *def = std::move(loaded);
  return result;
}

DefinitionResult LoadDefinitionForRunBytes(std::string_view bytes, PostDefinition* def) {
  RecordFile in;
  in.OpenMemory(bytes, RecordFile::Encoding::kBinary);
  return LoadDefinitionForRun(in, def);
}

DefinitionResult LoadDefinitionForRunFile(const std::string& path, PostDefinition* def) {
  RecordFile in;
  DefinitionResult result;
  if (!in.Open(path, RecordFile::Direction::kRead, RecordFile::Encoding::kBinary)) {
    result = Failure(DefinitionStatus::kCannotOpen, "ファイルを開けません。");
  } else {
    result = LoadDefinitionForRun(in, def);
  }
  NamePath(path, &result);
  return result;
}

}  // namespace tlv
