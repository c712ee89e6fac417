// TLVP: the post-processor's entry.
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/settings_store.h"
#include "post/command_line.h"
#include "post/pipeline_job.h"
#include "post/run_entry.h"

int main(int argc, char** argv) {
  tlv::SettingsStore store = tlv::SettingsStore::OpenDefault();
  std::unique_ptr<tlv::Prompts> prompts = tlv::MakePrompts();
  std::unique_ptr<tlv::Job> job = tlv::MakePipelineJob();
  tlv::RunEnvironment env;
  env.command_line = tlv::JoinArguments(argc, argv);
  env.start_directory = tlv::CurrentDirectory();
  env.prompts = prompts.get();
  env.store = &store;
  return tlv::RunTlvp(env, *job);
}
