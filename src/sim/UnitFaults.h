#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace korvel {

// A reply status forced for one command, optionally only for one parameter
// (a sub-code of 0x93, a block number of 0x95/0x9B, ...).
struct ForcedStatus {
  uint8_t Command = 0;
  std::optional<uint16_t> Parameter;
  uint8_t Status = 0;
  bool operator==(const ForcedStatus&) const = default;
};

// How a simulated unit misbehaves, and how it runs on its own. Text form
// (the --sim-fault option of the host and korvelsim --fault take such texts,
// repeatable): "UNIT:ITEM[,ITEM...]", UNIT a number from 1 or "*" for every
// unit; fault texts apply in order, so "*:delay=5" then "3:delay=0" spares unit 3.
// Numbers are decimal, except command, parameter and status codes (hex).
// Requests and replies are counted from the first wake-up frame on.
//   silent          never answers
//   silent=K        answers K-1 requests, then nothing from the K-th on
//   name=TEXT       identifies itself as TEXT (another model)
//   hangup=K        answers K requests, then is unplugged
//   garbage         sends noise bytes before every reply frame
//   status=CC:SS    answers every command CC with status SS (no effect)
//   status=CC.PP:SS the same, only for parameter PP ("93.5:45": blank check)
//   notblank        the chips in its socket hold data (blank check 21)
//   protected       the chip is read-protected until erased (19 / 0x13)
//   flip[=ADDR]     read-back returns one byte changed, at image offset
//                   ADDR (hex), or at the first byte of main flash
//   badcrc=K        the K-th reply carries a wrong check word
//   short=K         the K-th reply that carries data (a read, the chip
//                   checksum, the unique ID, option bytes) carries only
//                   half of it, with a length field to match
//   delay=MS        every reply leaves MS milliseconds late
//   wire            takes in and sends out no faster than the real line
//                   (1,000,000 baud, 11 bits per byte)
//   auto=N          after a download with automatic chip detection on and
//                   the restart (or an off-line start), programs N chips by
//                   itself, the steps the job leaves on, and reports them in
//                   progress frames; notblank and protected describe them
//   every=MS        one chip every MS milliseconds (default 500)
//   fail=K[:RR]     every K-th of those chips fails, with result RR (hex,
//                   default 31)
struct UnitFaults {
  bool Silent = false;
  std::optional<std::string> Name;
  int HangupAfter = 0;  // 0: never
  bool Garbage = false;
  int SilentFrom = 0;  // 0: never (Silent is "from the first")
  std::vector<ForcedStatus> Statuses;
  bool NotBlank = false;
  bool ReadProtected = false;
  std::optional<uint32_t> FlipAt;  // image offset; FlipFirst: main flash start
  bool FlipFirst = false;
  int BadCheckWordAt = 0;
  int ShortDataAt = 0;
  int ReplyDelayMs = 0;
  bool WireRate = false;
  int AutoChips = 0;
  int AutoIntervalMs = 500;
  int AutoFailEvery = 0;
  uint8_t AutoFailResult = 0x31;

  // The status forced for a request, if any.
  std::optional<uint8_t> StatusFor(uint8_t command, uint16_t parameter) const;
  // Whether the unit keeps quiet for its n-th request (from 1).
  bool SilentAt(int n) const { return Silent || (SilentFrom > 0 && n >= SilentFrom); }
};

// The unit numbers a "*" fault applies to.
inline constexpr int kMaxSimUnits = 10;

// Parses fault texts into faults by unit number (1-based). On a malformed fault text
// returns nullopt and sets error.
std::optional<std::map<int, UnitFaults>> ParseUnitFaults(const std::vector<std::string>& faultTexts,
                                                          std::string& error);

// The text of --help lines that describe the fault items.
const char* UnitFaultsHelp();

}  // namespace korvel
