#include "engine/ProjectSave.h"

#include <algorithm>
#include <string_view>

#include "engine/JobHeader.h"
#include "engine/RequestPackets.h"
#include "optionbytes/OptionChecksums.h"
#include "optionbytes/OptionDefaults.h"
#include "target/ImageFile.h"
#include "target/ProjectJob.h"

namespace korvel {

FileDialogOptions ProjectSaveDialog() {
  FileDialogOptions o;
  o.Filters = {"Korvelxx Project File(*.PKV)|*.PKV"};
  o.DefaultSuffix = "PKV";
  return o;
}

FileDialogOptions ProjectOpenDialog() {
  FileDialogOptions o;
  o.Filters = {"Korvelxx Project Files(*.PKV)|*.PKV"};
  return o;
}

CaptureChip CaptureChipOf(const ChipInfo& chip, bool stm32) {
  CaptureChip c;
  c.HasEep = chip.EepSize != 0;
  // A serial number written into the data memory needs the EEP writing.
  c.SnAddressInDataMemory = [chip, stm32](uint32_t a) {
    if (chip.BlueNrgMode) return chip.EepBase <= a && a < chip.EepEnd;
    if (stm32) return chip.FamilyCode >= 0x20 && chip.FamilyCode <= 0x2F && a >= chip.EepBase;
    return a < chip.FlashBase;
  };
  return c;
}

uint8_t SnDisplayByte(const MainControls& c) {
  return static_cast<uint8_t>((c.ChkBoxSNDP.Checked ? kProjectSnDecimal : 0) |
                              (c.SNOrderChk.Checked ? kProjectSnStOrder : 0));
}

std::array<uint8_t, kProjectHeaderBlockSize> ProjectHeaderBlock(const JobView& job,
                                                                RandomSource& random) {
  const JobHeaderBlock record = BuildJobHeaderBlock(job, DrawJobHeaderRandom(random));
  // The second half repeats the record, as the download sends it.
  std::array<uint8_t, kProjectHeaderBlockSize> block{};
  std::copy(record.begin(), record.end(), block.begin());
  std::copy(record.begin(), record.end(), block.begin() + kJobHeaderSize);
  return block;
}

ProjectContent BuildProjectContent(ImageJob& job, const ProjectSaveInputs& inputs,
                                   RandomSource& random) {
  const AppState& app = job.App;
  const bool stm32 = app.Flags.Stm32Family;
  const MemoryBuffers& b = job.Buffers;

  JobView view;
  view.Settings = app.Settings;
  view.Chip = job.Chip;
  view.Stm32 = stm32;
  view.Checks = {b.FlashSum, b.FlashCrc, b.EepSum, b.EepCrc, b.OptSum, b.OptCrc};
  view.OptionBuffer = job.OptionBuffer;
  const OptionBuffer defaults = DefaultTableImage(HeaderDefaultTable(job.Chip));
  view.DefaultTable = defaults;
  view.MainImage = b.Main;
  view.SecondImage = b.Data;
  view.ChipName = app.Controls.MCUNameEdit;
  view.ProductName = inputs.ProductName;

  ProjectContent c = GatherProjectContent(job.Chip, stm32, app.Flags.Supports18V, b);
  c.SourceName = inputs.SourceName;
  c.MaxCount = app.Settings.MaxCount;
  c.SnDisplay = SnDisplayByte(app.Controls);
  c.HeaderBlock = ProjectHeaderBlock(view, random);
  return c;
}

ProjectSaveResult SaveProjectAs(ImageJob& job, const ProjectSaveInputs& inputs,
                                const std::string& path, RandomSource& random) {
  AppState& app = job.App;
  ProjectSaveResult r;
  const char* refusal = !app.Flags.ChipSelected ? kProjectNoChip
                        : !app.Flags.ImageLoaded ? kProjectNoImage
                                                 : nullptr;
  if (refusal) {
    r.Message = refusal;
    job.Prompts.Message(PromptKind::Information, r.Message);
    return r;
  }

  OptionBuffer options{};
  std::copy_n(job.OptionBuffer.begin(), std::min(options.size(), job.OptionBuffer.size()),
              options.begin());
  const OptionChecksums opt = ComputeOptionChecksums(options);
  job.Buffers.OptSum = opt.OptSum;
  job.Buffers.OptCrc = opt.OptCrc;
  if (auto error = CaptureJobSettings(app.Controls, app.Settings,
                                      CaptureChipOf(job.Chip, app.Flags.Stm32Family))) {
    r.Message = *error;
    job.Prompts.Message(PromptKind::Error, r.Message);
    return r;
  }

  const ProjectContent content = BuildProjectContent(job, inputs, random);
  const std::vector<uint8_t> bytes =
      EncodeProject(content, [&random] { return random.RequestByte(); });
  const WriteResult written = WriteFileBytes(
      path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (!written.Ok) {
    r.Message = "Project File Not Saved : " + written.Error;
    app.Log.HostLine(r.Message);
    job.Prompts.Message(PromptKind::Error, r.Message);
    return r;
  }
  r.Saved = true;
  r.Message = kProjectCreated + path;
  app.Log.HostLine(r.Message);
  job.Prompts.Message(PromptKind::Information, r.Message);
  return r;
}

ProjectSaveResult SaveProjectFromMenu(ImageJob& job, const ProjectSaveInputs& inputs,
                                      RandomSource& random) {
  const JobFlags& flags = job.App.Flags;
  if (!flags.ChipSelected || !flags.ImageLoaded)
    return SaveProjectAs(job, inputs, std::string(), random);
  const auto path = job.Prompts.SaveFileName(ProjectSaveDialog());
  if (!path || path->empty()) return {};
  return SaveProjectAs(job, inputs, *path, random);
}

}  // namespace korvel
