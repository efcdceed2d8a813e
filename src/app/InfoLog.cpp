#include "app/InfoLog.h"

namespace korvel {

std::string ChannelPrefix(int channel) {
  return " Channel " + std::to_string(channel + 1) + ": ";
}

void InfoLog::HostLine(const std::string& text) {
  Append("> " + clock_->TimeText() + " " + text);
}

void InfoLog::ChannelLine(int channel, const std::string& text) {
  Append("> " + clock_->TimeText() + ChannelPrefix(channel) + text);
}

void InfoLog::Append(const std::string& line) {
  lines_.push_back(line);
  // Copy: a listener may add or remove listeners while being told.
  auto listeners = listeners_;
  for (auto& [id, l] : listeners)
    if (l.LineAdded) l.LineAdded(lines_.back());
}

void InfoLog::Clear() {
  lines_.clear();
  auto listeners = listeners_;
  for (auto& [id, l] : listeners)
    if (l.Cleared) l.Cleared();
}

int InfoLog::AddListener(Listener l) {
  listeners_.emplace_back(nextId_, std::move(l));
  return nextId_++;
}

void InfoLog::RemoveListener(int id) {
  std::erase_if(listeners_, [id](const auto& p) { return p.first == id; });
}

}  // namespace korvel
