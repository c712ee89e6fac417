#include "post/pipeline_job.h"

#include "post/run_messages.h"

namespace tlv {
namespace {

// Stands in until the record pipeline is part of the build: every job says
// plainly that no NC program was made, so the run ends as a failure.
class UnavailablePipelineJob : public Job {
 public:
  bool Run(RunSettings&, int, const JobServices& services) override {
    services.messages->Both(
        "Error: このビルドには実行パイプラインが含まれていないため、"
        "NC プログラムを作成できません。\n");
    return false;
  }
};

}  // namespace

std::unique_ptr<Job> MakePipelineJob() {
  return std::make_unique<UnavailablePipelineJob>();
}

}  // namespace tlv
