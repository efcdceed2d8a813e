#include "optionbytes/OptionFile.h"

#include "target/ImageLoading.h"

#include <algorithm>
#include <cctype>

#include "optionbytes/OptionDefaults.h"
#include "optionbytes/OptionDisplay.h"
#include "optionbytes/OptionFamily.h"

namespace korvel {

FileDialogOptions OptionOpenDialog() {
  FileDialogOptions options;
  options.Filters = {
      "Intel Hex Files(*.HEX)|*.HEX",
      "Motorola S-record Files(*.S19)|*.S19;*.S28;*.S37",
      "Binary Files(*.BIN)|*.BIN",
      "Option Byte Files(*.FRB)|*.FRB",
      "All Hex/Binary Files|*.HEX;*.S19;*.S28;*.S37;*.BIN",
      "All Option Byte Files(*.BIN,*.HEX,*.S*,*.FRB)|*.BIN;*.HEX;*.S*;*.FRB",
  };
  options.FilterIndex = 5;
  return options;
}

FileDialogOptions OptionSaveDialog() {
  FileDialogOptions options;
  options.Filters = {"All Binary Files(*.BIN)|*.BIN", "Intel Hex Files(*.HEX)|*.HEX",
                  "Motorola S-record Files(*.mot)|*.S19"};
  return options;
}


void LoadOptionByteFileCommand(OptionContext& ctx) {
  if (!ctx.Flags.ChipSelected) {
    ctx.Prompts.Message(PromptKind::Information, kSelectChipFirst);
    return;
  }
  const auto name = ctx.Prompts.OpenFileName(OptionOpenDialog());
  if (!name) return;
  LoadOptionFile(ctx, *name);
}

FrbResult ReadFrbFile(const std::string& path, OptionBuffer& buffer) {
  buffer.fill(0x00);
  FrbResult r;
  std::string bytes;
  if (!ReadFileBytes(path, bytes, r.Error)) return r;
  r.Opened = true;
  auto at = [&](std::size_t i) { return static_cast<uint8_t>(bytes[i]); };
  if (bytes.size() < kFrbImageThreshold) {
    const std::size_t read = std::min<std::size_t>(bytes.size(), 64);
    for (std::size_t i = kFrbHeaderSize; i < read; ++i) buffer[i - kFrbHeaderSize] = at(i);
  } else {
    // Address 0x4800 stands at file offset 0x4820.
    const std::size_t base = kFrbHeaderSize + 0x4800;
    for (std::size_t i = 0; i < 32; ++i) buffer[i] = at(base + i);
    buffer[126] = at(base + 0x7E);
    buffer[127] = static_cast<uint8_t>(~buffer[126]);
  }
  return r;
}

void LoadOptionFile(OptionContext& ctx, const std::string& fileName) {
  const bool stm32 = ctx.Flags.Stm32Family;
  ctx.Log.HostLine("Load Option Data file of \"" + fileName + "\" at " +
                   ctx.Log.clock().DateText());
  ctx.Buffer.fill(stm32 ? 0xFF : 0x00);

  const std::string ext = UpperExtension(fileName);
  const ImageRegion region{OptionFamilyOf(ctx.Chip, stm32).FileBase, ctx.Buffer};
  std::string problem;
  if (ext == "HEX" || ext == "S19") {
    const ImageLoadResult r = ext == "HEX" ? ReadIntelHexFile(fileName, {&region, 1})
                                            : ReadSRecordFile(fileName, {&region, 1});
    problem = r.Summary();
  } else if (ext == "BIN") {
    const BinaryLoadResult r = ReadBinaryFile(fileName, ctx.Buffer, 0);
    if (!r.Opened) problem = r.OpenError;
  } else if (ext == "FRB") {
    const FrbResult r = ReadFrbFile(fileName, ctx.Buffer);
    if (!r.Opened) problem = r.Error;
  }
  if (!problem.empty()) ctx.Log.HostLine(problem);

  FillComplements(ctx.Buffer, ctx.Chip, stm32);
  ShowOptionLines(ctx.Log, ctx.Buffer, ctx.Chip, stm32);
}

bool SaveOptionByteCommand(OptionContext& ctx, uint16_t& optSum, uint16_t& optCrc) {
  const auto name = ctx.Prompts.SaveFileName(OptionSaveDialog());
  if (!name) return false;
  const OptionChecksums sums = ComputeOptionChecksums(ctx.Buffer);
  optSum = sums.OptSum;
  optCrc = sums.OptCrc;
  const WriteResult w = WriteBinaryFile(*name, ctx.Buffer, 0, 127);
  if (!w.Ok) ctx.Log.HostLine(w.Error);
  return w.Ok;
}

}  // namespace korvel
