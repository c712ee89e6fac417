// Arbitrary bytes as the text form of a definition, read with the shipped
// dictionary.  A rejected text names the place ("file:line: message").  An
// accepted one is stable: its text form reads back to a definition of the
// same file bytes and the same text; and a definition the writer agrees to
// write is one the post-processor's loader reads back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "definition/definition_file.h"
#include "definition/post_definition.h"
#include "definition/text_form.h"
#include "definition/variable_dictionary.h"
#include "platform/file_contents.h"
#include "platform/record_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

const tlv::VariableDictionary& Dictionary() {
  static const tlv::VariableDictionary dict = [] {
    const std::string path = std::string(TLV_SOURCE_DIR) + "/data/dictionary.txt";
    std::string text, err;
    tlv::VariableDictionary d;
    if (!tlv::ReadFileBytes(path, &text, &err) ||
        !tlv::ParseDictionarySource(text, path, &d, &err)) {
      std::fprintf(stderr, "%s\n", err.c_str());
      std::abort();
    }
    return d;
  }();
  return dict;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const tlv::VariableDictionary& dict = Dictionary();

  tlv::PostDefinition def;
  std::string err;
  if (!tlv::ParseTextForm(text, "fuzz.txt", dict, &def, &err)) {
    Check(err.starts_with("fuzz.txt:") && err.size() > 10);
    return 0;
  }

  const std::string form = tlv::FormatTextForm(def, dict);
  tlv::PostDefinition again;
  if (!tlv::ParseTextForm(form, "again.txt", dict, &again, &err)) {
    std::fprintf(stderr, "text form does not read back: %s\n", err.c_str());
    std::abort();
  }
  const std::string bytes = tlv::WriteDefinitionBytes(def);
  Check(tlv::WriteDefinitionBytes(again) == bytes);
  Check(tlv::FormatTextForm(again, dict) == form);

  std::string checked;
  tlv::RecordFile out;
  Check(out.OpenMemoryWriter(&checked, tlv::RecordFile::Encoding::kBinary));
  const bool writable = tlv::WriteDefinition(def, out);
  const bool closed = out.Close();
  if (writable) {
    Check(closed && checked == bytes);
    tlv::PostDefinition loaded;
    const tlv::DefinitionResult r = tlv::LoadDefinitionForRunBytes(bytes, &loaded);
    if (!r.ok()) {
      std::fprintf(stderr, "written definition does not load: %s\n", r.error.c_str());
      std::abort();
    }
    Check(tlv::WriteDefinitionBytes(loaded) == bytes);
  }
  return 0;
}
