#include <gtest/gtest.h>

#include "ImageTestFiles.h"
#include "target/ImageConvert.h"

namespace korvel {
namespace {

using namespace testfiles;

TEST(ImageConvert, NormaliseJoinsTouchingRunsAndLaterDataWins) {
  std::vector<ImageChunk> in = {{0x20, {5, 6}}, {0x10, {1, 2, 3}}, {0x13, {4}}, {0x11, {9}}, {0x30, {}}};
  auto out = NormaliseChunks(in);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].Address, 0x10u);
  EXPECT_EQ(out[0].Bytes, (std::vector<uint8_t>{1, 9, 3, 4}));
  EXPECT_EQ(out[1].Address, 0x20u);
  // A later run at a lower address wins over an earlier one it overlaps.
  out = NormaliseChunks({{0x12, {7, 7, 7}}, {0x10, {1, 2, 3}}, {0x14, {8}}});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].Bytes, (std::vector<uint8_t>{1, 2, 3, 7, 8}));
}

TEST(ImageConvert, SparseImageSurvivesEveryFormat) {
  TempDir dir;
  // Flash and option bytes 384 MB apart: fine for records, refused as raw.
  const std::vector<ImageChunk> image = {{0x08000000, RandomBytes(70000, 1)},
                                         {0x1FFFF800, RandomBytes(16, 2)}};
  for (const char* name : {"a.hex", "a.S37", "a.mot", "a.ihx"}) {
    const auto format = FormatFromExtension(name);
    ASSERT_TRUE(format) << name;
    ASSERT_TRUE(WriteImageFile(dir / name, *format, image).Ok) << name;
    auto back = ReadImageFile(dir / name, 0);
    ASSERT_TRUE(back.Ok) << back.Error;
    ASSERT_EQ(back.Chunks.size(), 2u) << name;
    EXPECT_EQ(back.Chunks[0].Bytes, image[0].Bytes);
    EXPECT_EQ(back.Chunks[1].Address, image[1].Address);
  }
  auto raw = WriteImageFile(dir / "a.bin", ImageFormat::Binary, image);
  EXPECT_FALSE(raw.Ok);
  EXPECT_NE(raw.Error.find("64 MB"), std::string::npos);
}

TEST(ImageConvert, RawGapsBecomeErasedAndRawInputTakesTheOffset) {
  TempDir dir;
  ASSERT_TRUE(WriteImageFile(dir / "g.bin", ImageFormat::Binary, {{0x100, {1}}, {0x104, {2}}}).Ok);
  EXPECT_EQ(ReadBytes(dir / "g.bin"), (std::vector<uint8_t>{1, 0xFF, 0xFF, 0xFF, 2}));
  auto r = ReadImageFile(dir / "g.bin", 0x8000);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Chunks[0].Address, 0x8000u);
  // No extension: told by the content.
  WriteText(dir / "noext", ":0100000011EE\n:00000001FF\n");
  r = ReadImageFile(dir / "noext", 0);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Chunks[0].Bytes, std::vector<uint8_t>{0x11});
  WriteText(dir / "bad.hex", ":0100000011EF\n");
  r = ReadImageFile(dir / "bad.hex", 0);
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Error, dir / "bad.hex" + ": line 1: checksum error");
}

}  // namespace
}  // namespace korvel

namespace korvel {
namespace {

TEST(ImageConvert, BothReplaceModesLeaveOnlyTheFile) {
  testfiles::TempDir dir;
  for (auto mode : {ReplaceMode::ViaTemporary, ReplaceMode::InPlace}) {
    const std::string path = dir / "out.bin";
    testfiles::WriteText(path, "an older and longer file");
    ASSERT_TRUE(WriteFileBytes(path, "new", mode).Ok);
    EXPECT_EQ(testfiles::ReadText(path), "new");
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
  }
  EXPECT_FALSE(WriteFileBytes(dir / "missing/out.bin", "x").Ok);
  // Written over in place, a device is not cut to length.
  EXPECT_TRUE(WriteFileBytes("/dev/null", "x", ReplaceMode::InPlace).Ok);
}

}  // namespace
}  // namespace korvel
