#include "target/ImageLoading.h"

#include <cctype>
#include <cstdio>

#include "app/IntegerText.h"
#include "target/ChecksumReport.h"
#include "target/ImageCommands.h"
#include "target/ImageFile.h"

namespace korvel {

namespace {

std::string Hex8(uint32_t v) {
  char t[16];
  std::snprintf(t, sizeof t, "0x%.8x", v);
  return t;
}

// One line for whatever went wrong while reading; nothing when all was good.
void LogProblems(ImageJob& job, const ImageLoadResult& r) {
  const std::string s = r.Summary();
  if (!s.empty()) job.App.Log.HostLine(s);
}

void LogProblems(ImageJob& job, const BinaryLoadResult& r) {
  if (!r.Opened) {
    job.App.Log.HostLine(r.OpenError);
  } else if (r.Stored < r.FileSize) {
    job.App.Log.HostLine(std::to_string(r.FileSize - r.Stored) +
                         " bytes past the end of the buffer were not loaded");
  }
}

ImageLoadResult ReadRecords(ImageKind kind, const std::string& path,
                            std::span<const ImageRegion> regions) {
  return kind == ImageKind::IntelHex ? ReadIntelHexFile(path, regions)
                                     : ReadSRecordFile(path, regions);
}

void LoadLine(ImageJob& job, const char* what, const std::string& path) {
  job.App.Log.HostLine(std::string(what) + " of \"" + path + "\" at " +
                       job.App.Log.clock().DateText());
}

void Notify(const std::function<void()>& hook) {
  if (hook) hook();
}

}  // namespace

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string UpperExtension(const std::string& path) {
  const std::string name = BaseName(path);
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) return {};
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return ext;
}

ImageKind ObjectFileKind(const std::string& path) {
  const std::string name = BaseName(path);
  if (name.find('.') == std::string::npos) return ImageKind::Binary;
  const std::string ext = UpperExtension(path);
  if (ext.substr(0, 3) == "BIN") return ImageKind::Binary;
  if (ext.substr(0, 3) == "HEX") return ImageKind::IntelHex;
  if (ext.size() >= 3 && ext[0] == 'S' && std::isdigit(static_cast<unsigned char>(ext[2])))
    return ImageKind::SRecord;
  return ImageKind::Unknown;
}

ImageKind EepFileKind(const std::string& path) {
  const std::string ext = UpperExtension(path);
  if (ext == "HEX") return ImageKind::IntelHex;
  if (ext == "BIN") return ImageKind::Binary;
  if (ext == "S19") return ImageKind::SRecord;
  return ImageKind::Unknown;
}

std::optional<uint32_t> ResolveBinOffset(ImageJob& job, const std::optional<std::string>& text) {
  const bool stm32 = job.App.Flags.Stm32Family;
  const int64_t areaBase = stm32 ? job.Chip.FlashBase : 0;
  int64_t address = job.Chip.FlashBase;
  if (text) {
    auto value = ParseInteger(*text);
    if (!value) {
      job.Prompts.Message(PromptKind::Error, NotAnIntegerMessage(*text));
      return std::nullopt;
    }
    // Hexadecimal text names an unsigned 32-bit address.
    address = *value < 0 ? *value + 0x100000000LL : *value;
  }
  const int64_t offset = address - areaBase;
  if (offset < 0 || offset >= int64_t(MemoryBuffers::kMainSize)) {
    job.App.Log.HostLine("BIN offset " + Hex8(uint32_t(address)) +
                         " lies outside the image buffer; nothing loaded");
    return std::nullopt;
  }
  return static_cast<uint32_t>(offset);
}

