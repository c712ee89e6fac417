// TLVP: the post-processor's entry.
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/settings_store.h"
#include "post/command_line.h"
#include "post/pipeline_job.h"
#include "post/run_entry.h"
#ifdef TLV_TLVP_WITH_QT
#include <cstdio>

#include "post/window_module.h"
#endif

int main(int argc, char** argv) {
#ifdef TLV_TLVP_WITH_QT
  // Offered only: MakePrompts decides by TLV_UI and the display.
  const std::string why = tlv::LoadWindowModule(tlv::ExecutableDirectory());
  if (!why.empty()) std::fprintf(stderr, "%s\n", why.c_str());
#endif
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
