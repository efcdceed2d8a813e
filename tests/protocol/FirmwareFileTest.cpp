// The units' firmware file: its layout, the refusal of anything else, and
// the bytes of an upgrade block.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "protocol/FirmwareFile.h"
#include "protocol/PacketBuilder.h"

namespace korvel {
namespace {

using Bytes = std::vector<uint8_t>;

// A firmware file laid out by hand, independently of MakeFirmwareFile: key
// K, end E, body L, the given mask table bytes (the rest zero) and the body
// as stored; Seal() writes the sum.
struct HandFile {
  Bytes f;
  HandFile(uint16_t key, uint16_t end, uint16_t length) {
    f.assign(3315 + (length + 15) / 16 * 16 + 876 + 4, 0);
    const char* id = "Tolfrex";
    for (int i = 0; i < 7; ++i) f[i] = static_cast<uint8_t>(id[i] ^ 0x5E);
    Put(15, key);
    Put(17, end ^ key);
    Put(19, 0x1111 ^ key);
    Put(21, 0x2222 ^ key);
    Put(23, length ^ key);
  }
  void Put(size_t at, uint16_t v) {
    f[at] = static_cast<uint8_t>(v);
    f[at + 1] = static_cast<uint8_t>(v >> 8);
  }
  uint8_t& Table(size_t i) { return f[25 + i]; }
  uint8_t& Body(size_t i) { return f[3315 + i]; }
  Bytes Seal(int32_t off = 0) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 4 < f.size(); ++i) sum += f[i];
    sum += static_cast<uint32_t>(off);
    for (int k = 0; k < 4; ++k) f[f.size() - 4 + k] = static_cast<uint8_t>(sum >> (8 * k));
    return f;
  }
};

std::function<uint32_t()> Seeded(uint32_t seed) {
  auto engine = std::make_shared<std::mt19937>(seed);
  return [engine] { return static_cast<uint32_t>((*engine)()); };
}

TEST(FirmwareFile, UnmasksTheBodyWithTheTablePairOfEachGroupWrappingAfter1024Groups) {
  // 4100 groups of 4 bytes go past the wrap at 1024 groups.
  HandFile h(0xBEEF, 0x8400, 4104);
  h.Table(0) = 0xA1;
  h.Table(1) = 0xB2;
  h.Table(2) = 0xFF;  // never used: only t[4m] and t[4m+1] mask
  h.Table(4) = 0xC3;
  h.Table(5) = 0xD4;
  h.Table(3289) = 0x77;  // the last stored byte, t[4*822+1]
  for (size_t i = 0; i < 4112; ++i) h.Body(i) = 0x0F;  // the stored rows run to 4112
  const FirmwareRead r = ParseFirmwareFile(h.Seal());
  ASSERT_TRUE(r.Firmware) << r.Error;
  const FirmwareImage& fw = *r.Firmware;
  EXPECT_EQ(fw.End, 0x8400);
  EXPECT_EQ(fw.BodyLength, 4104);
  EXPECT_EQ(fw.BlockTotal(), 30);
  const Bytes group0{0x0F ^ 0xA1, 0x0F ^ 0xB2, 0x0F ^ 0xA1, 0x0F ^ 0xB2};
  const Bytes group1{0x0F ^ 0xC3, 0x0F ^ 0xD4, 0x0F ^ 0xC3, 0x0F ^ 0xD4};
  EXPECT_EQ(Bytes(fw.Image.begin(), fw.Image.begin() + 4), group0);
  EXPECT_EQ(Bytes(fw.Image.begin() + 4, fw.Image.begin() + 8), group1);
  EXPECT_EQ(fw.Image[4 * 822 + 1], 0x0F ^ 0x77);
  // Past the stored table the mask is 0.
  EXPECT_EQ(fw.Image[4 * 900], 0x0F);
  EXPECT_EQ(Bytes(fw.Image.begin() + 4096, fw.Image.begin() + 4104), (Bytes{0x0F ^ 0xA1, 0x0F ^ 0xB2, 0x0F ^ 0xA1,
                                                                           0x0F ^ 0xB2, 0x0F ^ 0xC3, 0x0F ^ 0xD4,
                                                                           0x0F ^ 0xC3, 0x0F ^ 0xD4}));
  // The body is stored in 16-byte rows: the rest of the last row is
  // unmasked too, and the image is zero beyond it.
  EXPECT_EQ(fw.Image[4111], 0x0F ^ 0x00);
  EXPECT_EQ(fw.Image[4112], 0x00);
}

