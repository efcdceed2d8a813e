#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/ChannelState.h"
#include "engine/JobView.h"

namespace korvel {

// What the block transfers need to know of the job.
struct TransferJob {
  bool Stm32 = false;
  uint8_t FamilyCode = 0;
  uint16_t FlashSizeKB = 0;
  uint32_t FlashBase = 0;
  uint16_t SecondSize = 0;   // EEP/OTP bytes
  uint32_t SecondBase = 0;
  bool SecondIsOtp = false;  // an OTP area with its own image
  bool SecondWrite = false;  // second-memory data is written (and verified)
};
TransferJob MakeTransferJob(const JobView& job);

// Sub-phases of a transfer (ChannelState::SubPhase).
inline constexpr uint8_t kPhaseFirst = 0;   // job header / main memory
inline constexpr uint8_t kPhaseSecond = 1;  // EEP/OTP/data memory
inline constexpr uint8_t kPhaseMain = 2;    // main blocks of a download

enum class RequestKind {
  JobHeader,      // 0x53
  MainBlock,      // 0x55 of a download
  SecondBlock,    // 0x5A of a download
  DataMemBlock,   // 0x55 numbered on from the main blocks (codes 0x20, 0x28)
  ProgramMain,    // 0x95
  ProgramSecond,  // 0x99 block
  SecondImage,    // 0x99 with the whole OTP image, sub-code 0
  ReadMain,       // 0x9B
  ReadSecond,     // 0x9D
};

// One block request: Block is the packet parameter's block number, Base the
// image offset the block numbers count from.
struct BlockRequest {
  RequestKind Kind;
  uint16_t Block = 0;
  uint32_t Base = 0;
  bool operator==(const BlockRequest&) const = default;
};

// What a success reply did to the transfer.
struct TransferStep {
  bool Done = false;                  // the transfer is complete
  std::vector<std::string> Messages;  // channel lines, in order
};

// Block counts the starters arm the channel with.
uint16_t DownloadBlockCount(const TransferJob& job);
uint16_t MainBlockCount(const TransferJob& job);
// Second memory in 1 KB units, rounded up (programming) or down (the gauge
// of the menu reads and writes of the second memory).
uint16_t SecondBlocksUp(const TransferJob& job);
uint16_t SecondBlocksDown(const TransferJob& job);

// The request for the channel's current SubPhase and BlockIndex.
BlockRequest NextDownloadRequest(const TransferJob& job, const ChannelState& ch);
BlockRequest NextProgramRequest(const TransferJob& job, const ChannelState& ch);
BlockRequest NextReadBackRequest(const TransferJob& job, const ChannelState& ch);

// Advances the channel after a success reply of its current request.
TransferStep AdvanceDownload(const TransferJob& job, ChannelState& ch);
TransferStep AdvanceProgram(const TransferJob& job, ChannelState& ch);
// Verify after a block that matched; messages include the end-of-flash
// texts and, for chip code 0xB8 in a chain, the chain's success line.
TransferStep AdvanceVerify(const TransferJob& job, ChannelState& ch);
TransferStep AdvanceRead(const TransferJob& job, ChannelState& ch);

// Where the data of the current read-back reply belongs: compared with (or
// copied into) Length bytes at Offset of the main image or, for an OTP
// area, of the second-memory image. DisplayBase + i is the address the
// mismatch dialog names for byte i.
struct ReadBackWindow {
  bool InSecondImage = false;
  uint32_t Offset = 0;
  uint32_t Length = 0;
  uint32_t DisplayBase = 0;
};
ReadBackWindow CurrentReadBackWindow(const TransferJob& job, const ChannelState& ch);

}  // namespace korvel

namespace korvel {

struct RandomSource;
// The packet of a block request (random parts drawn from random).
std::vector<uint8_t> BlockRequestPacket(const JobView& job, const TransferJob& transfer,
                                        const BlockRequest& request, RandomSource& random);

}  // namespace korvel
