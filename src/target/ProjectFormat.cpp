#include "target/ProjectFormat.h"

#include <algorithm>
#include <cstring>

namespace korvel {

namespace {

constexpr char kMagic[] = "Brevan";
constexpr size_t kMagicSize = 6;

// Appends bytes and keeps the running sum over all of them.
class Writer {
 public:
  explicit Writer(std::vector<uint8_t>& out) : out_(out) {}

  void Byte(uint8_t b) {
    out_.push_back(b);
    sum_ += b;
  }
  void Zeros(size_t n) {
    for (size_t i = 0; i < n; ++i) Byte(0);
  }
  void U16(uint16_t v) {
    Byte(static_cast<uint8_t>(v));
    Byte(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
  }
  // Characters XOR key, the rest of the field zero.
  void Name(const std::string& text, size_t width, uint8_t key) {
    const size_t n = std::min(width, text.size());
    for (size_t i = 0; i < n; ++i) Byte(static_cast<uint8_t>(text[i]) ^ key);
    Zeros(width - n);
  }
  uint32_t Sum() const { return sum_; }

 private:
  std::vector<uint8_t>& out_;
  uint32_t sum_ = 0;
};

// Consumes bytes in order, summing each; a byte past the end is missing.
class Reader {
 public:
  explicit Reader(std::span<const uint8_t> file) : file_(file) {}

  bool Byte(uint8_t& b) {
    if (pos_ >= file_.size()) return false;
    b = file_[pos_++];
    sum_ += b;
    return true;
  }
  bool Skip(size_t n) {
    uint8_t b;
    for (size_t i = 0; i < n; ++i)
      if (!Byte(b)) return false;
    return true;
  }
  bool U16(uint16_t& v) {
    uint8_t lo, hi;
    if (!Byte(lo) || !Byte(hi)) return false;
    v = static_cast<uint16_t>(lo | (hi << 8));
    return true;
  }
  bool U32(uint32_t& v) {
    uint16_t lo, hi;
    if (!U16(lo) || !U16(hi)) return false;
    v = lo | (uint32_t{hi} << 16);
    return true;
  }
  // A zero byte is padding; every other byte is a character XOR key.
  bool Name(std::string& text, size_t width, uint8_t key) {
    text.clear();
    for (size_t i = 0; i < width; ++i) {
      uint8_t b;
      if (!Byte(b)) return false;
      if (b != 0) text.push_back(static_cast<char>(b ^ key));
    }
    return true;
  }
  uint32_t Sum() const { return sum_; }

