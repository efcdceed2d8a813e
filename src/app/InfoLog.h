#pragma once
#include <functional>
#include <string>
#include <vector>

#include "app/Clock.h"

namespace korvel {

// The shared information log shown in InfoMemo. Every subsystem appends to
// it; the window, the --echo-log mirror and the log files listen.
class InfoLog {
 public:
  struct Listener {
    std::function<void(const std::string& line)> LineAdded;
    std::function<void()> Cleared;
  };

  explicit InfoLog(const Clock& clock) : clock_(&clock) {}

  // "> " + time + " " + text
  void HostLine(const std::string& text);
  // "> " + time + " Channel k: " + text, channel index 0..9
  void ChannelLine(int channel, const std::string& text);
  // A line as it stands (log files and project loads add such lines).
  void Append(const std::string& line);
  void Clear();

  const std::vector<std::string>& Lines() const { return lines_; }
  // Returns an id for RemoveListener.
  int AddListener(Listener l);
  void RemoveListener(int id);

  const Clock& clock() const { return *clock_; }

 private:
  const Clock* clock_;
  std::vector<std::string> lines_;
  std::vector<std::pair<int, Listener>> listeners_;
  int nextId_ = 1;
};

// " Channel 1: " .. " Channel 10: " for index 0..9.
std::string ChannelPrefix(int channel);

}  // namespace korvel
