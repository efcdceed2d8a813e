// "&Save Memory to File": the format follows the chosen filter, and what is
// written loads back as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "BufferTestJob.h"
#include "ImageTestFiles.h"
#include "target/ImageCommands.h"
#include "target/ImageLoading.h"
#include "target/SaveTarget.h"

namespace korvel {
namespace {

using namespace testfiles;
using namespace testjob;

constexpr int kBinFilter = 0, kHexFilter = 1, kSRecordFilter = 2;

struct Case {
  const char* Typed;
  int Filter;
  const char* Written;
  ImageKind Kind;
};

const Case kCases[] = {
    // No extension: the filter's format and extension.
    {"out", kHexFilter, "out.HEX", ImageKind::IntelHex},
    {"out", kSRecordFilter, "out.S19", ImageKind::SRecord},
    {"out", kBinFilter, "out.BIN", ImageKind::Binary},
    // An extension the loader knows wins, agreeing with the filter or not.
    {"out.hex", kHexFilter, "out.hex", ImageKind::IntelHex},
    {"out.hex", kBinFilter, "out.hex", ImageKind::IntelHex},
    {"out.bin", kHexFilter, "out.bin", ImageKind::Binary},
    {"out.s28", kBinFilter, "out.s28", ImageKind::SRecord},
    {"out.MOT", kBinFilter, "out.MOT", ImageKind::SRecord},
    // Any other extension: the name as typed, the filter's format.
    {"out.dat", kHexFilter, "out.dat", ImageKind::IntelHex},
    {"out.dat", kBinFilter, "out.dat", ImageKind::Binary},
};

TEST(SaveTarget, FilterOrKnownExtensionDecides) {
  const auto filters = SaveFileDialog().Filters;
  for (const Case& c : kCases) {
    const SaveTarget t = ResolveSaveTarget({std::string("/tmp/d.x/") + c.Typed, c.Filter}, filters);
    EXPECT_EQ(t.Name, std::string("/tmp/d.x/") + c.Written) << c.Typed << " " << c.Filter;
    EXPECT_EQ(t.Kind, c.Kind) << c.Typed << " " << c.Filter;
  }
}

TEST(SaveTarget, SavedMemoryLoadsBackUnderTheNameItWasGiven) {
  const auto code = RandomBytes(0x20000, 11);
  for (const Case& c : kCases) {
    TempDir dir;
    TestJob saver(Stm32F103xB(), true);
    std::copy(code.begin(), code.end(), saver.Buffers.Main.begin());
    saver.App.Flags.ImageLoaded = true;
    saver.Prompts.FileNames = {dir / c.Typed};
    saver.Prompts.SaveFilters = {c.Filter};
    ImageJob save = saver.Job();
    SaveMemoryCommand(save);
    const std::string written = dir / c.Written;
    ASSERT_FALSE(saver.Prompts.Messages.empty());
    EXPECT_EQ(saver.Prompts.Messages.back().Text, "文件\"" + written + "\"以保存！") << c.Typed;
    ASSERT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << c.Typed;

    const std::string text = ReadText(written);
    ASSERT_FALSE(text.empty()) << c.Typed;
    const char first = c.Kind == ImageKind::IntelHex ? ':' : c.Kind == ImageKind::SRecord ? 'S' : 0;
    if (first) {
      EXPECT_EQ(text[0], first) << c.Typed;
    } else {
      EXPECT_EQ(text.size(), code.size()) << c.Typed;
    }

    if (ObjectFileKind(written) == ImageKind::Unknown) continue;
    TestJob loader(Stm32F103xB(), true);
    ImageJob load = loader.Job();
    EXPECT_TRUE(LoadObjectFile(load, written, false).Loaded) << c.Typed;
    EXPECT_TRUE(std::equal(code.begin(), code.end(), loader.Buffers.Main.begin())) << c.Typed;
  }
}

}  // namespace
}  // namespace korvel
