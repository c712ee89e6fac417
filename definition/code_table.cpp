#include "definition/code_table.h"

#include "platform/text_encoding.h"

namespace tlv {

CodeTable CodeTable::Defaults() {
  CodeTable table;
  for (const CodeDefault& code : kDefaultCodes) {
    table.entries.emplace(std::string(code.key), std::string(code.text));
  }
  return table;
}

const std::string* CodeTable::Find(std::string_view key) const {
  auto it = entries.find(key);
  return it == entries.end() ? nullptr : &it->second;
}

std::string_view CodeTable::Text(std::string_view key) const {
  const std::string* text = Find(key);
  return text ? std::string_view(*text) : std::string_view();
}

void CodeTable::Set(std::string_view key, std::string_view text) {
  std::string_view cut_key = CutCp932(key, kCodeFieldSize);
  std::string_view cut_text = CutCp932(text, kCodeFieldSize);
  auto it = entries.find(cut_key);
  if (it != entries.end()) {
    it->second.assign(cut_text);
  } else {
    entries.emplace(std::string(cut_key), std::string(cut_text));
  }
}

bool CodeTable::AddIfMissing(std::string_view key, std::string_view text) {
  if (Find(CutCp932(key, kCodeFieldSize))) return false;
  Set(key, text);
  return true;
}

}  // namespace tlv
