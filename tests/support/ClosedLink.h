#pragma once
#include <string>

#include "app/Link.h"

namespace korvel::testing_support {

// A port that never opens, for tests of the host that need no programmer.
class ClosedLink : public Link {
 public:
  void SetCommName(const std::string& name) override { name_ = name; }
  std::string CommName() const override { return name_; }
  void OpenPort() override { throw ECommsError("no port here"); }
  void ClosePort() override {}
  bool IsOpen() const override { return false; }
  bool SendData(const uint8_t*, size_t) override { return false; }

 private:
  std::string name_;
};

}  // namespace korvel::testing_support
