#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QElapsedTimer>
#include <QPixmap>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/Clock.h"
#include "app/CommandLine.h"
#include "engine/Host.h"
#include "serial/TComm.h"
#include "sim/SimulatedUnits.h"
#include "app/GaugeCaption.h"
#include "ui/ChannelGauge.h"
#include "ui/ChipSettingPage.h"
#include "ui/HostWiring.h"
#include "ui/MainWindow.h"
#include "ui/QtUiDispatcher.h"
#include "UiTestSupport.h"

namespace korvel::ui {
namespace {

// The window as korvelst --simulate 10 builds it, over real serial links to
// ten simulated units on pseudo-terminals. KORVEL_SCREENSHOTS=DIR keeps
// pictures of the window after the search and after the run.
struct SimulatedGang : ::testing::Test {
  ScratchDir scratch{"korvel_gang_ui_"};
  std::filesystem::path dir = scratch.Path;
  std::string error;
  std::unique_ptr<PtyUnitServer> units;
  SystemClock clock;
  QtUiDispatcher dispatcher;
  RecordingPrompts prompts;
  std::unique_ptr<Host> host;
  std::unique_ptr<TKorvel200STxPrg> window;

  ~SimulatedGang() override {
    if (window) window->close();
    window.reset();
    host.reset();
    if (units) units->Stop();
  }

  void Start(const std::vector<std::string>& args, int count = 10, std::vector<std::string> faults = {}) {
    units = StartSimulatedUnits(count, std::move(faults), false, error);
    ASSERT_TRUE(units) << error;
    auto parsed = ParseCommandLine(args);
    ASSERT_FALSE(parsed.Error);
    HostOptions options;
    options.Links = [this](int) { return std::make_unique<TComm>(dispatcher); };
    options.ExplicitPorts = units->SlavePaths();
    host = std::make_unique<Host>(clock, prompts, std::move(options));
    window = std::make_unique<TKorvel200STxPrg>(host->App);
    WireHost(*window, *host);
    const CommandLine cmd = parsed.Line;
    StartupHooks hooks = window->WindowStartupHooks();
    window->OnFirstShow = [this, cmd, hooks] {
      host->FormShow(cmd, dir.string(), hooks);
      host->StartUnattended(cmd, [](int) {});
    };
    window->show();
  }

  bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds deadline) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
      if (t.elapsed() > std::chrono::milliseconds(deadline).count()) return false;
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
  }

  bool AllConnected(int count = 10) const {
    for (int c = 0; c < count; ++c)
      if (!host->App.Channels[c].Connected) return false;
    return true;
  }

  void Picture(const char* name) {
    if (const char* shots = std::getenv("KORVEL_SCREENSHOTS"))
      window->grab().save(QString::fromLocal8Bit(shots) + "/" + name);
  }

  std::filesystem::path Image(int kb) {
    const auto image = dir / "image.bin";
    std::ofstream out(image, std::ios::binary);
    for (int i = 0; i < kb * 1024; ++i) out.put(static_cast<char>(i * 7 + (i >> 9) * 3));
    return image;
  }
};

TEST_F(SimulatedGang, TenGaugesAndTheSearchLinesThenAnAutoRunFillsThemBlue) {
  const auto image = Image(128);
  Start({"--chip", "STM32F103xB", "--load", image.string(), "--run", "auto"});
  ASSERT_TRUE(WaitUntil([this] { return AllConnected(); }, std::chrono::seconds(30)));
  Picture("after-search.png");
  ASSERT_TRUE(WaitUntil([this] { return host->Unattended() && host->Unattended()->Finished(); },
                        std::chrono::seconds(60)));
  Picture("after-auto.png");
  EXPECT_EQ(host->Unattended()->ExitCode(), 0);
  EXPECT_TRUE(AllConnected());
  // The run neither waited for the offset dialog of the raw image nor hid
  // the gauges behind the flash page.
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(window->findChild<QWidget*>("MCUNameEdit")->property("text").toString(),
            QStringLiteral("STM32F103xB"));
  window->Timer1Tick();
  for (int c = 0; c < 10; ++c) {
    ChannelGauge* g = window->ChipPage()->Gauge(c);
    EXPECT_TRUE(g->isVisible()) << c;
    EXPECT_GT(g->maximum(), 1) << c;
    EXPECT_EQ(g->value(), g->maximum()) << c;
    EXPECT_EQ(g->ShownColor(), kGaugeBlue) << c;
  }
  size_t found = 0, success = 0;
  for (const auto& line : host->App.Log.Lines()) {
    if (line.find("Programming Success!") != std::string::npos) ++success;
    if (line.find("Channel") != std::string::npos) ++found;
  }
  EXPECT_EQ(success, 10u);
  EXPECT_GE(found, 10u);
}

