#pragma once
#include <functional>
#include <vector>

#include "app/AppState.h"
#include "app/CaptureJobSettings.h"
#include "app/OperatorPrompts.h"
#include "engine/JobView.h"
#include "engine/StepMachine.h"

namespace korvel {

// Work of other parts that the operations call on the way.
struct DispatchHooks {
  // What the capture needs of the selected chip.
  std::function<CaptureChip()> CaptureContext;
  std::function<void()> ShowOptionLines;
  std::function<void()> ComputeOptionChecksums;
  // Auto is about to start these channels (in channel order) with on-line
  // serial numbers on: each chip's number is handed out (see
  // ChannelOwnBytes).
  std::function<void(const std::vector<int>& channels)> HandOutSerials;
  std::function<void()> FocusToolbar;
  // Drops what a channel's receive path holds before a new operation.
  std::function<void(int channel)> ClearReceive;
  // Brings the live job view up to date with the chip, settings and
  // buffers as they are now: at the start of every operation, so that its
  // texts and checks follow the chip selected now, and again once the
  // settings are captured, before the channels take their snapshot.
  std::function<void()> RefreshJob;
  // What a gang operation gives a channel as its own on top of the shared
  // job: bytes of its image such as its serial number, so that no two chips
  // of one run get the same. order counts the channels started before it.
  std::function<std::vector<ImagePatch>(int channel, int order)> ChannelOwnBytes;
};

// Every operation the operator starts from the toolbar, the menus and the
// keys: capture, preconditions with their messages, then the channel
// starters. The channels one operation starts share one snapshot of the
// job. Gang operations return the number of channels started.
class OperationDispatch {
 public:
  OperationDispatch(AppState& app, const JobView& job, StepMachine& steps, OperatorPrompts& prompts,
                    DispatchHooks hooks);

  int Download();
  // The download of a project opened from the command line: the job exactly
  // as the project restored it (no capture from the controls, whose rules
  // could change a stored value), its option check values recomputed, on
  // every channel with a unit.
  int DownloadProject();
  int Auto();
  int BlankCheck();
  int Erase();
  int Program();
  int Verify();
  int WriteOptionBytes();

  // Channel 1 inspection operations; true when started.
  bool ReadOptionBytes();
  bool WriteOtp();
  bool VerifyOtp();
  bool ReadChipMemory();
  bool ReadDataMemory();
  bool WriteDataMemory();
  bool ReadChipId();
  bool ReadChipChecksum();

 private:
  void Refresh();
  bool Capture();
  bool Require(bool condition, const char* message);
  int StartAll(void (StepMachine::*starter)(int));
  // The channels a gang operation starts: connected and idle, in order.
  std::vector<int> StartableChannels() const;
  struct Channel1Start {
    bool NeedsImage = false;
    bool CaptureFirst = true;
    bool BlankLineFirst = false;
    const char* Text = nullptr;  // host line; nullptr: the starter writes its own
  };
  bool StartChannel1(const Channel1Start& how, void (StepMachine::*starter)(int));
  bool Otp() const { return job_.Chip.HasOtp; }

  AppState& app_;
  const JobView& job_;
  StepMachine& steps_;
  OperatorPrompts& prompts_;
  DispatchHooks hooks_;
};

inline constexpr const char* kConfirmChipFirst = "请选择并确认芯片型号！";
inline constexpr const char* kLoadImageFirst = "请加载目标文件！";
inline constexpr const char* kConnectDeviceFirst = "请连接好设备！";

}  // namespace korvel
