#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/JobView.h"

namespace korvel {

// The job as it was when channels started: a view like the live one, but
// over copies of its buffers, so that loading another file, choosing
// another chip or editing option bytes while those channels run changes
// nothing they send or compare with. Channels started together share one;
// it is never changed once taken.
class JobSnapshot {
 public:
  static std::shared_ptr<const JobSnapshot> Take(const JobView& live);

  const JobView& View() const { return view_; }

  // The view points into the snapshot's own buffers: it stays where it is.
  JobSnapshot(const JobSnapshot&) = delete;
  JobSnapshot& operator=(const JobSnapshot&) = delete;

 private:
  explicit JobSnapshot(const JobView& live);

  std::vector<uint8_t> main_;
  std::vector<uint8_t> second_;
  std::vector<uint8_t> options_;
  std::vector<uint8_t> defaults_;
  JobView view_;
};

}  // namespace korvel
