// Feeds arbitrary bytes to the readers of definition files, the dictionary
// and the machine data file.  Whatever a reader accepts must write back and
// read again to the same model.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "definition/definition_file.h"
#include "definition/machine_data.h"
#include "definition/variable_dictionary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  tlv::VariableDictionary dict;
  dict.Put({"X_CORD", "X", 10, tlv::kKindNumber, 1, tlv::kDictInEveryDefinition});

  tlv::PostDefinition def = tlv::NewPostDefinition(dict);
  if (tlv::ImportDefinitionBytes(bytes, dict, 10000.0, &def).ok()) {
    tlv::PostDefinition again = tlv::NewPostDefinition(dict);
    std::string written = tlv::WriteDefinitionBytes(def);
    if (!tlv::ImportDefinitionBytes(written, dict, 1.0, &again).ok() ||
        tlv::WriteDefinitionBytes(again) != written) {
      std::abort();
    }
  }
  tlv::PostDefinition run;
  if (tlv::LoadDefinitionForRunBytes(bytes, &run).ok()) {
    tlv::PostDefinition again;
    std::string written = tlv::WriteDefinitionBytes(run);
    if (!tlv::LoadDefinitionForRunBytes(written, &again).ok() ||
        tlv::WriteDefinitionBytes(again) != written) {
      std::abort();
    }
  }

  tlv::VariableDictionary read;
  std::string err;
  if (tlv::ReadDictionaryBytes(bytes, &read, &err)) {
    tlv::VariableDictionary again;
    if (!tlv::ReadDictionaryBytes(tlv::WriteDictionaryBytes(read), &again, &err) ||
        !(again == read)) {
      std::abort();
    }
  }
  tlv::ParseDictionarySource(bytes, "fuzz", &read, &err);

  tlv::MachineData machine;
  tlv::ReadMachineData(bytes, &machine);
  return 0;
}
