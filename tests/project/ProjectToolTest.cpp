// korvelimg project as a process, on files the host saved.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>

#include "app/Clock.h"
#include "engine/Host.h"
#include "engine/ProjectSave.h"
#include "support/ClosedLink.h"
#include "target/ChecksumReport.h"
#include "target/ImageTestFiles.h"

namespace korvel {
namespace {

using namespace testfiles;

using testing_support::ClosedLink;

struct ToolRun {
  int Status = -1;
  std::string Out, Err;
};

ToolRun Tool(const TempDir& dir, const std::string& args) {
  const std::string out = dir / "stdout.txt", err = dir / "stderr.txt";
  const int raw = std::system(
      (std::string(KORVELIMG_PATH) + " " + args + " >" + out + " 2>" + err + " </dev/null").c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(out), ReadText(err)};
}

// An STM8S105K4 job with serial numbers and a limit, saved to path.
void SaveStm8Job(const std::string& path) {
  FixedClock clock{MakeTime(2026, 12, 5, 7, 14, 11)};
  RecordingPrompts prompts;
  HostOptions o;
  o.Links = [](int) { return std::make_unique<ClosedLink>(); };
  o.ExplicitPorts = std::vector<std::string>{};
  Host h(clock, prompts, std::move(o));
  ASSERT_FALSE(h.SelectChipByName("STM8S105K4"));
  const auto image = RandomBytes(16384, 1);
  std::copy(image.begin(), image.end(), h.Buffers.Main.begin() + 0x8000);
  h.App.Controls.CheckBoxSN.Checked = true;
  h.App.Controls.SNEdit.Text = "0x00000100";
  h.App.Controls.AddrEdit.Text = "0x00008100";
  h.App.Controls.CheckBoxCtrl.Checked = true;
  h.App.Controls.SpinEditNum.Value = 1200;
  h.App.Flags.ImageLoaded = true;
  ReportChecksums(h.Images());
  StdRandomSource random(3);
  ASSERT_TRUE(SaveProjectAs(h.Images(), {"Widget", ""}, path, random).Saved);
}

TEST(ProjectTool, ReportsASoundFileWithStoredAndRecomputedValues) {
  TempDir dir;
  SaveStm8Job(dir / "job.PKV");
  const ToolRun r = Tool(dir, "project " + dir / "job.PKV");
  EXPECT_EQ(r.Status, 0) << r.Err;
  for (const char* line :
       {"Chip: STM8S105K4\n", "Flash: 16 KB at 0x00008000..0x0000BFFF",
        "Data memory: 1024 bytes at 0x00004000, image of 4096 bytes\n",
        "Serial number: hexadecimal, value 0x00000100, step 1, address 0x00008100",
        "Limit: on, 1200 chips\n", "> Option Byte: ", "Result: 0 Project File Open Success!\n"})
    EXPECT_NE(r.Out.find(line), std::string::npos) << line << "\n" << r.Out;
  EXPECT_EQ(r.Out.find("differs"), std::string::npos) << r.Out;
}

TEST(ProjectTool, ExitStatusTellsSoundDamagedAndUnusable) {
  TempDir dir;
  SaveStm8Job(dir / "job.PKV");
  auto damaged = ReadBytes(dir / "job.PKV");
  damaged[5000] ^= 1;
  WriteBytes(dir / "damaged.PKV", damaged);
  WriteText(dir / "text.PKV", "not a project");
  std::filesystem::create_directory(dir / "folder");

  const ToolRun bad = Tool(dir, "project " + dir / "damaged.PKV");
  EXPECT_EQ(bad.Status, 1);
  EXPECT_NE(bad.Out.find("Result: 16 Project File Data Has Been Corrupted!"), std::string::npos);
  EXPECT_NE(bad.Err.find("Project File Data Has Been Corrupted!"), std::string::npos);
  const ToolRun text = Tool(dir, "project " + dir / "text.PKV");
  EXPECT_EQ(text.Status, 1);
  EXPECT_NE(text.Err.find("Not Valid Brevan Project File!"), std::string::npos);

  for (const std::string& args : {"project " + dir / "none.PKV", "project " + dir / "folder",
                                  std::string("project")}) {
    const ToolRun r = Tool(dir, args);
    EXPECT_EQ(r.Status, 64) << args;
    EXPECT_FALSE(r.Err.empty()) << args;
  }
}

}  // namespace
}  // namespace korvel
