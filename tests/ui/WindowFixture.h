#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>

#include "app/Startup.h"
#include "ui/MainWindow.h"
#include "UiTestSupport.h"

namespace korvel::ui {

// A main window over its own application record, with a fixed clock and
// prompts that answer by rule.
struct WindowFixture : ::testing::Test {
  FixedClock clock{MakeTime(2026, 12, 5, 7, 14, 11)};
  AppState app{clock};
  RecordingPrompts prompts;
  TKorvel200STxPrg window{app};
  ScratchDir scratch{"korvel_ui_"};
  std::filesystem::path dir = scratch.Path;

  template <class T>
  T* Find(const char* name) {
    return FindNamed<T>(window, name);
  }

  // The first show of the window, with the connection settings giving
  // channelCount and the given positional arguments.
  void FormShow(int channelCount = 10, std::vector<std::string> args = {}) {
    StartupHooks hooks = window.WindowStartupHooks();
    hooks.ReadConnectionSettings = [this, channelCount] {
      app.Flags.ChannelCount = static_cast<uint8_t>(channelCount);
    };
    auto parsed = ParseCommandLine(args);
    ASSERT_FALSE(parsed.Error);
    RunFormShow(app, prompts, parsed.Line, dir.string(), hooks);
  }
};

}  // namespace korvel::ui
