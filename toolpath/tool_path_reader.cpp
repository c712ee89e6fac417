#include "toolpath/tool_path_reader.h"

#include "platform/numbers.h"

#include <charconv>
#include <cstring>

namespace tlv {

namespace {

// True when the text after "_" of a header line is exactly the decimal kind.
bool IsHeaderOf(std::string_view line, int32_t kind) {
  char digits[16];
  auto r = std::to_chars(digits, digits + sizeof digits, kind);
  return line.substr(1) == std::string_view(digits, static_cast<size_t>(r.ptr - digits));
}

// Reads a field id or an integer value like atoi, with a short way for the
// plain digits that nearly every line holds.
int32_t ReadInt(std::string_view text) {
  if (!text.empty() && text.size() <= 9) {
    int32_t value = 0;
    for (char c : text) {
      if (c < '0' || c > '9') return ParseLeadingInt(text);
      value = value * 10 + (c - '0');
    }
    return value;
  }
  return ParseLeadingInt(text);
}

// As ParseFieldLine, with the position of the first "=" known.
void ParseField(std::string_view line, size_t equals, RecordField* field) {
  // Only the text between the lead character and "=" can hold the id.
  field->id = equals > 1 ? ReadInt(line.substr(1, equals - 1)) : 0;
  char type = equals + 1 < line.size() ? line[equals + 1] : '\0';
  std::string_view value = equals + 3 <= line.size() ? line.substr(equals + 3) : std::string_view();
  switch (type) {
    case '0':
      field->kind = FieldKind::kText;
      field->text.assign(value);
      field->number = 0;
      break;
    case '1':
      field->kind = FieldKind::kNumber;
      field->text.clear();
      field->number = ParseLeadingDouble(value);
      break;
    case '2':
      field->kind = FieldKind::kNumber;
      field->text.clear();
      field->number = ReadInt(value);
      break;
    default:
      field->kind = FieldKind::kNoValue;
      field->text.clear();
      field->number = 0;
      break;
  }
}

}  // namespace

void ParseFieldLine(std::string_view line, RecordField* field) {
  size_t equals = line.find('=');
  ParseField(line, equals == std::string_view::npos ? line.size() : equals, field);
}

bool ToolPathReader::Open(const std::string& path) {
  cut_lines_ = 0;
  shared_cursor_.reset();
  own_cursors_.clear();
  cursors_failed_ = false;
  from_memory_ = false;
  return file_.Open(path, RecordFile::Direction::kRead, RecordFile::Encoding::kToken);
}

bool ToolPathReader::OpenMemory(std::string_view text) {
  cut_lines_ = 0;
  shared_cursor_.reset();
  own_cursors_.clear();
  cursors_failed_ = false;
  from_memory_ = true;
  memory_ = text;
  return file_.OpenMemory(text, RecordFile::Encoding::kToken);
}

void ToolPathReader::Close() {
  file_.Close();
  shared_cursor_.reset();
  own_cursors_.clear();
}

int ToolPathReader::ReadNextRecord(ToolPathRecord* record) {
  record->count = 0;
  if (!file_.is_open()) return 0;
  std::string_view line;
  // Lines before a header line belong to no record.
  do {
    if (!ReadLine(&line, true)) return 0;
  } while (line.empty() || line[0] != '_');

  RecordField& head = record->slots[0];
  head.id = ReadInt(line.substr(1));
  head.kind = FieldKind::kNoValue;
  head.text.clear();
  head.number = 0;
  int count = 1;
  // The record ends before the next header line, which is left unread.
  while (file_.PeekByte() != '_' && ReadLine(&line, true)) {
    const void* equals = std::memchr(line.data(), '=', line.size());
    if (equals == nullptr) continue;
    ParseField(line, static_cast<size_t>(static_cast<const char*>(equals) - line.data()),
               &record->slots[count]);
    ++count;
    if (count == ToolPathRecord::kCapacity) {
      // Full: the next read skips the record's remaining field lines while
      // looking for a header.
      break;
    }
  }
  record->count = count;
  return count;
}

int64_t ToolPathReader::NextHeader(int32_t kind, int64_t at) {
  auto open = [&](HeaderCursor& cursor) {
    return from_memory_ ? cursor.OpenMemory(memory_, at) : cursor.Open(file_.path(), at);
  };
  for (auto& cursor : own_cursors_) {
    if (cursor->Watches(kind)) return cursor->NextAtOrAfter(kind, at);
  }
  if (cursors_failed_) return HeaderCursor::kUnknown;
  if (!shared_cursor_) {
    auto cursor = std::make_unique<HeaderCursor>(kind, cursor_buffer_size_);
    cursor->Watch(kProcessStart);
    if (!open(*cursor)) {
      cursors_failed_ = true;
      return HeaderCursor::kUnknown;
    }
    shared_cursor_ = std::move(cursor);
  }
  if (shared_cursor_->Watches(kind)) {
    const int64_t found = shared_cursor_->NextAtOrAfter(kind, at);
    if (found != HeaderCursor::kUnknown) return found;
  }
  if (own_cursors_.size() == kMaxCursors) return HeaderCursor::kUnknown;
  auto cursor = std::make_unique<HeaderCursor>(kind, cursor_buffer_size_);
  if (!open(*cursor)) {
    cursors_failed_ = true;
    return HeaderCursor::kUnknown;
  }
  own_cursors_.push_back(std::move(cursor));
  return own_cursors_.back()->NextAtOrAfter(kind, at);
}

bool ToolPathReader::FindAhead(int32_t kind, bool restore) {
  if (!file_.is_open()) return false;
  if (restore) {
    const int64_t found = NextHeader(kind, file_.Tell());
    if (found != HeaderCursor::kUnknown) return found != HeaderCursor::kNone;
  }
  return ScanAhead(kind, restore);
}

bool ToolPathReader::ScanAhead(int32_t kind, bool restore) {
  file_.SavePosition();
  std::string_view line;
  bool found = false;
  while (ReadLine(&line, false)) {
    if (!line.empty() && line[0] == '_' && IsHeaderOf(line, kind)) {
      found = true;
      break;
    }
  }
  if (restore) {
    file_.BackToSaved();
  } else if (found) {
    file_.BackToLast();
  }
  return found;
}

bool ToolPathReader::ComesBefore(int32_t kind) {
  if (!file_.is_open()) return false;
  const int64_t at = file_.Tell();
  const int64_t found = NextHeader(kind, at);
  if (found == HeaderCursor::kUnknown) return ScanComesBefore(kind);
  if (found == HeaderCursor::kNone) return false;
  if (kind == kProcessStart) return true;
  const int64_t stop = NextHeader(kProcessStart, at);
  if (stop == HeaderCursor::kUnknown) return ScanComesBefore(kind);
  return stop == HeaderCursor::kNone || found < stop;
}

bool ToolPathReader::ScanComesBefore(int32_t kind) {
  file_.SavePosition();
  std::string_view line;
  bool found = false;
  while (ReadLine(&line, false)) {
    if (line.empty() || line[0] != '_') continue;
    if (IsHeaderOf(line, kind)) {
      found = true;
      break;
    }
    if (IsHeaderOf(line, kProcessStart)) break;
  }
  file_.BackToSaved();
  return found;
}

}  // namespace tlv
