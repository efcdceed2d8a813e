#pragma once
// The whole host without its window, on the calling thread: real serial
// links to the given ports, a headless UI loop calling the two timers, and
// prompts answered by rule. The end-to-end tests and the gang benchmark
// drive it through stages that wait for a condition, then act.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Clock.h"
#include "app/HeadlessLoop.h"
#include "app/OperatorPrompts.h"
#include "e2e/StageRun.h"
#include "engine/Host.h"
#include "serial/TComm.h"
#include "target/ImageFile.h"

namespace korvel::e2e {

// A directory of its own for one run (the host's application directory).
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvel-e2e-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Writes runs of bytes as an Intel HEX file; false when it could not.
inline bool WriteHexFile(const std::string& path, const std::vector<ImageChunk>& chunks) {
  return WriteFileBytes(path, FormatIntelHex(chunks), ReplaceMode::InPlace).Ok;
}

class HeadlessHost {
 public:
  // Makes the link of a channel; the default is the real serial link.
  using MakeLink = std::function<std::unique_ptr<Link>(int channel, UiDispatcher& ui)>;

  explicit HeadlessHost(std::vector<std::string> ports, MakeLink makeLink = {}) {
    HostOptions options;
    options.Links = [this, makeLink](int c) -> std::unique_ptr<Link> {
      if (makeLink) return makeLink(c, loop);
      return std::make_unique<TComm>(loop);
    };
    options.ExplicitPorts = std::move(ports);
    host = std::make_unique<Host>(clock, prompts, std::move(options));
    loop.SetTimer2([this] { loop.EnableTimer2(host->OnTimer2Tick()); });
    // As the window shows itself: settings, Hello line, first search armed.
    host->FormShow(CommandLine{}, dir.Path(), {});
  }
  ~HeadlessHost() {
    if (host) host->Shutdown();
  }

  size_t Run(const std::vector<Stage>& stages, std::chrono::milliseconds deadline) {
    return RunStages(loop, [this] { host->OnTimer1Tick(); }, stages, deadline);
  }

  AppState& App() { return host->App; }
  int Connected() const {
    const auto& chs = host->App.Channels;
    return static_cast<int>(std::count_if(chs.begin(), chs.end(), [](const ChannelState& c) { return c.Connected; }));
  }
  bool AnyBusy() const {
    const auto& chs = host->App.Channels;
    return std::any_of(chs.begin(), chs.end(), [](const ChannelState& c) { return c.Busy; });
  }
  int LinesWith(const std::string& part) const {
    const auto& lines = host->App.Log.Lines();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
      return l.find(part) != std::string::npos;
    }));
  }
  // Every log line, for a failure's message.
  std::string LogText() const {
    std::string all;
    for (const auto& l : host->App.Log.Lines()) all += l + "\n";
    return all;
  }

  SystemClock clock;
  RecordingPrompts prompts;
  HeadlessLoop loop;
  ScratchDir dir;
  std::unique_ptr<Host> host;
};

}  // namespace korvel::e2e
