// The job that TLVP runs for each job slot.
#pragma once

#include <memory>

#include "post/job.h"

namespace tlv {

/// The job of the shipped TLVP.
std::unique_ptr<Job> MakePipelineJob();

}  // namespace tlv
