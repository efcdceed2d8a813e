#include "engine/HostRequests.h"

#include <algorithm>

#include "engine/RequestPackets.h"
#include "protocol/ChannelHost.h"

namespace korvel {

void HostRequests::Send(int channel, const std::vector<uint8_t>& packet) {
  // The builders return header, data and check word; the host sets length
  // and check word again as it frames the packet in the channel's buffer.
  std::span<uint8_t> buffer = host_.PacketBuffer(channel);
  if (packet.size() < kPacketHeaderSize + 2 || packet.size() > buffer.size()) return;
  std::copy(packet.begin(), packet.end(), buffer.begin());
  host_.SendBuiltPacket(channel, packet.size() - kPacketHeaderSize - 2);
}

void HostRequests::SendBlock(int channel, const JobView& job, const BlockRequest& request) {
  Send(channel, BlockRequestPacket(job, MakeTransferJob(job), request, random_));
}

void HostRequests::SendCommand(int channel, const JobView& job, uint8_t command, uint16_t subCode) {
  Send(channel, CommandPacket(job, command, subCode, random_.RequestByte()));
}

void HostRequests::SendOptionBytes(int channel, const JobView& job) {
  Send(channel, OptionBytesPacket(job, random_.RequestByte()));
}

void HostRequests::SendSecondImage(int channel, const JobView& job, uint8_t subCode) {
  Send(channel, SecondImagePacket(job, subCode, random_.RequestByte()));
}

void HostRequests::SendRestart(int channel) { host_.SendRestart(channel); }

}  // namespace korvel
