// TLVP with a stand-in job, for the end-to-end tests of the run entry.  The
// job says what it was given on standard output, fails when the definition
// file begins with "fail", and otherwise copies the tool-path file it reads
// to the slot's output path.
#include <cstdio>
#include <string>

#include "platform/file_contents.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/settings_store.h"
#include "post/command_line.h"
#include "post/job.h"
#include "post/run_entry.h"
#include "post/run_messages.h"
#include "post/run_settings.h"

namespace {

class CopyJob : public tlv::Job {
 public:
  bool Run(tlv::RunSettings& settings, int slot_index,
           const tlv::JobServices& services) override {
    const tlv::JobSlot& slot = settings.slots[slot_index];
    services.messages->Out("[test job] slot " + std::to_string(slot_index + 1) +
                 " input " + settings.input_path + " db " +
                 (slot.database_mode ? "1" : "0") + "\n");
    std::string definition, err;
    if (!tlv::ReadFileBytes(slot.definition_path, &definition, &err)) return false;
    if (definition.rfind("fail", 0) == 0) return false;
    return tlv::CopyFile(settings.input_path, slot.output_path, &err);
  }
};

}  // namespace

int main(int argc, char** argv) {
  tlv::SettingsStore store = tlv::SettingsStore::OpenDefault();
  std::unique_ptr<tlv::Prompts> prompts = tlv::MakePrompts();
  CopyJob job;
  tlv::RunEnvironment env;
  env.command_line = tlv::JoinArguments(argc, argv);
  env.start_directory = tlv::CurrentDirectory();
  env.prompts = prompts.get();
  env.store = &store;
  return tlv::RunTlvp(env, job);
}
