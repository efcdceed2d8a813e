#include "target/ImageLoading.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "app/IntegerText.h"
#include "target/AddressTally.h"
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

void Log(ImageJob& job, const std::string& line) { job.App.Log.HostLine(line); }

// The bytes of a good file that have no place in the buffers are worth a
// line; the file still loads.
void LogDropped(ImageJob& job, const std::string& path, const ImageLoadResult& r) {
  if (r.DroppedRecords) Log(job, path + ": " + r.DroppedText());
}

void LogDropped(ImageJob& job, const std::string& path, const BinaryLoadResult& r) {
  if (r.Opened && r.Stored < r.FileSize)
    Log(job, path + ": " + std::to_string(r.FileSize - r.Stored) +
                 " bytes past the end of the buffer were not loaded");
}

// Why a record file cannot be taken as it is; empty when it can.
std::string RecordFileError(const std::string& path, const ImageLoadResult& r) {
  if (!r.Opened) return r.OpenError;
  if (r.BadRecords) return path + ": " + r.BadRecordText();
  return {};
}

// Where the bytes of an object file may lie: each byte counts in the first
// window that holds it, so Above holds only what is beyond the chip.
struct ChipWindows {
  AddressTally Tally;
  size_t Flash = 0, Data = 0, Options = 0, Above = 0;

  ChipWindows(const ChipInfo& chip, size_t optionSize) {
    Flash = Tally.AddWindow(chip.FlashBase, chip.FlashEnd);
    // OTP areas are the chip's too, although an object file's OTP bytes
    // have no place in the main buffer.
    Data = chip.EepSize ? Tally.AddWindow(chip.EepBase, chip.EepEnd) : Tally.AddWindow(1, 0);
    // Option-byte records are the chip's wherever the family puts them.
    const uint64_t optionEnd =
        std::min<uint64_t>(uint64_t{chip.OptionByteAddr} + optionSize - 1, 0xFFFFFFFF);
    Options = optionSize ? Tally.AddWindow(chip.OptionByteAddr, static_cast<uint32_t>(optionEnd))
                         : Tally.AddWindow(1, 0);
    Above = chip.FlashEnd == 0xFFFFFFFF ? Tally.AddWindow(1, 0)
                                        : Tally.AddWindow(chip.FlashEnd + 1, 0xFFFFFFFF);
  }
  // Bytes that went where the job programs them from.
  uint64_t InChip(const ChipInfo& chip) const {
    return Tally.Bytes(Flash) + (chip.HasOtp ? 0 : Tally.Bytes(Data));
  }
};

// Ends a load: a failed one marks the buffers, and no load after it makes
// them a whole image until the next Open. Returns what the caller reports.
ObjectLoad Conclude(ImageJob& job, const std::string& path, std::string error) {
  MemoryBuffers& b = job.Buffers;
  if (error.empty() && b.LoadFailed) {
    error = path + ": an earlier file of this image failed to load; load the object file again";
    Log(job, error);
  }
  if (!error.empty()) b.LoadFailed = true;
  job.App.Flags.ImageLoaded = error.empty();
  return {error.empty(), error};
}

