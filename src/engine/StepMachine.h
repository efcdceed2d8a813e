#pragma once
#include <cstdint>
#include <functional>
#include <span>

#include "app/AppState.h"
#include "app/OperatorPrompts.h"
#include "engine/ChannelRequests.h"
#include "engine/JobView.h"

namespace korvel {

// What the step machine hands to other parts of the program.
struct StepHooks {
  // The error report of a channel: finishes it and shows the code's text;
  // status 0 shows the success line with a beep.
  std::function<void(int channel, uint8_t status)> ReportChannelError;
  // The serial number moves on after a chip finished by Auto.
  std::function<void()> AdvanceSerial;
  // Option bytes read from a chip replace the job's buffer and are shown.
  std::function<void(int channel, std::span<const uint8_t> bytes)> OptionBytesRead;
  // After a complete read of the main flash: the job's data range becomes
  // the chip's flash, and the views show what was read.
  std::function<void()> MainFlashRead;
  std::function<void()> DataMemoryRead;
  // The check value printed after the OTP area was read.
  std::function<uint16_t(std::span<const uint8_t> otp)> OtpChecksum;
};

// The per-channel step machine: one handler per step, each deciding from
// the reply what to send next or how the operation ends. Ten channels share
// one instance; all state is in the channel records.
class StepMachine {
 public:
  StepMachine(AppState& app, JobView& job, ChannelRequests& requests, OperatorPrompts& prompts,
              StepHooks hooks);

  // A validated reply of a connected channel: its status byte and the
  // decoded packet (header at 0, data from 8).
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
  void OnVerify(int ch, uint8_t status, std::span<const uint8_t> packet);
  void OnRead(int ch, uint8_t status, std::span<const uint8_t> packet);
  void OnChecksum(int ch, uint8_t status, std::span<const uint8_t> packet);
  void OnWriteOptions(int ch, uint8_t status);
  void OnReadOptions(int ch, uint8_t status, std::span<const uint8_t> packet);
  void OnUniqueId(int ch, uint8_t status, std::span<const uint8_t> packet);
  void OnWriteOtp(int ch, uint8_t status);

  // Chain pieces shared by several steps.
  void ProgramNext(int ch);           // erase or blank check succeeded
  void ProgrammingEnd(int ch);
  void StartVerification(int ch);
  void VerifyChainEnd(int ch);
  void VerifySecondPhase(int ch, std::span<const uint8_t> data);
  void AutoCompletion(int ch);
  void EndSuccess(int ch);
  void Fail(int ch, uint8_t status);
  // Compares the first differing row; true when all bytes match.
  bool CompareRows(std::span<const uint8_t> chip, uint32_t offset, size_t length,
                   const char* format, uint32_t shownBase);

  void Info(int ch, const std::string& text);
  bool Ok(uint8_t status) const { return status == 0 || status == 6; }

  AppState& app_;
  JobView& job_;
  ChannelRequests& send_;
  OperatorPrompts& prompts_;
  StepHooks hooks_;
};

}  // namespace korvel
