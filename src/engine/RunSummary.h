#pragma once
#include <string>
#include <vector>

namespace korvel {

// How an unattended run ended, channel by channel: what the closing
// summary prints, as text or as JSON.
struct RunSummary {
  struct Channel {
    int Index = 0;  // 0..9
    std::string Port;
    std::string Result;  // Success, Failure, Timeout or Missing
    std::string Message;
    bool Failed = false;  // counted in Ng (a missing unit may be allowed)
  };
  std::string Operation;
  std::vector<Channel> Channels;
  // Good and failed channels; chips instead when the run listened to units
  // programming alone (CountsChips).
  int Ok = 0;
  int Ng = 0;
  bool CountsChips = false;
  int ExitCode = 0;
  // Why the run could not be made (ExitCode 64); empty otherwise.
  std::string Error;
};

}  // namespace korvel
