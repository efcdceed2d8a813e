#include "engine/JobSnapshot.h"

namespace korvel {

namespace {

std::vector<uint8_t> Copy(std::span<const uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

}  // namespace

JobSnapshot::JobSnapshot(const JobView& live)
    : main_(Copy(live.MainImage)),
      second_(Copy(live.SecondImage)),
      options_(Copy(live.OptionBuffer)),
      defaults_(Copy(live.DefaultTable)),
      view_(live) {
  view_.MainImage = main_;
  view_.SecondImage = second_;
  view_.OptionBuffer = options_;
  view_.DefaultTable = defaults_;
}

std::shared_ptr<const JobSnapshot> JobSnapshot::Take(const JobView& live) {
  return std::shared_ptr<const JobSnapshot>(new JobSnapshot(live));
}

}  // namespace korvel
