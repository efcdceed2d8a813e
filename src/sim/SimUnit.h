#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "sim/SimFirmware.h"
#include "sim/SimJob.h"
#include "sim/SimSchedule.h"
#include "sim/SimTarget.h"
#include "sim/UnitFaults.h"

namespace korvel {

inline constexpr const char* kDefaultUnitName = "Korvel200ST8-X10";

// One programmer unit seen from its serial side: a small state machine
// around a simulated target chip. Bytes from the host go in through
// Receive; the unit's answer comes back as wire bytes. Commands are served
// from a table keyed by command byte (the full set is installed at
// construction, see SimCommands.cpp); SetCommand replaces one.
//
// Time: the timed Receive takes the caller's clock in microseconds and
// queues what the unit sends with the time it is due (reply delays, wire
// pacing, progress frames of chips programmed on its own); a server hands
// the bytes on when they are due. The untimed Receive hands everything on
// at once, for in-process links.
// The order of a programming run's block requests: a run starts at block
// 0 and goes on 4 KB (four 1 KB block numbers) at a time. A request out of
// that order is refused, so a host that repeats or skips blocks is caught.
struct BlockRun {
  uint16_t Next = 0;
  bool Take(uint16_t block) {
    if (block != 0 && block != Next) return false;
    Next = static_cast<uint16_t>(block + 4);
    return true;
  }
};

class SimUnit {
 public:
  enum class State { Idle, Identified, HungUp };

  // A command handler gets the decoded request (check word valid) and
  // fills the reply packet (without check word; the unit adds it). An
  // empty reply sends nothing.
  using Command = std::function<void(SimUnit& unit, std::span<const uint8_t> request,
                                     std::vector<uint8_t>& reply)>;

  explicit SimUnit(UnitFaults faults = {});

  // Feeds bytes from the host; appends all the unit sends back to out.
  void Receive(const uint8_t* data, size_t length, std::vector<uint8_t>& out);
  // Feeds bytes handed in at nowUs; what the unit sends waits in its queue.
  void Receive(const uint8_t* data, size_t length, uint64_t nowUs);
  // When the next waiting bytes are due (kNever when none wait).
  uint64_t NextDueUs() const { return out_.NextDueUs(); }
  void TakeDue(uint64_t nowUs, std::vector<uint8_t>& out) { out_.TakeDue(nowUs, out); }
  bool HasPending() const { return !out_.Empty(); }

  // Power comes back: the unit forgets half-received bytes and waits for a
  // wake-up again; its target and its job are kept.
  void PlugIn();

  void SetCommand(uint8_t command, Command handler) { commands_[command] = std::move(handler); }
  const std::string& Name() const { return name_; }
  State CurrentState() const { return state_; }
  // True once the hang-up fault has struck: the server unplugs the unit.
  bool HungUp() const { return state_ == State::HungUp; }
  int Requests() const { return requests_; }
  int Restarts() const { return restarts_; }
  SimTarget& Target() { return target_; }
  // The programming runs of main flash (0x95) and of the data EEPROM (0x99).
  BlockRun& MainProgramRun() { return mainRun_; }
  BlockRun& SecondProgramRun() { return secondRun_; }
  SimJob& Job() { return job_; }
  const UnitFaults& Faults() const { return faults_; }
  // The time the request being handled was complete (its reply is ready
  // then, plus the reply delay).
  uint64_t RequestTimeUs() const { return requestUs_; }
  uint64_t ReplyReadyUs() const { return requestUs_ + faults_.ReplyDelayMs * 1000ull; }
  // Queues an unprompted packet (a progress frame: no check word added);
  // a tag other than 0 lets CancelUnprompted take it back while it waits.
  void SendUnprompted(std::vector<uint8_t> packet, uint64_t readyUs, uint8_t tag = 0);
  // Takes back what waits with tag; returns how many packets.
  size_t CancelUnprompted(uint8_t tag) { return out_.Drop(tag); }
  void CountRestart() { ++restarts_; }
  SimFirmwareState& Firmware() { return firmware_; }
  // Restarting: every frame is lost until untilUs, and after it everything
  // but a wake-up until one arrives (an in-process link has no clock).
  void GoDeaf(uint64_t untilUs) {
    deaf_ = true;
    deafUntilUs_ = untilUs;
  }

  // Reply helpers for command handlers: header bytes 0..5 of the request,
  // data length 1 and the status byte.
  static void StatusReply(std::span<const uint8_t> request, uint8_t status, std::vector<uint8_t>& reply);
  // Header bytes 0..5 of the request, the data length and the data.
  static void DataReply(std::span<const uint8_t> request, std::span<const uint8_t> data,
                        std::vector<uint8_t>& reply);
  // The identification reply packet (check word included).
  static std::vector<uint8_t> IdentificationReply(const std::string& name);

 private:
  void HandleFrame(std::span<uint8_t> frame, uint64_t arrivedUs);
  void Send(std::vector<uint8_t> packet, bool addCheckWord);

  UnitFaults faults_;
  std::string name_;
  State state_ = State::Idle;
  int requests_ = 0;
  int replies_ = 0;
  int dataReplies_ = 0;
  int restarts_ = 0;
  uint32_t noise_ = 0x9E3779B9u;
  uint64_t requestUs_ = 0;
  uint64_t lastNowUs_ = 0;
  std::vector<uint8_t> acc_;
  std::map<uint8_t, Command> commands_;
  SimTarget target_;
  SimJob job_;
  SimFirmwareState firmware_;
  bool deaf_ = false;
  uint64_t deafUntilUs_ = 0;
  BlockRun mainRun_;
  BlockRun secondRun_;
  InputPacer in_;
  OutputSchedule out_;
};

// Installs the unit's command set (download, restart, chip operations,
// programming and read-back) on unit.
void InstallCommandSet(SimUnit& unit);

}  // namespace korvel