 private:
  std::span<const uint8_t> file_;
  size_t pos_ = 0;
  uint32_t sum_ = 0;
};

bool Tag(Reader& r, const char* tag, uint8_t key) {
  bool same = true;
  for (int i = 0; i < 3; ++i) {
    uint8_t b = 0;
    if (!r.Byte(b)) return false;
    same = same && b == (static_cast<uint8_t>(tag[i]) ^ key);
  }
  return same;
}

// A section of data bytes with a key byte in front and, when rekey, a fresh
// one after every full run of kProjectMaskRun bytes.
void WriteSection(Writer& w, std::span<const uint8_t> data, size_t length,
                  std::span<const uint8_t> mask, const ProjectRandomByte& random, bool rekey) {
  uint8_t key = random();
  w.Byte(key);
  for (size_t i = 0; i < length; ++i) {
    const uint8_t plain = i < data.size() ? data[i] : uint8_t{0xFF};
    w.Byte(plain ^ mask[i % kProjectMaskRun] ^ key);
    if (rekey && (i + 1) % kProjectMaskRun == 0) {
      key = random();
      w.Byte(key);
    }
  }
}

bool ReadSection(Reader& r, std::span<uint8_t> out, std::span<const uint8_t> mask, bool rekey) {
  uint8_t key = 0;
  if (!r.Byte(key)) return false;
  for (size_t i = 0; i < out.size(); ++i) {
    uint8_t b = 0;
    if (!r.Byte(b)) return false;
    out[i] = b ^ mask[i % kProjectMaskRun] ^ key;
    if (rekey && (i + 1) % kProjectMaskRun == 0 && !r.Byte(key)) return false;
  }
  return true;
}

}  // namespace

const char* ProjectResultMessage(int result) {
  if (result == kProjectOk) return kProjectOpenSuccess;
  if (result == kProjectBadMagic) return kProjectNotValid;
  return kProjectCorrupted;
}

std::vector<uint8_t> EncodeProject(const ProjectContent& c, const ProjectRandomByte& random) {
  const size_t flashBytes =
      std::min((c.Flash.size() + kProjectMaskRun - 1) / kProjectMaskRun * kProjectMaskRun,
               kProjectMaxFlashBytes);
  const size_t n = std::min(c.DataMemory.size(), kProjectDataStageSize);
  std::vector<uint8_t> out;
  out.reserve(3500 + flashBytes + flashBytes / kProjectMaskRun + n + n / kProjectMaskRun +
              kProjectTrailerSize + 16);
  Writer w(out);
  for (size_t i = 0; i < kMagicSize; ++i) w.Byte(static_cast<uint8_t>(kMagic[i]));
  w.Byte(kProjectVersion);
  w.Byte(kProjectModelCode);
  w.Name(c.ModelName, 16, kProjectNameKey);
  w.Name(c.ChipName, 20, kProjectNameKey);
  w.Name(c.SourceName, 48, kProjectNameKey);
  w.Zeros(64);
  w.U32(c.MaxCount);
  w.Zeros(96);
  w.Byte(c.SnDisplay);
  w.Zeros(1);
  w.U32(static_cast<uint32_t>(flashBytes));
  w.U16(c.EepSize);
  w.Zeros(16);
  w.U32(c.FlashBase);
  w.U32(c.EepBase);
  w.U32(c.OptionByteAddr);
  w.Zeros(13);
  w.Byte(c.ChipFlags);
  for (uint16_t v : {c.Checks.FlashSum, c.Checks.FlashCrc, c.Checks.EepSum, c.Checks.EepCrc,
                     c.Checks.OptSum, c.Checks.OptCrc})
    w.U32(v);
  w.Zeros(24);

  // One more mask byte is drawn than the file keeps, as the format always did.
  std::vector<uint8_t> mask(kProjectMaskSize + 1);
  for (uint8_t& m : mask) m = random();
  for (size_t i = 0; i < kProjectMaskSize; ++i) w.Byte(mask[i]);

  const auto tag = [&w](const char* t, uint8_t key) {
    for (int i = 0; i < 3; ++i) w.Byte(static_cast<uint8_t>(t[i]) ^ key);
  };
  tag("CFG", kProjectCfgKey);
  WriteSection(w, c.HeaderBlock, kProjectHeaderBlockSize, mask, random, false);
  tag("MFM", kProjectMfmKey);
  WriteSection(w, c.Flash, flashBytes, mask, random, true);
  tag("EEP", kProjectEepKey);
  w.U16(static_cast<uint16_t>(n));
  if (n > 0) WriteSection(w, c.DataMemory, n, mask, random, true);

  const uint32_t sum = w.Sum();
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(sum >> (8 * i)));
  for (size_t i = 0; i < kProjectTrailerSize; ++i) out.push_back(random());
  return out;
}

ProjectRead DecodeProject(std::span<const uint8_t> file) {
  ProjectRead read;
  ProjectContent& c = read.Content;
  Reader r(file);

  if (file.size() < kMagicSize || std::memcmp(file.data(), kMagic, kMagicSize) != 0) {
    read.Result = kProjectBadMagic;
    return read;
  }
  r.Skip(kMagicSize);

  // From here on a byte missing at the end means a corrupted file.
  const auto corrupted = [&read] {
    read.Result = kProjectBadSum;
    return read;
  };
  uint32_t flashBytes = 0;
  if (!r.Skip(2) || !r.Name(c.ModelName, 16, kProjectNameKey) ||
      !r.Name(c.ChipName, 20, kProjectNameKey) || !r.Name(c.SourceName, 48, kProjectNameKey) ||
      !r.Skip(64) || !r.U32(c.MaxCount) || !r.Skip(96) || !r.Byte(c.SnDisplay) || !r.Skip(1) ||
      !r.U32(flashBytes) || !r.U16(c.EepSize) || !r.Skip(16) || !r.U32(c.FlashBase) ||
      !r.U32(c.EepBase) || !r.U32(c.OptionByteAddr) || !r.Skip(13) || !r.Byte(c.ChipFlags))
    return corrupted();
  for (uint16_t* v : {&c.Checks.FlashSum, &c.Checks.FlashCrc, &c.Checks.EepSum,
                      &c.Checks.EepCrc, &c.Checks.OptSum, &c.Checks.OptCrc}) {
    uint32_t field = 0;
    if (!r.U32(field)) return corrupted();
    *v = static_cast<uint16_t>(field);
  }
  if (!r.Skip(24)) return corrupted();
  std::array<uint8_t, kProjectMaskSize> mask{};
  for (uint8_t& m : mask)
    if (!r.Byte(m)) return corrupted();

  // A bad tag is remembered and reading goes on, so the sum still decides.
  int tagResult = kProjectOk;
  const auto tag = [&](const char* t, uint8_t key, int failure) {
    if (!Tag(r, t, key) && tagResult == kProjectOk) tagResult = failure;
  };
  tag("CFG", kProjectCfgKey, kProjectBadCfgTag);
  if (!ReadSection(r, c.HeaderBlock, mask, false)) return corrupted();

  tag("MFM", kProjectMfmKey, kProjectBadMfmTag);
  // Nothing of a size the main buffer cannot hold is read, nor allocated.
  const size_t flashKept = flashBytes / kProjectMaskRun * kProjectMaskRun;
  if (flashKept > kProjectMaxFlashBytes) return corrupted();
  c.Flash.assign(flashKept, 0);
  if (!ReadSection(r, c.Flash, mask, true)) return corrupted();

  tag("EEP", kProjectEepKey, kProjectBadEepTag);
  uint16_t n = 0;
  if (!r.U16(n)) return corrupted();
  if (n > kProjectDataStageSize) return corrupted();
  c.DataMemory.assign(n, 0);
  if (n > 0 && !ReadSection(r, c.DataMemory, mask, true)) return corrupted();

  const uint32_t expected = r.Sum();
  uint32_t stored = 0;
  uint8_t b = 0;
  for (int i = 0; i < 4; ++i) {
    // The stored sum is not part of the sum; read it past the reader.
    if (!r.Byte(b)) return corrupted();
    stored |= uint32_t{b} << (8 * i);
  }
  read.Result = stored != expected ? kProjectBadSum : tagResult;
  return read;
}

}  // namespace korvel
