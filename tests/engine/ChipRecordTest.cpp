#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/ChipRecord.h"
#include "support/FileText.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) { return test::FileText(p); }

class ChipRecordTest : public ::testing::Test {
 protected:
  ChipRecordTest() : clock(MakeTime(2026, 12, 5, 7, 14, 11)), log(clock) {
    char pattern[] = "/tmp/korvel-record-XXXXXX";
    if (::mkdtemp(pattern)) dir = pattern;
  }
  ~ChipRecordTest() override {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  ChipRecord Record() { return ChipRecord(dir.string(), "line-3", log, prompts, [this] { return On; }); }
  static ChipAttempt Attempt(int channel, const std::string& day = "2026-12-05") {
    ChipAttempt a;
    a.Time = day + "T07:14:11";
    a.Channel = channel;
    a.Port = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0";
    a.UsbPath = "1-2:1.0";
    a.Unit = "Korvel200ST8-X10";
    a.Operation = "auto";
    a.Chip = "STM32F103xB";
    a.ImageFile = "app,\"v2\".hex";
    a.FlashCrc = 0x0a1b;
    a.Serial = 0x100;
    a.Result = ChannelResult::Success;
    a.Text = "Programming Success! SN 0x00000100";
    a.DurationMs = 2150;
    return a;
  }

  FixedClock clock;
  InfoLog log;
  RecordingPrompts prompts;
  fs::path dir;
  bool On = true;
};

TEST_F(ChipRecordTest, OneQuotedRowPerChipUnderOneHeaderInTheDaysFile) {
  ChipRecord record = Record();
  record.Write(Attempt(0));
  ChipAttempt failed = Attempt(2);
  failed.Serial.reset();
  failed.Result = ChannelResult::Failure;
  failed.Code = 0x31;
  failed.Text = "数据校验错误！";
  failed.DurationMs.reset();
  record.Write(failed);
  ChipAttempt download = Attempt(1);
  download.Operation = "download";  // no chip touched: no row
  record.Write(download);
  // Another run of the program appends to the same day's file.
  Record().Write(Attempt(9));
  Record().Write(Attempt(9, "2026-12-06"));

  const std::string header =
      "time,station,channel,port,usb_path,unit,chip,operation,image,flash_crc,serial,result,result_code,"
      "result_text,duration_ms\r\n";
  const std::string port = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0";
  const std::string success = ",1-2:1.0,Korvel200ST8-X10,STM32F103xB,auto,\"app,\"\"v2\"\".hex\",0x0a1b,";
  EXPECT_EQ(Slurp(dir / "VatSTxLogS" / "chips-2026-12-05.csv"),
            header + "2026-12-05T07:14:11,line-3,1," + port + success +
                "0x00000100,Success,0x00,Programming Success! SN 0x00000100,2150\r\n" +
                "2026-12-05T07:14:11,line-3,3," + port + success + ",Failure,0x31,数据校验错误！,\r\n" +
                "2026-12-05T07:14:11,line-3,10," + port + success +
                "0x00000100,Success,0x00,Programming Success! SN 0x00000100,2150\r\n");
  EXPECT_EQ(Slurp(dir / "VatSTxLogS" / "chips-2026-12-06.csv").rfind(header, 0), 0u);
  EXPECT_TRUE(prompts.Messages.empty());
}

TEST_F(ChipRecordTest, OffWritesNothing) {
  On = false;
  Record().Write(Attempt(0));
  EXPECT_FALSE(fs::exists(dir / "VatSTxLogS"));
}

// A record that cannot be written is said once, in the log at once and to
// the operator at the next chance, and the rows after it are tried again.
TEST_F(ChipRecordTest, WriteErrorIsReportedOnceAndTheRecordGoesOn) {
  fs::create_directories(dir / "VatSTxLogS" / "chips-2026-12-05.csv");
  ChipRecord record = Record();
  record.Write(Attempt(0));
  record.Write(Attempt(1));
  int lines = 0;
  for (const auto& l : log.Lines()) lines += l.find(kRecordWriteError) != std::string::npos;
  EXPECT_EQ(lines, 1);
  EXPECT_TRUE(prompts.Messages.empty());  // not while a channel is being finished
  record.ReportPending();
  record.ReportPending();
  ASSERT_EQ(prompts.Messages.size(), 1u);
  EXPECT_EQ(prompts.Messages[0].Text, kRecordWriteError);

  fs::remove(dir / "VatSTxLogS" / "chips-2026-12-05.csv");
  record.Write(Attempt(2));
  EXPECT_NE(Slurp(dir / "VatSTxLogS" / "chips-2026-12-05.csv").find(",3,"), std::string::npos);
}

}  // namespace
}  // namespace korvel