TEST(FirmwareFile, BlockTotalFollowsTheEndValue) {
  struct Case {
    uint16_t End;
    int Blocks;
  };
  for (const Case c : {Case{4096, 1}, Case{5119, 1}, Case{5120, 2}, Case{0x8400, 30}, Case{0xFFFF, 60}}) {
    HandFile h(0x1234, c.End, 16);
    const FirmwareRead r = ParseFirmwareFile(h.Seal());
    ASSERT_TRUE(r.Firmware) << c.End << ": " << r.Error;
    EXPECT_EQ(r.Firmware->BlockTotal(), c.Blocks) << c.End;
  }
}

TEST(FirmwareFile, RefusesADamagedFile) {
  struct Case {
    const char* Name;
    std::function<Bytes()> Make;
  };
  const Case cases[] = {
      {"sum one too high", [] { return HandFile(7, 4096, 32).Seal(1); }},
      {"sum one too low", [] { return HandFile(7, 4096, 32).Seal(-1); }},
      {"identification", [] {
         HandFile h(7, 4096, 32);
         h.f[3] ^= 0x01;
         return h.Seal();
       }},
      {"end below the first block", [] { return HandFile(7, 4095, 32).Seal(); }},
      {"one byte more than the header says", [] {
         Bytes f = HandFile(7, 4096, 32).Seal();
         f.push_back(0);
         return f;
       }},
      {"body length larger than the file", [] {
         HandFile h(7, 4096, 32);
         h.Put(23, 64 ^ 7);
         return h.Seal();
       }},
  };
  for (const Case& c : cases) {
    const FirmwareRead r = ParseFirmwareFile(c.Make());
    EXPECT_FALSE(r.Firmware) << c.Name;
    EXPECT_FALSE(r.Error.empty()) << c.Name;
  }
}

TEST(FirmwareFile, HostileBytesAreRefusedWithoutHarm) {
  Bytes body(3000);
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>(i * 13);
  const Bytes good = MakeFirmwareFile(body, FirmwareEndFor(body.size()), Seeded(1));
  ASSERT_TRUE(ParseFirmwareFile(good).Firmware);
  // Every cut of a good file.
  for (size_t n = 0; n < good.size(); ++n)
    ASSERT_FALSE(ParseFirmwareFile(std::span<const uint8_t>(good.data(), n)).Firmware) << n;
  // Random files, some with a valid identification in front.
  std::mt19937 rng(99);
  for (int i = 0; i < 400; ++i) {
    Bytes f(rng() % 9000);
    for (auto& b : f) b = static_cast<uint8_t>(rng());
    if (i % 2 && f.size() >= 7) std::copy(good.begin(), good.begin() + 7, f.begin());
    EXPECT_FALSE(ParseFirmwareFile(f).Firmware) << i;
  }
  // Each single byte changed (sum included) is caught.
  for (size_t at = 0; at < good.size(); at += 97) {
    Bytes f = good;
    f[at] ^= 0x40;
    EXPECT_FALSE(ParseFirmwareFile(f).Firmware) << at;
  }
}

// The firmware file's name comes from the operator's folder: whatever sits
// there under that name is refused with a reason, without waiting on it.
TEST(FirmwareFile, ReadsOnlyRegularFiles) {
  char dirTemplate[] = "/tmp/korvel-fw-XXXXXX";
  ASSERT_NE(::mkdtemp(dirTemplate), nullptr);
  const std::string dir = dirTemplate;
  const Bytes good = MakeFirmwareFile(Bytes(100, 0x42), FirmwareEndFor(100), Seeded(2));
  { std::ofstream(dir + "/good.bin", std::ios::binary).write(reinterpret_cast<const char*>(good.data()),
                                                             static_cast<std::streamsize>(good.size())); }
  ASSERT_EQ(::mkfifo((dir + "/fifo").c_str(), 0600), 0);
  ASSERT_EQ(::mkdir((dir + "/folder").c_str(), 0700), 0);
  EXPECT_TRUE(ReadFirmwareFile(dir + "/good.bin").Firmware);
  for (const char* name : {"/fifo", "/folder", "/missing"}) {
    const FirmwareRead r = ReadFirmwareFile(dir + name);
    EXPECT_FALSE(r.Firmware) << name;
    EXPECT_NE(r.Error.find(dir + name), std::string::npos) << r.Error;
  }
  std::filesystem::remove_all(dir);
}