ImageLoadResult ReadRecords(ImageKind kind, const std::string& path,
                            std::span<const ImageRegion> regions, AddressTally* tally = nullptr) {
  return kind == ImageKind::IntelHex ? ReadIntelHexFile(path, regions, tally)
                                     : ReadSRecordFile(path, regions, tally);
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

ObjectLoad LoadObjectFile(ImageJob& job, const std::string& path, bool refresh) {
  ChipInfo& chip = job.Chip;
  MemoryBuffers& b = job.Buffers;
  JobFlags& flags = job.App.Flags;
  const bool stm32 = flags.Stm32Family;
  LoadLine(job, "Load object file", path);
  b.FlashSum = 0;
  // Nothing is programmed from the buffers until this file proved whole.
  flags.ImageLoaded = false;
  if (job.Views.ProductNameChanged) job.Views.ProductNameChanged(BaseName(path));
  job.App.Controls.StatusPanels[2] = path;

  ChipWindows where(chip, job.OptionBuffer.size());
  std::string error;
  const ImageKind kind = ObjectFileKind(path);
  if (kind == ImageKind::Binary) {
    std::optional<std::string> text;
    if (job.AskBinOffset) text = job.AskBinOffset(Hex8(chip.FlashBase));
    auto offset = ResolveBinOffset(job, text);
    if (!offset) return Conclude(job, path, path + ": no usable BIN offset; nothing loaded");
    b.BinOffset = *offset;
    const uint32_t dest = *offset & ~15u;
    auto r = ReadBinaryFile(path, b.Main, dest);
    if (!r.Opened) error = r.OpenError;
    LogDropped(job, path, r);
    if (r.Opened) {
      // The range the file's bytes cover, wherever the operator put them.
      b.LoadLow = (stm32 ? chip.FlashBase : 0) + dest;
      b.LoadHigh = b.LoadLow + static_cast<uint32_t>(r.FileSize ? r.FileSize - 1 : 0);
      if (r.FileSize) where.Tally.Count(b.LoadLow, uint64_t{b.LoadLow} + r.FileSize - 1);
    }
  } else if (kind == ImageKind::IntelHex || kind == ImageKind::SRecord) {
    // STM32 option-byte records land in the option buffer in the same pass.
    const ImageRegion regions[] = {{stm32 ? chip.FlashBase : 0, b.Main},
                                   {chip.OptionByteAddr, job.OptionBuffer}};
    auto r = ReadRecords(kind, path, std::span(regions, stm32 ? 2 : 1), &where.Tally);
    error = RecordFileError(path, r);
    LogDropped(job, path, r);
    if (r.HasData) {
      b.LoadLow = r.Low;
      b.LoadHigh = r.High;
      if (stm32 && b.LoadHigh >= chip.OptionByteAddr) b.LoadHigh = chip.FlashEnd;
    }
  } else {
    Log(job, "读取文件失败：无效的文件格式!");
    return Conclude(job, path, path + ": 读取文件失败：无效的文件格式!");
  }
  if (!error.empty()) {
    Log(job, error);
  } else if (where.InChip(chip) == 0) {
    error = path + ": none of its data lies in the chip's flash or data memory";
    Log(job, error);
  }
  const ObjectLoad outcome = Conclude(job, path, error);
  if (where.Tally.Bytes(where.Above) > 0)
    job.Prompts.Message(PromptKind::Warning, "文件大小超出芯片空间，请确认芯片型号是否正确!");
  ReportChecksums(job);
  if (refresh) {
    Notify(job.Views.FlashViewChanged);
    Notify(job.Views.DataViewChanged);
    Notify(job.Views.ShowFlashTab);
  }
  return outcome;
}

void LoadEepFile(ImageJob& job, const std::string& path, bool refresh) {
  const ChipInfo& chip = job.Chip;
  MemoryBuffers& b = job.Buffers;
  const bool stm32 = job.App.Flags.Stm32Family;
  LoadLine(job, "Load EEP Data file", path);
  const ImageKind kind = EepFileKind(path);
  std::string error;
  if (kind == ImageKind::Binary) {
    const uint32_t dest = stm32 ? 0x80000 : (chip.EepBase & ~15u);
    auto r = ReadBinaryFile(path, b.Main, dest);
    if (!r.Opened) error = r.OpenError;
    LogDropped(job, path, r);
  } else if (kind != ImageKind::Unknown) {
    const ImageRegion region{stm32 ? chip.FlashBase : 0, b.Main};
    auto r = ReadRecords(kind, path, {&region, 1});
    error = RecordFileError(path, r);
    LogDropped(job, path, r);
  }
  // Data memory from a damaged file is no more to be programmed than flash.
  if (!error.empty()) {
    Log(job, error);
    Conclude(job, path, error);
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
  std::string error;
  if (kind == ImageKind::IntelHex || kind == ImageKind::SRecord) {
    const ImageRegion region{chip.EepBase, b.Data};
    auto r = ReadRecords(kind, path, {&region, 1});
    error = RecordFileError(path, r);
    LogDropped(job, path, r);
  } else {
    auto r = ReadBinaryFile(path, b.Data, 0);
    if (!r.Opened) error = r.OpenError;
    LogDropped(job, path, r);
  }
  if (!error.empty()) {
    Log(job, error);
    Conclude(job, path, error);
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
