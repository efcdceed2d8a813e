#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "sim/SimTarget.h"
#include "sim/UnitFaults.h"

namespace korvel {

inline constexpr const char* kDefaultUnitName = "Korvel200ST8-X10";

// One programmer unit seen from its serial side: a small state machine
// around a simulated target chip. Bytes from the host go in through
// Receive; the unit's answer comes back as wire bytes. Commands are served
// from a table keyed by command byte, so the device operations add their
// requests with SetCommand without touching the framing here.
class SimUnit {
 public:
  enum class State { Idle, Identified, HungUp };

  // A command handler gets the decoded request (check word valid) and
  // fills the reply packet (without check word; the unit adds it).
  using Command = std::function<void(SimUnit& unit, std::span<const uint8_t> request,
                                     std::vector<uint8_t>& reply)>;

  explicit SimUnit(UnitFaults faults = {});

  // Feeds bytes from the host; appends what the unit sends back to out.
  void Receive(const uint8_t* data, size_t length, std::vector<uint8_t>& out);

  // Power comes back: the unit forgets half-received bytes and waits for a
  // wake-up again; its target keeps its memory.
  void PlugIn();

  void SetCommand(uint8_t command, Command handler) { commands_[command] = std::move(handler); }
  const std::string& Name() const { return name_; }
  State CurrentState() const { return state_; }
  // True once the hang-up fault has struck: the server unplugs the unit.
  bool HungUp() const { return state_ == State::HungUp; }
  int Requests() const { return requests_; }
  int Restarts() const { return restarts_; }
  SimTarget& Target() { return target_; }

  // Reply helpers for command handlers: header bytes 0..5 of the request,
  // data length 1 and the status byte.
  static void StatusReply(std::span<const uint8_t> request, uint8_t status, std::vector<uint8_t>& reply);
  // The identification reply packet (check word included).
  static std::vector<uint8_t> IdentificationReply(const std::string& name);

 private:
  void HandleFrame(std::span<uint8_t> frame, std::vector<uint8_t>& out);
  void Send(std::vector<uint8_t> packet, bool addCheckWord, std::vector<uint8_t>& out);

  UnitFaults faults_;
  std::string name_;
  State state_ = State::Idle;
  int requests_ = 0;
  int restarts_ = 0;
  uint32_t noise_ = 0x9E3779B9u;
  std::vector<uint8_t> acc_;
  std::map<uint8_t, Command> commands_;
  SimTarget target_;
};

}  // namespace korvel
