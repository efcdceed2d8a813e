#include "target/ImageCommands.h"

#include <algorithm>
#include <cctype>

#include "target/ChecksumReport.h"
#include "target/ImageFile.h"
#include "target/ImageLoading.h"
#include "target/SaveTarget.h"

namespace korvel {

namespace {

bool NeedChip(ImageJob& job) {
  if (job.App.Flags.ChipSelected) return true;
  job.Prompts.Message(PromptKind::Information, kSelectChipFirst);
  return false;
}

void Notify(const std::function<void()>& hook) {
  if (hook) hook();
}

void ReportSave(ImageJob& job, const std::string& path, const WriteResult& w) {
  if (!w.Ok) {
    job.App.Log.HostLine(w.Error);
    job.Prompts.Message(PromptKind::Warning, w.Error);
    return;
  }
  job.App.Log.HostLine("文件\"" + path + "\"以保存！");
  job.Prompts.Message(PromptKind::Information, "文件\"" + path + "\"以保存！");
}

bool AnyByteOtherThan(std::span<const uint8_t> bytes, uint8_t erased) {
  return std::any_of(bytes.begin(), bytes.end(), [erased](uint8_t b) { return b != erased; });
}

// The main-buffer bytes of the data EEPROM, clipped to the buffer.
BufferRange EepInMain(const ImageJob& job) {
  const ChipInfo& chip = job.Chip;
  if (chip.EepSize == 0) return {};
  const uint32_t shift = job.App.Flags.Stm32Family ? chip.FlashBase : 0;
  if (chip.EepBase < shift || chip.EepEnd < chip.EepBase) return {};
  return ClipRange(chip.EepBase - shift, uint64_t{chip.EepEnd} - shift, job.Buffers.Main.size());
}

}  // namespace

FileDialogOptions ObjectFileDialog() {
  return {"",
          {"Binary Files(*.BIN)|*.BIN", "Intel Hex Files(*.HEX)|*.HEX",
           "Motorola S-record Files(*.S19,*.S28,*.S37)|*.S19;*.S28;*.S37", "All Files(*.*)|*.*",
           "All Hex/Binary Files(*.BIN,*.HEX,*.S19,*.S28,*.S37)|*.BIN;*.HEX;*.S19;*.S28;*.S37"},
          4,
          ""};
}

FileDialogOptions DataFileDialog() {
  return {"",
          {"All Hex/Binary Files(*.BIN,*.HEX,*.S19)|*.BIN;*.HEX;*.S19", "All Files(*.*)|*.*"},
          0,
          ""};
}

FileDialogOptions SaveFileDialog() {
  return {"",
          {"All Binary Files(*.BIN)|*.BIN", "Intel Hex Files(*.HEX)|*.HEX",
           "Motorola S-record Files(*.mot)|*.S19"},
          0,
          ""};
}

void OpenObjectFileCommand(ImageJob& job) {
  if (!NeedChip(job)) return;
  auto name = job.Prompts.OpenFileName(ObjectFileDialog());
  if (!name) return;
  ClearBuffersForOpen(job.Buffers, job.App.Flags.Stm32Family, job.Chip.FamilyCode);
  job.Buffers.ShowFileRange = true;
  LoadObjectFile(job, *name, true);
  UpdateEepWriteEnable(job);
}

void LoadMoreFilesCommand(ImageJob& job) {
  if (!NeedChip(job)) return;
  auto name = job.Prompts.OpenFileName(ObjectFileDialog());
  if (!name) return;
  LoadObjectFile(job, *name, true);
  UpdateEepWriteEnable(job);
}

void LoadEepDataCommand(ImageJob& job) {
  if (!NeedChip(job)) return;
  auto name = job.Prompts.OpenFileName(DataFileDialog());
  if (!name) return;
  LoadEepFile(job, *name, true);
}

void LoadOtpDataCommand(ImageJob& job) {
  if (!NeedChip(job)) return;
  auto name = job.Prompts.OpenFileName(DataFileDialog());
  if (!name) return;
  if (job.Chip.HasOtp)
    LoadOtpFile(job, *name);
  else
    LoadEepFile(job, *name, true);
  UpdateEepWriteEnable(job);
}

void SaveMemoryCommand(ImageJob& job) {
  if (!job.App.Flags.ImageLoaded) return;
  FileDialogOptions dialog = SaveFileDialog();
  dialog.SuffixFromFilter = true;
  auto choice = job.Prompts.SaveFileChoice(dialog);
  if (!choice) return;
  const SaveTarget target = ResolveSaveTarget(*choice, dialog.Filters);
  const ChipInfo& chip = job.Chip;
  const auto& main = job.Buffers.Main;
  const bool stm32 = job.App.Flags.Stm32Family;
  // STM32 images sit at buffer 0 for FlashBase; STM8 addresses are indices.
  const uint32_t offset = stm32 ? chip.FlashBase : 0;
  WriteResult w;
  switch (target.Kind) {
    case ImageKind::IntelHex:
      w = WriteIntelHexFile(target.Name, main, offset, chip.FlashBase, chip.FlashEnd);
      break;
    case ImageKind::SRecord:
      w = WriteSRecordFile(target.Name, main, offset, chip.FlashBase, chip.FlashEnd);
      break;
    default:
      w = stm32 ? WriteBinaryFile(target.Name, main, 0, chip.FlashEnd - chip.FlashBase)
                : WriteBinaryFile(target.Name, main, chip.FlashBase, chip.FlashEnd);
      break;
  }
  ReportSave(job, target.Name, w);
}

void SaveEepDataCommand(ImageJob& job) {
  auto name = job.Prompts.SaveFileName(SaveFileDialog());
  if (!name) return;
  const BufferRange r = EepInMain(job);
  ReportSave(job, *name,
             r.Count ? WriteBinaryFile(*name, job.Buffers.Main, r.First, r.Last())
                     : WriteFileBytes(*name, {}));
}

void SaveOtpDataCommand(ImageJob& job) {
  auto name = job.Prompts.SaveFileName(SaveFileDialog());
  if (!name) return;
  const BufferRange r = LeadingBytes(job.Chip.EepSize, job.Buffers.Data.size());
  ReportSave(job, *name,
             r.Count ? WriteBinaryFile(*name, job.Buffers.Data, r.First, r.Last())
                     : WriteFileBytes(*name, {}));
}

void FillDataMemory(ImageJob& job, uint8_t value) {
  const BufferRange r = job.Chip.HasOtp ? LeadingBytes(job.Chip.EepSize, job.Buffers.Data.size())
                                        : EepInMain(job);
  uint8_t* base = job.Chip.HasOtp ? job.Buffers.Data.data() : job.Buffers.Main.data();
  std::fill_n(base + r.First, r.Count, value);
  Notify(job.Views.DataViewChanged);
  UpdateDataChecksums(job);
}

void UpdateEepWriteEnable(ImageJob& job) {
  const ChipInfo& chip = job.Chip;
  bool dataPresent = false;
  if (chip.EepSize == 0) {
    dataPresent = false;
  } else if (chip.HasOtp) {
    const BufferRange r = LeadingBytes(chip.EepSize, job.Buffers.Data.size());
    dataPresent = AnyByteOtherThan(std::span(job.Buffers.Data).subspan(r.First, r.Count), 0xFF);
  } else {
    // Whole rows around the EEPROM, as the flash view shows them.
    const uint32_t first = MainIndex(chip.EepBase) & ~15u;
    const uint32_t last = MainIndex(chip.EepBase + chip.EepSize - 1) | 15u;
    const BufferRange r = ClipRange(first, last, job.Buffers.Main.size());
    dataPresent = AnyByteOtherThan(std::span(job.Buffers.Main).subspan(r.First, r.Count), 0x00);
  }
  job.App.Controls.EnWrtEep.Checked = dataPresent;
  job.App.Controls.Changed();
}

}  // namespace korvel
