// The firmware file reader on arbitrary bytes, and two round trips that must
// hold for any body: a file made around it reads back to the same image, and
// every upgrade block built from that image passes the unit's block check.
#include <algorithm>
#include <vector>

#include "FuzzSupport.h"
#include "protocol/FirmwareFile.h"
#include "protocol/PacketBuilder.h"

using namespace korvel;

namespace {

void CheckRead(const FirmwareRead& read) {
  FUZZ_CHECK(read.Firmware.has_value() != !read.Error.empty());
  if (!read.Firmware) return;
  FUZZ_CHECK(read.Firmware->Image.size() == kFirmwareImageSize);
  FUZZ_CHECK(read.Firmware->End >= 4096);
}

std::vector<uint8_t> BlockPacket(const FirmwareImage& fw, uint16_t block, uint16_t r, fuzz::Input& in) {
  std::vector<uint8_t> p(kPacketHeaderSize + kFirmwareBlockData, 0);
  p[0] = kFirmwareBlockCommand;
  p[1] = static_cast<uint8_t>(block * 4);
  p[2] = static_cast<uint8_t>(r & 0xFF);
  p[3] = static_cast<uint8_t>(r >> 8);
  p[6] = static_cast<uint8_t>(kFirmwareBlockData & 0xFF);
  p[7] = static_cast<uint8_t>(kFirmwareBlockData >> 8);
  const std::vector<uint8_t> d = FirmwareBlockData(fw, block, r, [&in] { return in.Byte(); });
  FUZZ_CHECK(d.size() == kFirmwareBlockData);
  std::copy(d.begin(), d.end(), p.begin() + kPacketHeaderSize);
  return p;
}

void RoundTrip(fuzz::Input& in) {
  const uint8_t blocks = static_cast<uint8_t>(in.Byte() % 32);
  const std::span<const uint8_t> body = in.Take(static_cast<size_t>(blocks) * 2048 + in.Byte());
  const uint16_t end = FirmwareEndFor(body.size());
  const std::vector<uint8_t> file = MakeFirmwareFile(body, end, [&in] { return in.U32(); });
  const FirmwareRead read = ParseFirmwareFile(file);
  CheckRead(read);
  FUZZ_CHECK(read.Firmware.has_value());
  const FirmwareImage& fw = *read.Firmware;
  FUZZ_CHECK(fw.End == end && fw.BodyLength == body.size());
  FUZZ_CHECK(std::equal(body.begin(), body.end(), fw.Image.begin()));
  FUZZ_CHECK(std::all_of(fw.Image.begin() + static_cast<std::ptrdiff_t>(body.size()), fw.Image.end(),
                         [](uint8_t b) { return b == 0; }));
  // Every block the upgrade sends is one the unit accepts, and no other.
  const int total = std::min(fw.BlockTotal(), 64);
  for (int b = 0; b < total; ++b) {
    const uint16_t block = static_cast<uint16_t>(b);
    const std::vector<uint8_t> p = BlockPacket(fw, block, in.U16(), in);
    FUZZ_CHECK(!CheckFirmwareBlock(p, block, &fw).has_value());
    FUZZ_CHECK(CheckFirmwareBlock(p, static_cast<uint16_t>(block + 1), &fw).has_value());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> all(data, size);
  CheckRead(ParseFirmwareFile(all));
  if (size >= 4) {
    // The same bytes as a block request the unit's boot loader must judge.
    const uint16_t block = static_cast<uint16_t>(data[0] % 64);
    CheckFirmwareBlock(all, block, nullptr);
    const FirmwareRead made = ParseFirmwareFile(
        MakeFirmwareFile(all.subspan(0, std::min<size_t>(size, 4096)), FirmwareEndFor(size), [] { return 7u; }));
    if (made.Firmware) CheckFirmwareBlock(all, block, &*made.Firmware);
  }
  fuzz::Input in(data, size);
  RoundTrip(in);
  return 0;
}
