// The project file's bytes: layout, masking, the running sum, and files
// that are cut, damaged or random.
#include <gtest/gtest.h>

#include <random>

#include "engine/RandomSource.h"
#include "target/ProjectFormat.h"
#include "target/ProjectJob.h"

namespace korvel {
namespace {

constexpr size_t kTrailer = 256;
constexpr size_t kCfgTagAt = 2403;
constexpr size_t kMfmTagAt = 3431;

std::vector<uint8_t> Pattern(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(rng());
  return v;
}

// An STM8S105K4 job: 16 KB flash from 0x8000, the 4096-byte data image.
ProjectContent Stm8Content() {
  ProjectContent c;
  c.ChipName = "STM8S105K4";
  c.FlashBase = 0x8000;
  c.EepBase = 0x4000;
  c.EepSize = 1024;
  c.OptionByteAddr = 0x4800;
  c.Flash = Pattern(16384, 1);
  c.DataMemory = Pattern(4096, 2);
  c.HeaderBlock[8] = 0xD6;
  c.HeaderBlock[24] = 16;  // FlashSizeKB
  c.HeaderBlock[42 + 1] = 0x80;  // FlashBase 0x8000
  c.Checks = {1, 2, 3, 4, 5, 6};
  c.MaxCount = 0xFFFFFFFF;
  c.SnDisplay = kProjectSnStOrder;
  return c;
}

std::vector<uint8_t> Encode(const ProjectContent& c, uint32_t seed = 7) {
  StdRandomSource random(seed);
  return EncodeProject(c, [&random] { return random.RequestByte(); });
}

uint32_t U32At(const std::vector<uint8_t>& f, size_t at) {
  return f[at] | f[at + 1] << 8 | f[at + 2] << 16 | uint32_t{f[at + 3]} << 24;
}

size_t SumAt(const std::vector<uint8_t>& f) { return f.size() - kTrailer - 4; }

// Puts the right sum back after a change, so only the change is judged.
void Reseal(std::vector<uint8_t>& f) {
  uint32_t sum = 0;
  for (size_t i = 0; i < SumAt(f); ++i) sum += f[i];
  for (int i = 0; i < 4; ++i) f[SumAt(f) + i] = static_cast<uint8_t>(sum >> (8 * i));
}

TEST(ProjectFormat, Stm8FileHasItsSectionsKeysAndSumWhereTheLayoutPutsThem) {
  const ProjectContent c = Stm8Content();
  const std::vector<uint8_t> f = Encode(c);
  // Flash: 16384 bytes and 17 keys; EEP: n, then 4096 bytes and 5 keys.
  const size_t eepTagAt = kMfmTagAt + 3 + 16384 + 17;
  ASSERT_EQ(f.size(), eepTagAt + 3 + 2 + 4096 + 5 + 4 + kTrailer);
  EXPECT_EQ(std::string(f.begin(), f.begin() + 6), "Brevan");
  EXPECT_EQ(f[6], 1);
  EXPECT_EQ(f[7], 11);
  EXPECT_EQ(f[24], 'S' ^ kProjectNameKey);
  EXPECT_EQ(f[24 + 10], 0) << "padding is not masked";
  EXPECT_EQ(f[44], 0) << "no source name";
  EXPECT_EQ(U32At(f, 156), 0xFFFFFFFFu);
  EXPECT_EQ(f[256], kProjectSnStOrder);
  EXPECT_EQ(U32At(f, 258), 16384u);
  EXPECT_EQ(U32At(f, 280), 0x8000u);
  EXPECT_EQ(U32At(f, 284), 0x4000u);
  EXPECT_EQ(U32At(f, 288), 0x4800u);
  EXPECT_EQ(U32At(f, 306), 1u);
  EXPECT_EQ(U32At(f, 326), 6u);
  for (size_t i = 354; i < 354 + kProjectMaskSize; ++i) ASSERT_LT(f[i], 255) << i;
  EXPECT_EQ(f[kCfgTagAt], 'C' ^ kProjectCfgKey);
  EXPECT_EQ(f[kMfmTagAt + 2], 'M' ^ kProjectMfmKey);
  EXPECT_EQ(f[eepTagAt], 'E' ^ kProjectEepKey);
  EXPECT_EQ(f[eepTagAt + 3] | f[eepTagAt + 4] << 8, 4096);

  // Data masking: plain XOR mask XOR the run's key, fresh keys every 1024.
  const auto mask = [&f](size_t i) { return f[354 + i]; };
  const size_t flashAt = kMfmTagAt + 3;
  for (size_t run = 0; run < 16; ++run) {
    const size_t keyAt = flashAt + run * 1025;
    for (size_t i : {size_t{0}, size_t{513}, size_t{1023}})
      ASSERT_EQ(f[keyAt + 1 + i] ^ mask(i) ^ f[keyAt], c.Flash[run * 1024 + i]) << run << ' ' << i;
  }
  uint32_t sum = 0;
  for (size_t i = 0; i < SumAt(f); ++i) sum += f[i];
  EXPECT_EQ(U32At(f, SumAt(f)), sum);
}

TEST(ProjectFormat, ReadGivesBackWhatWasWrittenWithLongNamesCut) {
  ProjectContent c = Stm8Content();
  c.ChipName = "STM32F103xB-ABCDEFGHI";  // 21 characters
  c.SourceName = "Widget 7";
  c.HeaderBlock[700] = 0x5A;
  const ProjectRead r = DecodeProject(Encode(c));
  ASSERT_EQ(r.Result, kProjectOk);
  EXPECT_EQ(r.Content.ChipName, "STM32F103xB-ABCDEFGH");
  EXPECT_EQ(r.Content.SourceName, "Widget 7");
  EXPECT_EQ(r.Content.ModelName, "Korvel200ST8");
  EXPECT_EQ(r.Content.HeaderBlock, c.HeaderBlock);
  EXPECT_EQ(r.Content.Flash, c.Flash);
  EXPECT_EQ(r.Content.DataMemory, c.DataMemory);
  EXPECT_EQ(r.Content.Checks, c.Checks);
  EXPECT_EQ(r.Content.MaxCount, c.MaxCount);
}

TEST(ProjectFormat, DamageGivesTheResultOfItsKind) {
  const std::vector<uint8_t> good = Encode(Stm8Content());
  const size_t eepTagAt = kMfmTagAt + 3 + 16384 + 17;
  struct Case {
    const char* Name;
    std::function<void(std::vector<uint8_t>&)> Damage;
    int Result;
  } cases[] = {
      {"flash byte flipped", [](auto& f) { f[kMfmTagAt + 3 + 100] ^= 1; }, kProjectBadSum},
      {"magic", [](auto& f) { f[0] = 'b'; }, kProjectBadMagic},
      {"CFG tag, sum fixed", [](auto& f) { f[kCfgTagAt + 1] ^= 0x20; Reseal(f); }, kProjectBadCfgTag},
      {"MFM tag, sum fixed", [](auto& f) { f[kMfmTagAt] ^= 0x20; Reseal(f); }, kProjectBadMfmTag},
      {"EEP tag, sum fixed", [&](auto& f) { f[eepTagAt + 2] ^= 1; Reseal(f); }, kProjectBadEepTag},
      {"stored sum", [](auto& f) { f[SumAt(f)] ^= 1; }, kProjectBadSum},
      {"n above the staging buffer",
       [&](auto& f) { f[eepTagAt + 3] = 0x01; f[eepTagAt + 4] = 0x40; }, kProjectBadSum},
      {"flash size above the main buffer", [](auto& f) { f[261] = 0x7F; }, kProjectBadSum},
      {"file grown past the sum", [](auto& f) { f.insert(f.end(), 5000, 0xAB); }, kProjectOk},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> f = good;
    c.Damage(f);
    const ProjectRead r = DecodeProject(f);
    EXPECT_EQ(r.Result, c.Result) << c.Name;
    EXPECT_STREQ(ProjectResultMessage(r.Result),
                 c.Result == kProjectOk          ? "Project File Open Success!"
                 : c.Result == kProjectBadMagic ? "Not Valid Brevan Project File!"
                                                : "Project File Data Has Been Corrupted!")
        << c.Name;
  }
}

TEST(ProjectFormat, EveryCutOfAFileIsRefusedUntilItsSumIsWhole) {
  // An STM32 job without data memory keeps the file small enough to cut at
  // every length.
  ProjectContent c;
  c.ChipName = "STM32F030x4";
  c.ChipFlags = kProjectFlagStm32;
  c.FlashBase = 0x08000000;
  c.Flash = Pattern(16384, 3);
  const std::vector<uint8_t> f = Encode(c);
  const size_t whole = SumAt(f) + 4;
  for (size_t n = 0; n < f.size(); ++n) {
    const ProjectRead r = DecodeProject(std::span(f.data(), n));
    const int expected = n < 6 ? kProjectBadMagic : n < whole ? kProjectBadSum : kProjectOk;
    ASSERT_EQ(r.Result, expected) << "cut at " << n;
  }
}

TEST(ProjectFormat, RandomFilesAreNeverTakenForProjects) {
  std::mt19937 rng(11);
  for (int i = 0; i < 200; ++i) {
    std::vector<uint8_t> f = Pattern(rng() % 40000, static_cast<unsigned>(rng()));
    // Half of them pass the magic and reach the sizes and sections.
    if (i % 2 == 0 && f.size() >= 6) std::copy_n("Brevan", 6, f.begin());
    const ProjectRead r = DecodeProject(f);
    ASSERT_NE(r.Result, kProjectOk) << i;
    ASSERT_EQ(r.Result, i % 2 == 0 && f.size() >= 6 ? kProjectBadSum : kProjectBadMagic) << i;
  }
}

TEST(ProjectFormat, StagingRefusesImagesThatDoNotFitTheirBuffers) {
  ProjectContent stm8 = Stm8Content();
  stm8.FlashBase = 0x1FE000;  // 16 KB from here ends past the 2 MB buffer
  EXPECT_FALSE(StageProject(stm8));
  ProjectContent otp;
  otp.ChipFlags = kProjectFlagStm32 | kProjectFlagOtp;
  otp.DataMemory = Pattern(8192, 4);  // the OTP buffer holds 4096
  EXPECT_FALSE(StageProject(otp));
  otp.DataMemory.resize(1024);
  EXPECT_TRUE(StageProject(otp));
}

}  // namespace
}  // namespace korvel
