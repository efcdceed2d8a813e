#include "app/JobReset.h"

namespace korvel {

void ResetJobState(JobFlags& flags, JobSettings& settings, ChannelTable& channels) {
  const std::string appDir = flags.AppDir;
  const bool commandLine = flags.CommandLineMode;
  const bool exitAfter = flags.ExitAfterDownload;
  flags = JobFlags{};
  flags.AppDir = appDir;
  // The command line is read after this reset at start-up; keep what a
  // caller already knows of it.
  flags.CommandLineMode = commandLine;
  flags.ExitAfterDownload = exitAfter;
  flags.ChannelCount = 10;
  settings = JobSettings{};
  for (auto& ch : channels) {
    Link* port = ch.Port;
    GaugeState gauge = ch.Gauge;
    ChannelObserver* observer = ch.Observer;
    ch = ChannelState{};
    ch.Port = port;
    ch.Gauge = gauge;
    ch.Observer = observer;
  }
}

}  // namespace korvel
