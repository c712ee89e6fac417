// TLVP: the post-processor's entry.
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/settings_store.h"
#include "post/command_line.h"
#include "post/pipeline_job.h"
#include "post/run_entry.h"
#ifdef TLV_TLVP_WITH_QT
#include "post_windows/window_front_end.h"
#endif

int main(int argc, char** argv) {
#ifdef TLV_TLVP_WITH_QT
  // Offered only: MakePrompts decides by TLV_UI and the display.
  tlv::RegisterWindowFrontEnd();
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