// Four units, the second failing its verify and the fourth never answering.
// The results stay on the gauges through the next search; the unit that
// is not there reads as such.
TEST_F(SimulatedGang, ResultsStayOnTheGaugesThroughTheNextSearch) {
  const auto image = Image(16);
  Start({"--chip", "STM32F103xB", "--load", image.string(), "--run", "auto"}, 4, {"2:flip", "4:silent"});
  ASSERT_TRUE(WaitUntil([this] { return host->Unattended() && host->Unattended()->Finished(); },
                        std::chrono::seconds(60)));
  ChipSettingPage* page = window->ChipPage();
  auto rows = [&] {
    window->Timer1Tick();
    std::vector<std::string> shown;
    for (int c = 0; c < 5; ++c)
      shown.push_back(page->Gauge(c)->text().toStdString() + " | " + page->GaugeCounts(c)->text().toStdString());
    return shown;
  };
  const std::vector<std::string> after = rows();
  EXPECT_EQ(after[0], "Programming Success! | OK 1  NG 0");
  EXPECT_EQ(after[1], "数据校验错误！ | OK 0  NG 1");
  EXPECT_EQ(after[2], "Programming Success! | OK 1  NG 0");
  EXPECT_EQ(after[3], "no unit | OK 0  NG 0");
  EXPECT_EQ(after[4], "no unit | OK 0  NG 0");  // no port at all
  EXPECT_EQ(page->Gauge(1)->ShownColor(), kGaugeRed);
  const std::string port = units->SlavePaths()[1];
  EXPECT_EQ(page->GaugeName(1)->toolTip().toStdString(), "Channel 2  " + ShortPortName(port));
  EXPECT_EQ(window->findChild<QLabel*>("TotalsPanel")->text(), QStringLiteral("OK 2  NG 1  Yield 66.7%"));

  // What channel 4 shows is left from a unit that was there before: the
  // search must not hand it to whatever answers next.
  GaugeState& left = host->App.Channels[3].Gauge;
  left.Progress = left.Max;
  left.Color = kGaugeRed;

  window->Trigger("BitBtnFindDev");
  ASSERT_TRUE(WaitUntil([this] { return AllConnected(3); }, std::chrono::seconds(30)));
  EXPECT_EQ(rows(), after);
  EXPECT_EQ(page->Gauge(1)->ShownColor(), kGaugeRed);
  EXPECT_EQ(page->Gauge(1)->value(), page->Gauge(1)->maximum());
  EXPECT_EQ(left.Progress, 0);
  EXPECT_EQ(left.Color, kGaugeBlue);
}

// Units told to work alone from the command line are there, though they
// report nothing until their first chip.
TEST_F(SimulatedGang, UnitsStartedOffLineFromTheCommandLineAreNotMissing) {
  const auto image = Image(16);
  Start({"--chip", "STM32F103xB", "--load", image.string(), "--run", "offline"}, 3);
  ASSERT_TRUE(WaitUntil([this] { return host->Unattended() && host->Unattended()->Finished(); },
                        std::chrono::seconds(60)));
  EXPECT_EQ(host->Unattended()->ExitCode(), 0);
  window->Timer1Tick();
  for (int c = 0; c < 3; ++c) EXPECT_NE(window->ChipPage()->Gauge(c)->text(), QStringLiteral("no unit")) << c;
  EXPECT_EQ(window->ChipPage()->Gauge(3)->text(), QStringLiteral("no unit"));
}

}  // namespace
}  // namespace korvel::ui
