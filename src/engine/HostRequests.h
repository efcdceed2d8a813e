#pragma once
#include "engine/ChannelRequests.h"
#include "engine/JobView.h"
#include "engine/RandomSource.h"

namespace korvel {

class ChannelHost;

// The requests of the step machine as packets on the channels' links.
class HostRequests : public ChannelRequests {
 public:
  HostRequests(ChannelHost& host, RandomSource& random) : host_(host), random_(random) {}

  void SendBlock(int channel, const JobView& job, const BlockRequest& request) override;
  void SendCommand(int channel, const JobView& job, uint8_t command, uint16_t subCode) override;
  void SendOptionBytes(int channel, const JobView& job) override;
  void SendSecondImage(int channel, const JobView& job, uint8_t subCode) override;
  void SendRestart(int channel) override;

 private:
  void Send(int channel, const std::vector<uint8_t>& packet);

  ChannelHost& host_;
  RandomSource& random_;
};

}  // namespace korvel