bool LoadObjectFile(ImageJob& job, const std::string& path, bool refresh) {
  ChipInfo& chip = job.Chip;
  MemoryBuffers& b = job.Buffers;
  JobFlags& flags = job.App.Flags;
  const bool stm32 = flags.Stm32Family;
  LoadLine(job, "Load object file", path);
  b.FlashSum = 0;
  flags.ImageLoaded = true;
  if (job.Views.ProductNameChanged) job.Views.ProductNameChanged(BaseName(path));
  job.App.Controls.StatusPanels[2] = path;

  const ImageKind kind = ObjectFileKind(path);
  bool clean = false;
  if (kind == ImageKind::Binary) {
    std::optional<std::string> text;
    if (job.AskBinOffset) text = job.AskBinOffset(Hex8(chip.FlashBase));
    auto offset = ResolveBinOffset(job, text);
    if (!offset) return false;
    b.BinOffset = *offset;
    const uint32_t dest = *offset & ~15u;
    auto r = ReadBinaryFile(path, b.Main, dest);
    LogProblems(job, r);
    clean = r.Opened && r.Stored == r.FileSize;
    if (r.Opened) {
      // The range the file's bytes cover, wherever the operator put them.
      b.LoadLow = (stm32 ? chip.FlashBase : 0) + dest;
      b.LoadHigh = b.LoadLow + static_cast<uint32_t>(r.FileSize ? r.FileSize - 1 : 0);
    }
  } else if (kind == ImageKind::IntelHex || kind == ImageKind::SRecord) {
    // STM32 option-byte records land in the option buffer in the same pass.
    const ImageRegion regions[] = {{stm32 ? chip.FlashBase : 0, b.Main},
                                   {chip.OptionByteAddr, job.OptionBuffer}};
    auto r = ReadRecords(kind, path, std::span(regions, stm32 ? 2 : 1));
    LogProblems(job, r);
    clean = r.Opened && r.IssueCount == 0;
    if (r.HasData) {
      b.LoadLow = r.Low;
      b.LoadHigh = r.High;
      if (stm32 && b.LoadHigh >= chip.OptionByteAddr) b.LoadHigh = chip.FlashEnd;
    }
  } else {
    job.App.Log.HostLine("读取文件失败：无效的文件格式!");
    return false;
  }
  if (b.LoadHigh > chip.FlashEnd && b.LoadHigh > chip.EepEnd)
    job.Prompts.Message(PromptKind::Warning, "文件大小超出芯片空间，请确认芯片型号是否正确!");
  ReportChecksums(job);
  if (refresh) {
    Notify(job.Views.FlashViewChanged);
    Notify(job.Views.DataViewChanged);
    Notify(job.Views.ShowFlashTab);
  }
  return clean;
}

void LoadEepFile(ImageJob& job, const std::string& path, bool refresh) {
  const ChipInfo& chip = job.Chip;
  MemoryBuffers& b = job.Buffers;
  const bool stm32 = job.App.Flags.Stm32Family;
  LoadLine(job, "Load EEP Data file", path);
  const ImageKind kind = EepFileKind(path);
  if (kind == ImageKind::Binary) {
    const uint32_t dest = stm32 ? 0x80000 : (chip.EepBase & ~15u);
    LogProblems(job, ReadBinaryFile(path, b.Main, dest));
  } else if (kind != ImageKind::Unknown) {
    const ImageRegion region{stm32 ? chip.FlashBase : 0, b.Main};
    LogProblems(job, ReadRecords(kind, path, {&region, 1}));
  }
  if (refresh) Notify(job.Views.DataViewChanged);
  UpdateDataChecksums(job);
  UpdateEepWriteEnable(job);
}

void LoadOtpFile(ImageJob& job, const std::string& path) {
  const ChipInfo& chip = job.Chip;
  MemoryBuffers& b = job.Buffers;
  b.Data.fill(0xFF);
  LoadLine(job, "Load OTP Data file", path);
  const ImageKind kind = EepFileKind(path);
  if (kind == ImageKind::IntelHex || kind == ImageKind::SRecord) {
    const ImageRegion region{chip.EepBase, b.Data};
    LogProblems(job, ReadRecords(kind, path, {&region, 1}));
  } else {
    LogProblems(job, ReadBinaryFile(path, b.Data, 0));
  }
  Notify(job.Views.DataViewChanged);
  const BufferRange r = LeadingBytes(chip.EepSize, b.Data.size());
  b.EepCrc = RangeCrc(b.Data, r);
  b.EepSum = RangeSum(b.Data, r);
  char line[64];
  std::snprintf(line, sizeof line, "OTP Data CheckSum  = 0x%.4x", b.EepSum);
  job.App.Log.HostLine(line);
}

}  // namespace korvel
