// Our readers and writers against srec_cat and objcopy: the peers write the
// files, we read them; we write, the peers read back.
#include <gtest/gtest.h>

#include <cstdio>

#include "ImageTestFiles.h"
#include "target/ImageFile.h"

namespace korvel {
namespace {

using namespace testfiles;

struct Chunk {
  uint32_t Address;
  size_t Size;
};

struct PeerCase {
  const char* Name;
  bool Motorola;       // which reader of ours
  uint32_t Base;       // start of our buffer
  size_t BufferSize;
  std::vector<Chunk> Chunks;
  const char* Tool;    // "srec_cat" or "objcopy" (one chunk only)
  const char* Options; // output options for the peer
};

const PeerCase kPeerCases[] = {
    {"LinearStm32TwoChunksAcross64K", false, 0x08000000, 0x30000,
     {{0x08000000, 3000}, {0x08011230, 70000}}, "srec_cat", "-intel"},
    {"SegmentedAcross64K", false, 0, 0x30000, {{0x8000, 5000}, {0x1FFF0, 200}}, "srec_cat",
     "-intel -address-length=3"},
    {"I8HexStm8", false, 0, 0x10000, {{0x8000, 0x7FFF}}, "srec_cat", "-intel -address-length=2"},
    {"ShortRecordsCrLf", false, 0x08000000, 0x4000, {{0x08000001, 999}, {0x08002000, 17}},
     "srec_cat", "-intel -line-length=20 -crlf"},
    {"LongRecords", false, 0, 0x20000, {{0x10000, 4099}}, "srec_cat", "-intel -line-length=255"},
    {"S19", true, 0, 0x10000, {{0x4000, 640}, {0x8000, 8192}}, "srec_cat",
     "-motorola -address-length=2"},
    {"S28", true, 0, 0x40000, {{0x8000, 0x20000}}, "srec_cat", "-motorola -address-length=3"},
    {"S37CrLf", true, 0x08000000, 0x20000, {{0x08000000, 1024}, {0x08010000, 0x8000}},
     "srec_cat", "-motorola -address-length=4 -crlf -line-length=100"},
    {"ObjcopyIhexHigh", false, 0x08000000, 0x20000, {{0x08004000, 0x12345}}, "objcopy",
     "-O ihex"},
    {"ObjcopyIhexLowSegments", false, 0, 0x30000, {{0x8000, 0x18000}}, "objcopy", "-O ihex"},
    {"ObjcopySrecS3", true, 0x08000000, 0x10000, {{0x08000100, 5000}}, "objcopy",
     "-O srec --srec-len=32 --srec-forceS3"},
    {"ObjcopySrecSmall", true, 0, 0x10000, {{0x8000, 300}}, "objcopy", "-O srec"},
};

class PeerFiles : public ::testing::TestWithParam<PeerCase> {};

TEST_P(PeerFiles, LoadsWhatThePeerWrote) {
  const PeerCase& c = GetParam();
  if (!HaveTool(c.Tool)) GTEST_SKIP() << c.Tool << " is not installed";
  TempDir dir;
  std::vector<uint8_t> expected(c.BufferSize, 0xFF);
  std::string inputs;
  for (size_t i = 0; i < c.Chunks.size(); ++i) {
    auto bytes = RandomBytes(c.Chunks[i].Size, 77 + unsigned(i));
    std::copy(bytes.begin(), bytes.end(), expected.begin() + (c.Chunks[i].Address - c.Base));
    std::string name = dir / ("chunk" + std::to_string(i) + ".bin");
    WriteBytes(name, bytes);
    char offset[32];
    std::snprintf(offset, sizeof offset, "0x%x", c.Chunks[i].Address);
    inputs += " " + name + " -binary -offset " + offset;
  }
  const std::string out = dir / "peer.img";
  std::string command;
  if (std::string(c.Tool) == "srec_cat") {
    command = "srec_cat" + inputs + " -o " + out + " " + c.Options;
  } else {
    ASSERT_EQ(c.Chunks.size(), 1u);
    command = "objcopy -I binary " + std::string(c.Options) + " --change-addresses=" +
              std::to_string(c.Chunks[0].Address) + " " + dir / "chunk0.bin" + " " + out;
  }
  ASSERT_TRUE(RunCommand(command)) << command;

  std::vector<uint8_t> ours(c.BufferSize, 0xFF);
  ImageRegion region{c.Base, ours};
  auto r = c.Motorola ? ReadSRecordFile(out, {&region, 1}) : ReadIntelHexFile(out, {&region, 1});
  EXPECT_EQ(r.IssueCount, 0u) << r.Summary();
  EXPECT_TRUE(r.HasData);
  EXPECT_EQ(r.Low, c.Chunks.front().Address);
  EXPECT_EQ(r.High, c.Chunks.back().Address + c.Chunks.back().Size - 1);
  EXPECT_TRUE(ours == expected);
}

INSTANTIATE_TEST_SUITE_P(Shapes, PeerFiles, ::testing::ValuesIn(kPeerCases),
                         [](const auto& info) { return std::string(info.param.Name); });

struct WriteCase {
  const char* Name;
  bool Motorola;
  uint32_t Offset;  // address of buffer[0]
  uint32_t First, Last;
  const char* PeerFormat;
};

const WriteCase kWriteCases[] = {
    {"HexStm8", false, 0, 0x8000, 0x27FFF, "-intel"},
    {"HexStm32Offset", false, 0x08000000, 0x08000000, 0x0803FFFF, "-intel"},
    {"HexUnaligned", false, 0x08000000, 0x08000007, 0x0801000A, "-intel"},
    {"S19", true, 0, 0x8000, 0xBFFF, "-motorola"},
    {"S28", true, 0, 0x8000, 0x27FFF, "-motorola"},
    {"S37", true, 0x08000000, 0x08000003, 0x0801FFFF, "-motorola"},
};

class PeerReadsOurs : public ::testing::TestWithParam<WriteCase> {};

TEST_P(PeerReadsOurs, IdenticalImage) {
  const WriteCase& c = GetParam();
  if (!HaveTool("srec_cat")) GTEST_SKIP() << "srec_cat is not installed";
  TempDir dir;
  auto buffer = RandomBytes(c.Last - c.Offset + 1 + 64, 5);
  const std::string ours = dir / "ours.img", bin = dir / "back.bin";
  auto w = c.Motorola ? WriteSRecordFile(ours, buffer, c.Offset, c.First, c.Last)
                      : WriteIntelHexFile(ours, buffer, c.Offset, c.First, c.Last);
  ASSERT_TRUE(w.Ok) << w.Error;
  char shift[32];
  std::snprintf(shift, sizeof shift, "-0x%x", c.First);
  const std::string command =
      "srec_cat " + ours + " " + c.PeerFormat + " -offset " + shift + " -o " + bin + " -binary";
  ASSERT_TRUE(RunCommand(command)) << command;
  std::vector<uint8_t> expected(buffer.begin() + (c.First - c.Offset),
                                buffer.begin() + (c.Last - c.Offset) + 1);
  EXPECT_TRUE(ReadBytes(bin) == expected);

  // And our own reader gives the same bytes back.
  std::vector<uint8_t> again(expected.size(), 0);
  ImageRegion region{c.First, again};
  auto r = c.Motorola ? ReadSRecordFile(ours, {&region, 1}) : ReadIntelHexFile(ours, {&region, 1});
  EXPECT_EQ(r.IssueCount, 0u) << r.Summary();
  EXPECT_TRUE(again == expected);
}

INSTANTIATE_TEST_SUITE_P(Shapes, PeerReadsOurs, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace korvel
