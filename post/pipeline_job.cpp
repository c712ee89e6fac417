#include "post/pipeline_job.h"

#include <cmath>
#include <limits>
#include <optional>

#include "definition/definition_file.h"
#include "definition/post_definition.h"
#include "definition/variable_dictionary.h"
#include "platform/progress_line.h"
#include "platform/text_encoding.h"
#include "post/record_driver.h"
#include "post/run_messages.h"
#include "post/run_settings.h"
#include "sheet/procedure_parameters.h"

namespace tlv {
namespace {

// The definition's rapid feed as the run's whole-number rate; a value that
// is no number or out of range counts as not set.
int RapidFeedRate(double feed) {
  if (!(feed > 0)) return 0;
  if (feed >= static_cast<double>(std::numeric_limits<int>::max())) {
    return std::numeric_limits<int>::max();
  }
  return static_cast<int>(feed);
}

class PipelineJob : public Job {
 public:
  bool Run(RunSettings& settings, int slot_index, const JobServices& services) override {
    RunMessages& messages = *services.messages;
    const JobSlot& slot = settings.slots[slot_index];
    const std::string& path = slot.definition_path;

    PostDefinition definition;
    DefinitionResult loaded = LoadDefinitionForRunFile(path, &definition);
    if (loaded.status == DefinitionStatus::kUnknownTag) {
      const std::string tag = Cp932ToUtf8(loaded.version_tag);
      messages.Out("Error: " + path + " は古いバージョン(" + tag +
                   ")のTLVファイルです。\n終了します。\n");
      messages.Log("Error: %s  は古いバージョン(%s)のTLVファイルです。\n終了します。\n", path,
                   tag);
      return false;
    }
    if (!loaded.ok()) {
      ReportUnreadable(messages, path);
      return false;
    }

    VariableDictionary dictionary;
    std::string err;
    if (!LoadDictionaryFile(settings.dictionary_path, &dictionary, &err)) {
      ReportUnreadable(messages, settings.dictionary_path);
      return false;
    }

    // The definition's rapid rate replaces the run's for this job and the
    // jobs after it.
    settings.rapid_feed_rate = RapidFeedRate(definition.rapid_feed);
    if (definition.sheet_to_spreadsheet != 0) settings.start_exporter = true;

    // The record loop's progress line steps aside for every dialog of the
    // job (split file names, user variables).
    JobServices job_services = services;
    std::optional<PromptsBesideProgress> prompts;
    if (services.prompts) {
      prompts.emplace(*services.prompts);
      job_services.prompts = &*prompts;
    }

    DriveInputs in;
    in.settings = &settings;
    in.slot_index = slot_index;
    in.services = &job_services;
    in.definition = &definition;
    in.dictionary = &dictionary;
    in.procedures = &procedures_;
    return DriveRecords(in);
  }

 private:
  static void ReportUnreadable(RunMessages& messages, const std::string& path) {
    messages.Out("Error: " + path + " が読めません。\n");
    messages.Log("Error: %s が読めません。\n", path);
  }

  // Read once per run, kept for the later jobs.
  ProcedureParameters procedures_;
};

}  // namespace

std::unique_ptr<Job> MakePipelineJob() { return std::make_unique<PipelineJob>(); }

}  // namespace tlv
