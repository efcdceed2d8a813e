#pragma once
#include <memory>
#include <string>

#include "app/Link.h"
#include "app/UiDispatcher.h"
#include "sim/SimUnit.h"

namespace korvel {

// A link wired straight to an in-process simulated unit: what is sent goes
// to the unit at once, and its answer is posted to the dispatcher as a
// receive notification. With a ManualDispatcher a whole exchange runs
// deterministically, without threads or timing.
class SimLink : public Link {
 public:
  SimLink(UiDispatcher& ui, std::shared_ptr<SimUnit> unit) : ui_(ui), unit_(std::move(unit)) {}

  void SetCommName(const std::string& name) override { name_ = name; }
  std::string CommName() const override { return name_; }
  void OpenPort() override;
  void ClosePort() override { open_ = false; ++session_; }
  bool IsOpen() const override { return open_; }
  bool SendData(const uint8_t* data, size_t length) override;

  // A unit that is not plugged in: opening fails with a hang-up request.
  bool Plugged = true;
  SimUnit& Unit() { return *unit_; }
  int Opens() const { return opens_; }

 private:
  UiDispatcher& ui_;
  std::shared_ptr<SimUnit> unit_;
  std::string name_;
  bool open_ = false;
  int opens_ = 0;
  uint64_t session_ = 0;
};

}  // namespace korvel
