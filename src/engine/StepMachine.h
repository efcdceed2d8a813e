#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <functional>
#include <optional>
#include <span>

#include "app/AppState.h"
#include "app/OperatorPrompts.h"
#include "engine/ChannelRequests.h"
#include "engine/JobSnapshot.h"
#include "engine/JobView.h"
#include "engine/TransferSequence.h"

namespace korvel {

// What the step machine hands to other parts of the program.
struct StepHooks {
  // A chip finished by Auto: the serial number moves on. Returns the
  // number that chip got, which its success line names.
  std::function<std::optional<uint32_t>(int channel)> AdvanceSerial;
  // Option bytes read from a chip replace the job's buffer and are shown.
  std::function<void(int channel, std::span<const uint8_t> bytes)> OptionBytesRead;
  // After a complete read of the main flash: the job's data range becomes
  // the chip's flash, and the views show what was read.
  std::function<void()> MainFlashRead;
  std::function<void()> DataMemoryRead;
  // The check value printed after the OTP area was read.
  std::function<uint16_t(std::span<const uint8_t> otp)> OtpChecksum;
};

// The buffers a read from the chip writes into (the same memory the job
// view shows).
struct WritableImages {
  std::span<uint8_t> Main;
  std::span<uint8_t> Second;
};

// The per-channel step machine: one handler per step, each deciding from
// the reply what to send next or how the operation ends. Ten channels share
// one instance; all state is in the channel records.
class StepMachine {
 public:
  // live is the job as it stands now; every starter gives its channel a
  // snapshot of it (or the shared one, see ShareJob), and the channel runs
  // on that snapshot until it ends.
  StepMachine(AppState& app, const JobView& live, WritableImages images, ChannelRequests& requests,
              OperatorPrompts& prompts, StepHooks hooks);

  // The snapshot the next starters give their channels, so that channels
  // started together share one; nullptr: each starter takes its own.
  void ShareJob(std::shared_ptr<const JobSnapshot> job) { shared_ = std::move(job); }
  // What the next starter gives its channel on top of the snapshot as its
  // own (its serial number); the starter takes it, once.
  void GiveOwn(std::vector<ImagePatch> own) { own_ = std::move(own); }
  // The job the channel runs on (the live job before its first start).
  const JobView& Job(int channel) const;

  // A validated reply of a connected channel: its status byte and the
  // decoded packet (header at 0, data from 8, check word at the end).
  // Replies that carry data must carry all of it: a short one fails the
  // channel as a bad packet.
  void OnReply(int channel, uint8_t status, std::span<const uint8_t> packet);

  // Starters: arm the channel and send the first request. They assume the
  // channel is connected and idle and the job was captured.
  void StartDownload(int channel);
  void StartAuto(int channel);
  void StartErase(int channel);
  void StartBlankCheck(int channel);
  void StartProgram(int channel);
  void StartVerify(int channel);
  void StartWriteOptions(int channel);
  void StartReadOptions(int channel);
  void StartWriteOtp(int channel);
  void StartVerifyOtp(int channel);
  void StartReadMemory(int channel);
  void StartReadSecond(int channel);
  void StartWriteSecond(int channel);
  void StartReadUniqueId(int channel);
  void StartReadChecksum(int channel);

 private:
  void OnDownload(int ch, uint8_t status);
  void OnErase(int ch, uint8_t status);
  void OnBlankCheck(int ch, uint8_t status);
  void OnProgram(int ch, uint8_t status);
  void OnVerify(int ch, uint8_t status, std::span<const uint8_t> data);
  void OnRead(int ch, uint8_t status, std::span<const uint8_t> data);
  void OnChecksum(int ch, uint8_t status, std::span<const uint8_t> data);
  void OnWriteOptions(int ch, uint8_t status);
  void OnReadOptions(int ch, uint8_t status, std::span<const uint8_t> data);
  void OnUniqueId(int ch, uint8_t status, std::span<const uint8_t> data);
  void OnWriteOtp(int ch, uint8_t status);

  void OnVerifyOtp(int ch, uint8_t status, std::span<const uint8_t> data);

  // Chain pieces shared by several steps.
  void ProgramNext(int ch);  // erase or blank check succeeded
  void StartVerification(int ch);
  void VerifyChainEnd(int ch);
  // The chain's successful end: writes the success line (with the chip's
  // serial number when it got one) and finishes the channel.
  void AutoCompletion(int ch, std::string successLine);
  void EndSuccess(int ch);
  void Fail(int ch, uint8_t status);
  // The data size a read-back reply for the window must have.
  static size_t ReadBackSize(const ReadBackWindow& window);
  // Shows the dialogs of the first differing row; true when all matched.
  bool Matches(int ch, const ReadBackWindow& window, bool secondPhase, std::span<const uint8_t> read);

  void Info(int ch, const std::string& text);
  void Info(int ch, const std::vector<std::string>& texts);
  void TakeJob(int ch);
  TransferJob Transfer(int ch) const { return MakeTransferJob(Job(ch)); }
  uint16_t FlashBlocks(int ch) const { return Job(ch).Chip.FlashSizeKB; }
  static bool Ok(uint8_t status) { return status == 0 || status == 6; }

  AppState& app_;
  const JobView& live_;
  // A channel's job: the snapshot it holds on to and its view of it with
  // what is its own.
  struct ChannelJob {
    std::shared_ptr<const JobSnapshot> Shared;
    JobView View;
  };
  std::shared_ptr<const JobSnapshot> shared_;
  std::vector<ImagePatch> own_;
  std::array<ChannelJob, kChannelCount> jobs_;
  WritableImages images_;
  ChannelRequests& send_;
  OperatorPrompts& prompts_;
  StepHooks hooks_;
};

}  // namespace korvel
