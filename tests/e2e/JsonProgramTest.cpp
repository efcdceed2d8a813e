// korvelst run by a script that reads its results as JSON, with one faulty
// unit among ten: standard output holds nothing but JSON lines, ending in
// the summary, and the day's chip record gains a row per chip.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "e2e/HeadlessHost.h"
#include "e2e/JsonLines.h"
#include "e2e/KorvelstProcess.h"

namespace korvel::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The data rows of every chip record in dir (a run may cross midnight).
std::vector<std::string> RecordRows(const fs::path& folder) {
  std::vector<std::string> rows;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("chips-", 0) != 0 || entry.path().extension() != ".csv") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::string line;
    std::getline(in, line);  // the header
    while (std::getline(in, line)) rows.push_back(line);
  }
  return rows;
}

TEST(JsonProgram, TenUnitsOneSilentGiveJsonLinesOnlyAndTenRecordRows) {
  ScratchDir dir;
  std::mt19937 rng(3);
  std::vector<uint8_t> image(64 * 1024);
  for (auto& b : image) b = static_cast<uint8_t>(rng());
  ASSERT_TRUE(WriteHexFile(dir / "IMG.hex", {{0x08000000, image}}));

  const KorvelstOutcome r =
      RunKorvelst(dir.Path(),
                  {"--simulate", "10", "--sim-fault", "3:silent=2", "--chip", "STM32F103xB", "--load", "IMG.hex",
                   "--run", "auto", "--exit", "--json"},
                  60s);
  EXPECT_EQ(r.Status, 1) << r.Output;
  std::string error;
  const std::vector<test::Json> objects = test::ReadJsonLines(r.Out, error);
  EXPECT_EQ(error, "") << r.Out;
  ASSERT_FALSE(objects.empty()) << r.Output;
  int ends = 0;
  for (const test::Json& o : objects) {
    EXPECT_TRUE(o.Has("type") && o.Has("time")) << r.Out;
    ends += o["type"].String == "end";
  }
  EXPECT_EQ(ends, 10);
  const test::Json& summary = objects.back();
  EXPECT_EQ(summary["type"].String, "summary");
  EXPECT_EQ(summary["exit"].Int(), 1);
  ASSERT_EQ(summary["failed"].Array.size(), 1u) << r.Out;
  EXPECT_EQ(summary["failed"].Array[0].Int(), 3);

  const std::vector<std::string> rows = RecordRows(fs::path(dir.Path()) / "VatSTxLogS");
  EXPECT_EQ(rows.size(), 10u);
  int timeouts = 0;
  for (const auto& row : rows) timeouts += row.find(",Timeout,") != std::string::npos;
  EXPECT_EQ(timeouts, 1);
}

// --echo-log beside --json goes to standard error, so standard output
// stays JSON; --json without a run is refused before anything starts.
TEST(JsonProgram, EchoedLogGoesToStandardErrorAndJsonNeedsARun) {
  ScratchDir dir;
  ASSERT_TRUE(WriteHexFile(dir / "IMG.hex", {{0x08000000, std::vector<uint8_t>(4096, 0x5A)}}));
  const KorvelstOutcome r = RunKorvelst(
      dir.Path(),
      {"--simulate", "2", "--chip", "STM32F103xB", "--load", "IMG.hex", "--run", "blank", "--exit", "--json",
       "--echo-log", "--no-record"},
      60s);
  EXPECT_EQ(r.Status, 0) << r.Output;
  std::string error;
  const auto objects = test::ReadJsonLines(r.Out, error);
  EXPECT_EQ(error, "") << r.Out;
  ASSERT_FALSE(objects.empty());
  EXPECT_EQ(objects.back()["type"].String, "summary");
  EXPECT_NE(r.Err.find("Channel 1: "), std::string::npos) << r.Err;
  EXPECT_TRUE(RecordRows(fs::path(dir.Path()) / "VatSTxLogS").empty());

  const KorvelstOutcome refused = RunKorvelst(dir.Path(), {"--json"}, 20s);
  EXPECT_EQ(refused.Status, 64);
  EXPECT_EQ(refused.Out, "");
  EXPECT_NE(refused.Err.find("--json needs --run or a project file"), std::string::npos) << refused.Err;
}

}  // namespace
}  // namespace korvel::e2e
