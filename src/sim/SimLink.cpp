#include "sim/SimLink.h"

#include <vector>

namespace korvel {

void SimLink::OpenPort() {
  if (open_) throw ECommsError("This serial port already opened");
  ++opens_;
  ++session_;
  if (!Plugged) {
    ui_.Post([this] {
      if (Events.OnRequestHangup) Events.OnRequestHangup();
    });
    return;
  }
  open_ = true;
}

bool SimLink::SendData(const uint8_t* data, size_t length) {
  if (!open_ || length == 0) return false;
  std::vector<uint8_t> reply;
  unit_->Receive(data, length, reply);
  const uint64_t session = session_;
  if (!reply.empty()) {
    ui_.Post([this, session, reply = std::move(reply)] {
      if (session == session_ && open_ && Events.OnReceiveData) Events.OnReceiveData(reply.data(), reply.size());
    });
  }
  if (unit_->HungUp()) {
    ui_.Post([this, session] {
      if (session == session_ && Events.OnRequestHangup) Events.OnRequestHangup();
    });
  }
  return true;
}

}  // namespace korvel