TEST(FirmwareFile, MadeFilesReadBackToTheirBody) {
  for (size_t size : {size_t{1}, size_t{2048}, size_t{40000}, size_t{0xFFFF}}) {
    Bytes body(size);
    for (size_t i = 0; i < size; ++i) body[i] = static_cast<uint8_t>(i * 31 + 5);
    const FirmwareRead r = ParseFirmwareFile(MakeFirmwareFile(body, FirmwareEndFor(size), Seeded(3)));
    ASSERT_TRUE(r.Firmware) << size << ": " << r.Error;
    EXPECT_TRUE(std::equal(body.begin(), body.end(), r.Firmware->Image.begin())) << size;
    // Its blocks carry the whole body.
    EXPECT_GE(static_cast<size_t>(r.Firmware->BlockTotal()) * 2048, size);
  }
}

TEST(FirmwareFile, BlockBytesMatchAHandComputedVector) {
  FirmwareImage fw;
  fw.End = 0x8400;
  const Bytes head{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
  std::copy(head.begin(), head.end(), fw.Image.begin() + 2048);  // block 1
  uint8_t next = 0xA0;
  const Bytes d = FirmwareBlockData(fw, 1, 0x1234, [&next] { return next++; });
  ASSERT_EQ(d.size(), 0x1020u);
  // Tail: three random bytes and a zero per group.
  EXPECT_EQ(Bytes(d.begin() + 2048, d.begin() + 2056), (Bytes{0xA0, 0xA1, 0xA2, 0x00, 0xA3, 0xA4, 0xA5, 0x00}));
  // (0x11^0x34)^0xA0, (0x22^0x12)^0xA1, (0x33^0x34)^0xA2, 0, then
  // (0x55^0x34)^0xA3, (0x66^0x12)^0xA4, (0x77^0x34)^0xA5, 0: the fourth
  // image byte of each group (0x44) is not sent.
  EXPECT_EQ(Bytes(d.begin(), d.begin() + 8), (Bytes{0x85, 0x91, 0xA5, 0x00, 0xC2, 0xD0, 0xE6, 0x00}));
  // A group of zero image bytes shows only the key and the tail.
  EXPECT_EQ(d[8], (0x34 ^ 0xA6));
  EXPECT_EQ(d.back(), 0x00);

  // Block 32 wraps round to the image start.
  const Bytes wrapped = FirmwareBlockData(fw, 32, 0, [] { return uint8_t{0}; });
  const Bytes first = FirmwareBlockData(fw, 0, 0, [] { return uint8_t{0}; });
  EXPECT_EQ(wrapped, first);
}

TEST(FirmwareFile, UnitCheckFindsABlockOutOfOrderOrOfOtherFirmware) {
  FirmwareImage fw;
  fw.End = 6144;
  for (size_t i = 0; i < 8192; ++i) fw.Image[i] = static_cast<uint8_t>(i ^ 0x5A);
  auto packet = [&](uint16_t block, uint16_t r) {
    Bytes p(kPacketHeaderSize + kFirmwareBlockData + 2);
    p[0] = kFirmwareBlockCommand;
    p[1] = static_cast<uint8_t>(block * 4);
    p[2] = static_cast<uint8_t>(r);
    p[3] = static_cast<uint8_t>(r >> 8);
    uint8_t n = 1;
    const Bytes d = FirmwareBlockData(fw, block, r, [&n] { return n += 7; });
    std::copy(d.begin(), d.end(), p.begin() + 8);
    FinishPacket(p, d.size());
    return p;
  };
  EXPECT_FALSE(CheckFirmwareBlock(packet(2, 0xBEEF), 2, &fw));
  EXPECT_TRUE(CheckFirmwareBlock(packet(2, 0xBEEF), 3, &fw));
  FirmwareImage other = fw;
  other.Image[2 * 2048 + 5] ^= 1;
  EXPECT_TRUE(CheckFirmwareBlock(packet(2, 0xBEEF), 2, &other));
  EXPECT_FALSE(CheckFirmwareBlock(packet(2, 0xBEEF), 2, nullptr));
  Bytes noZero = packet(1, 7);
  noZero[8 + 2048 + 3] = 1;
  EXPECT_TRUE(CheckFirmwareBlock(noZero, 1, nullptr));
  EXPECT_TRUE(CheckFirmwareBlock(std::span<const uint8_t>(noZero.data(), 100), 1, nullptr));
}

}  // namespace
}  // namespace korvel
