// Loads through the host as --load makes them, and the operations that
// need an image refusing a job whose load failed.
#include <gtest/gtest.h>

#include "ImageTestFiles.h"
#include "app/Clock.h"
#include "engine/Host.h"
#include "support/ClosedLink.h"

namespace korvel {
namespace {

using namespace testfiles;

using testing_support::ClosedLink;

struct HostLoad : ::testing::Test {
  HostLoad() {
    HostOptions o;
    o.Links = [](int) { return std::make_unique<ClosedLink>(); };
    o.ExplicitPorts = std::vector<std::string>{};
    host = std::make_unique<Host>(clock, prompts, std::move(o));
    EXPECT_FALSE(host->SelectChipByName("STM8S105K4"));
  }
  // The message each operation that needs an image shows.
  std::vector<std::string> Refusals() {
    OperationDispatch& d = host->Operations();
    std::vector<std::string> shown;
    for (auto op : {&OperationDispatch::Download, &OperationDispatch::Auto,
                    &OperationDispatch::Program, &OperationDispatch::Verify}) {
      prompts.Messages.clear();
      (d.*op)();
      shown.push_back(prompts.Messages.empty() ? "" : prompts.Messages.back().Text);
    }
    return shown;
  }

  FixedClock clock{MakeTime(2026, 12, 5, 7, 14, 11)};
  RecordingPrompts prompts;
  std::unique_ptr<Host> host;
  TempDir dir;
};

const char* const kGoodHex = ":0480000011223344D2\n:00000001FF\n";

TEST_F(HostLoad, DamagedOrUnreadableFileIsRefusedByEveryOperationThatNeedsAnImage) {
  const std::vector<std::string> refused(4, "请加载目标文件！");
  WriteText(dir / "good.hex", kGoodHex);
  WriteText(dir / "bad.hex", ":0480000011223344D2\n:0480040055667788BF\n");
  std::filesystem::create_directory(dir / "folder.hex");
  const std::pair<std::string, std::string> kBad[] = {
      {dir / "bad.hex", dir / "bad.hex: line 2: checksum error"},
      {dir / "folder.hex", dir / "folder.hex: is a directory, not a file"},
  };
  for (const auto& [path, error] : kBad) {
    // First file and additional file alike.
    for (bool first : {true, false}) {
      ASSERT_FALSE(host->LoadObjectFileByName(dir / "good.hex", true));
      EXPECT_EQ(host->LoadObjectFileByName(path, first), error) << first;
      EXPECT_EQ(Refusals(), refused) << path;
    }
  }
}

TEST_F(HostLoad, FileNameWithBytesThatAreNotUtf8) {
  const std::string path = dir / "\xff\xfe\x80 image.hex";
  WriteText(path, kGoodHex);
  EXPECT_EQ(host->LoadObjectFileByName(path, true), std::nullopt);
  EXPECT_TRUE(host->App.Flags.ImageLoaded);
  EXPECT_EQ(host->Buffers.Main[0x8000], 0x11);
  EXPECT_EQ(host->Job().ProductName, "\xff\xfe\x80 image.hex");
}

}  // namespace
}  // namespace korvel
