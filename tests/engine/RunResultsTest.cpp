// A whole unattended run on ten in-process simulated units, one of them
// faulty: the JSON lines a script reads and the rows of the chip record.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "e2e/JsonLines.h"
#include "engine/Host.h"
#include "sim/SimLink.h"
#include "sim/UnitFaults.h"
#include "target/ImageFile.h"
#include "sim/SimHostFixture.h"
#include "support/FileText.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;
using test::Json;

std::string Slurp(const fs::path& p) { return test::FileText(p); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

class RunResults : public test::SimHostFixture {
 protected:
  RunResults() {
    char pattern[] = "/tmp/korvel-results-XXXXXX";
    if (::mkdtemp(pattern)) dir = pattern;
    std::vector<uint8_t> image(32 * 1024);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 13 + 5);
    const ImageChunk chunk{0x08000000, image};
    std::ofstream(dir / "app,v2.hex", std::ios::binary) << FormatIntelHex(std::span(&chunk, 1));
    cmd.Chip = "STM32F103xB";
    cmd.Loads = {(dir / "app,v2.hex").string()};
    cmd.Run = "auto";
    cmd.Exit = true;
    cmd.Json = true;
    cmd.Serial.On = true;
    cmd.Serial.Value = 0x100;
    cmd.Serial.Address = 0x0801FFFC;
  }
  ~RunResults() override {
    host.reset();
    std::error_code ec;
    fs::remove_all(dir, ec);
  }

  // One run of the program in dir with these unit faults; returns the
  // status it quit with (nullopt: it never did).
  std::optional<int> Run(const std::vector<std::string>& faultTexts) {
    if (!MakeHost(faultTexts)) return std::nullopt;
    host->FormShow(cmd, dir.string(), {});
    std::optional<int> status;
    Host::CommandLineOutput out;
    out.Summary = [this](const std::string& line) { Out += line + "\n"; };
    out.Error = [this](const std::string& line) { Err += line + "\n"; };
    host->StartCommandLine(cmd, [&](int code) { status = code; }, out);
    host->OnTimer2Tick();
    Pump();
    for (int i = 0; i < 3000 && !status; ++i) {
      host->OnTimer1Tick();
      clock.AdvanceMs(10);
      Pump();
    }
    return status;
  }
  std::vector<Json> Objects() {
    std::string error;
    auto objects = test::ReadJsonLines(Out, error);
    EXPECT_EQ(error, "");
    return objects;
  }
  fs::path RecordFile() const { return dir / "VatSTxLogS" / "chips-2026-12-05.csv"; }

  fs::path dir;
  CommandLine cmd;
  std::string Out, Err;
};

