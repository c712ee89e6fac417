// The job that TLVP runs for each job slot: loads the post definition and
// the variable dictionary, then drives the tool-path records into the NC
// program.
#pragma once

#include <memory>

#include "post/job.h"

namespace tlv {

/// The job of the shipped TLVP.  One object serves every slot of a run, so
/// what carries over between jobs (the procedure parameters read once)
/// lives in it.
std::unique_ptr<Job> MakePipelineJob();

}  // namespace tlv
