// Arbitrary bytes as the variable dictionary: as the binary file (from
// memory and through a file stream) and as its source text.
//  - Binary: whatever reads writes back to bytes that read to the same
//    dictionary; a failed read leaves the dictionary empty with a message.
//  - Source: whatever parses formats to a source that parses to the same
//    dictionary, and that builds the same binary; a rejected text names the
//    place as "file:line: ".
//  - A binary dictionary turned into source text either parses back to the
//    same dictionary or is refused with a message; it never silently
//    changes an entry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "definition/variable_dictionary.h"
#include "platform/record_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckFits(const tlv::VariableDictionary& dict) {
  for (const auto& [id, entry] : dict.entries()) {
    Check(entry.id == id);
    Check(entry.name.size() <= tlv::kDictFieldSize && entry.text.size() <= tlv::kDictFieldSize);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // Binary.
  tlv::VariableDictionary binary;
  std::string err;
  const bool binary_ok = tlv::ReadDictionaryBytes(bytes, &binary, &err);
  if (binary_ok) {
    CheckFits(binary);
    const std::string written = tlv::WriteDictionaryBytes(binary);
    tlv::VariableDictionary again;
    Check(tlv::ReadDictionaryBytes(written, &again, &err) && again == binary);
    Check(tlv::WriteDictionaryBytes(again) == written);
  } else {
    Check(binary.empty() && !err.empty());
  }
  {
    // The stream reader with a small buffer agrees with the memory reader.
    tlv::RecordFile in(16);
    Check(in.OpenMemory(bytes, tlv::RecordFile::Encoding::kBinary));
    tlv::VariableDictionary streamed;
    std::string stream_err;
    Check(tlv::ReadDictionary(in, &streamed, &stream_err) == binary_ok);
    Check(streamed == binary);
  }

  // Binary to source and back.
  if (binary_ok) {
    tlv::VariableDictionary parsed;
    std::string parse_err;
    if (tlv::ParseDictionarySource(tlv::FormatDictionarySource(binary), "dump", &parsed,
                                   &parse_err)) {
      // Text that is not valid CP932 cannot come back byte for byte through
      // UTF-8; everything else must.
      bool plain = true;
      for (const auto& [id, entry] : binary.entries()) {
        for (unsigned char c : entry.name + entry.text) {
          if (c >= 0x80 || c < 0x20) plain = false;
        }
      }
      if (plain) Check(parsed == binary);
      Check(parsed.size() == binary.size());
    } else {
      Check(parse_err.starts_with("dump:"));
    }
  }

  // Source text.
  tlv::VariableDictionary source;
  err.clear();
  if (tlv::ParseDictionarySource(bytes, "fuzz.txt", &source, &err)) {
    CheckFits(source);
    const std::string text = tlv::FormatDictionarySource(source);
    tlv::VariableDictionary again;
    std::string again_err;
    Check(tlv::ParseDictionarySource(text, "again.txt", &again, &again_err));
    Check(again == source);
    Check(tlv::FormatDictionarySource(again) == text);
    tlv::VariableDictionary built;
    Check(tlv::ReadDictionaryBytes(tlv::WriteDictionaryBytes(source), &built, &again_err) &&
          built == source);
  } else {
    Check(source.empty() && err.starts_with("fuzz.txt:"));
  }
  return 0;
}