TEST_F(RunResults, OneFaultyUnitGivesTheDocumentedObjectsAndOneRowPerChip) {
  ASSERT_EQ(Run({"3:silent=2"}), 1) << Out << Err;
  const std::vector<Json> objects = Objects();
  ASSERT_FALSE(objects.empty());
  std::map<std::string, std::vector<const Json*>> byType;
  for (const Json& o : objects) {
    EXPECT_EQ(o["time"].String, "2026-12-05T07:14:11");
    byType[o["type"].String].push_back(&o);
  }
  // Search, then progress and ends, then the summary, last.
  EXPECT_EQ(objects.front()["type"].String, "search");
  EXPECT_EQ(objects.back()["type"].String, "summary");
  ASSERT_EQ(byType["search"].size(), 10u);
  for (const Json* s : byType["search"]) {
    EXPECT_TRUE(s->operator[]("found").Bool);
    EXPECT_EQ(s->operator[]("unit").String, "Korvel200ST8-X10");
  }
  EXPECT_FALSE(byType["progress"].empty());

  ASSERT_EQ(byType["end"].size(), 10u);
  for (const Json* e : byType["end"]) {
    const Json& end = *e;
    const int64_t ch = end["channel"].Int();
    SCOPED_TRACE(ch);
    EXPECT_EQ(end["port"].String, "/dev/ttyACM" + std::to_string(ch - 1));
    EXPECT_EQ(end["operation"].String, "auto");
    EXPECT_EQ(end["chip"].String, "STM32F103xB");
    EXPECT_EQ(end["image"].String, "app,v2.hex");
    EXPECT_EQ(end["flash_crc"].Int(), host->Buffers.FlashCrc);
    EXPECT_EQ(end["unit"].String, "Korvel200ST8-X10");
    EXPECT_FALSE(end["duration_ms"].IsNull());
    if (ch == 3) {
      EXPECT_EQ(end["result"].String, "Timeout");
      EXPECT_EQ(end["text"].String, "操作超时！");
      EXPECT_TRUE(end["serial"].IsNull());
      EXPECT_GE(end["duration_ms"].Int(), 4000);  // the watchdog's 5 s
    } else {
      EXPECT_EQ(end["result"].String, "Success");
      EXPECT_EQ(end["code"].Int(), 0);
      // Numbers go to the chips in channel order; channel 3's is not used.
      EXPECT_EQ(end["serial"].Int(), 0x100 + ch - 1);
    }
  }
  const Json& summary = objects.back();
  EXPECT_EQ(summary["operation"].String, "auto");
  EXPECT_EQ(summary["ok"].Int(), 9);
  EXPECT_EQ(summary["ng"].Int(), 1);
  EXPECT_EQ(summary["exit"].Int(), 1);
  ASSERT_EQ(summary["failed"].Array.size(), 1u);
  EXPECT_EQ(summary["failed"].Array[0].Int(), 3);
  ASSERT_EQ(summary["channels"].Array.size(), 10u);
  EXPECT_EQ(summary["channels"].Array[2]["result"].String, "Timeout");
  // Nothing but JSON: the text summary is not printed beside it.
  EXPECT_EQ(Out.find("OK=9"), std::string::npos);

  const std::vector<std::string> rows = Lines(Slurp(RecordFile()));
  ASSERT_EQ(rows.size(), 11u);
  EXPECT_EQ(rows[0].rfind("time,station,channel,port,", 0), 0u);
  // Rows come as the chips end, the timed-out one last.
  for (int c = 1; c <= 10; ++c) {
    const std::string key = "," + std::to_string(c) + ",/dev/ttyACM" + std::to_string(c - 1) + ",";
    const auto row = std::find_if(rows.begin() + 1, rows.end(),
                                  [&](const std::string& r) { return r.find(key) != std::string::npos; });
    ASSERT_NE(row, rows.end()) << c;
    SCOPED_TRACE(*row);
    EXPECT_NE(row->find(key + ",Korvel200ST8-X10,STM32F103xB,auto,\"app,v2.hex\","), std::string::npos);
    EXPECT_NE(row->find(c == 3 ? ",Timeout,0x00,操作超时！," : ",Success,0x00,Programming Success! SN "),
              std::string::npos);
  }
  EXPECT_NE(rows.back().find(",3,/dev/ttyACM2,"), std::string::npos);

  // A second run appends under the same header; its failure is a new row.
  Out.clear();
  host.reset();
  ASSERT_EQ(Run({"5:silent=2"}), 1) << Out << Err;
  const std::vector<std::string> after = Lines(Slurp(RecordFile()));
  ASSERT_EQ(after.size(), 21u);
  EXPECT_EQ(std::count(after.begin(), after.end(), rows[0]), 1);
  EXPECT_NE(after.back().find(",5,/dev/ttyACM4,"), std::string::npos) << after.back();
  EXPECT_NE(after.back().find(",Timeout,"), std::string::npos) << after.back();
}

// The record cannot be written: the run still ends as it would, its JSON
// intact, and the operator hears of it once.
TEST_F(RunResults, RecordWriteErrorIsReportedAndTheRunGoesOn) {
  fs::create_directories(RecordFile());  // a folder where the file would go
  ASSERT_EQ(Run({"3:silent=2"}), 1);
  const std::vector<Json> objects = Objects();
  ASSERT_FALSE(objects.empty());
  EXPECT_EQ(objects.back()["type"].String, "summary");
  int messages = 0;
  for (const auto& m : prompts.Messages) messages += m.Text == kRecordWriteError;
  EXPECT_EQ(messages, 1);
}

TEST_F(RunResults, NoRecordWritesNoRow) {
  cmd.NoRecord = true;
  cmd.Json = false;
  ASSERT_EQ(Run({}), 0);
  EXPECT_FALSE(fs::exists(RecordFile()));
  EXPECT_NE(Out.find("OK=10, NG=0."), std::string::npos) << Out;
}

}  // namespace
}  // namespace korvel
