#include <cstdio>
#include <string>

#include "Commands.h"
#include "app/AppState.h"
#include "app/OperatorPrompts.h"
#include "optionbytes/OptionChecksums.h"
#include "optionbytes/OptionDisplay.h"
#include "target/ChecksumReport.h"
#include "target/ImageFile.h"
#include "target/ProjectJob.h"

namespace korvel {

namespace {

std::string Hex(uint32_t v, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, v);
  return text;
}

const char* SnModeName(uint8_t mode) {
  switch (mode) {
    case kSnOff: return "off";
    case kSnHex: return "hexadecimal";
    case kSnDecimal: return "decimal";
    case kSnAscii: return "ASCII";
    default: return "unknown";
  }
}

// The six values the job would hold once the project is open, computed by
// the same rules as the window's reports.
ProjectChecks Recompute(const StagedProject& staged) {
  SystemClock clock;
  AppState app(clock);
  ChipInfo chip = staged.Chip;
  RestoreStoredFields(staged, chip, app.Settings, app.Flags);
  app.Flags.ChipSelected = true;
  app.Flags.ImageLoaded = true;
  MemoryBuffers buffers;
  PlaceProjectImages(staged, buffers);
  buffers.LoadLow = chip.FlashBase;
  buffers.LoadHigh = chip.FlashEnd;
  OptionBuffer options{};
  std::copy(staged.OptionBytes.begin(), staged.OptionBytes.end(), options.begin());
  RecordingPrompts prompts;
  ImageJob job{app, chip, buffers, options, prompts, nullptr, {}};
  ReportChecksums(job);
  UpdateDataChecksums(job);
  const OptionChecksums opt = ComputeOptionChecksums(options);
  return {buffers.FlashSum, buffers.FlashCrc, buffers.EepSum,
          buffers.EepCrc,   opt.OptSum,       opt.OptCrc};
}

void Report(const StagedProject& s, std::ostream& out) {
  const ChipInfo& c = s.Chip;
  const JobSettings& j = s.Settings;
  const ProjectContent& f = s.Content;
  out << "Chip: " << f.ChipName << '\n';
  out << "Family: " << (s.Stm32 ? "STM32" : "STM8") << ", code " << Hex(c.FamilyCode, 2)
      << ", sub-code " << Hex(c.ChipSubCode, 2) << '\n';
  out << "Flash: " << c.FlashSizeKB << " KB at " << Hex(c.FlashBase, 8) << ".."
      << Hex(c.FlashEnd, 8) << ", " << c.FlashBlocks << " blocks of " << c.BlockSize
      << " bytes\n";
  out << "Data memory: " << c.EepSize << " bytes at " << Hex(c.EepBase, 8)
      << (c.HasOtp ? " (OTP)" : "") << ", image of " << f.DataMemory.size() << " bytes\n";
  out << "Option bytes at: " << Hex(c.OptionByteAddr, 8) << '\n';
  std::string flags = std::string(s.Stm32 ? " Stm32Family" : "") +
                      (c.VariantFlag ? " VariantFlag" : "") +
                      (s.Supports18V ? " Supports18V" : "") + (c.DualBank ? " DualBank" : "") +
                      (c.HasOtp ? " HasOtp" : "");
  out << "Flags:" << (flags.empty() ? " none" : flags) << '\n';
  out << "Source name: " << f.SourceName << '\n';

  const ProjectChecks now = Recompute(s);
  const ProjectChecks& st = s.Checks;
  const struct {
    const char* Name;
    uint16_t Stored, Computed;
  } rows[] = {{"FlashSum", st.FlashSum, now.FlashSum}, {"FlashCrc", st.FlashCrc, now.FlashCrc},
              {"EepSum", st.EepSum, now.EepSum},       {"EepCrc", st.EepCrc, now.EepCrc},
              {"OptSum", st.OptSum, now.OptSum},       {"OptCrc", st.OptCrc, now.OptCrc}};
  out << "Check values (stored, recomputed):\n";
  for (const auto& r : rows)
    out << "  " << r.Name << ' ' << Hex(r.Stored, 4) << ' ' << Hex(r.Computed, 4)
        << (r.Stored == r.Computed ? "" : "  differs") << '\n';

  out << "Serial number: " << SnModeName(j.SnMode) << ", value " << Hex(j.SnValue, 8)
      << ", step " << j.SnStep << ", address " << Hex(j.SnAddress, 8)
      << ((f.SnDisplay & kProjectSnDecimal) ? ", shown decimal" : "")
      << ((f.SnDisplay & kProjectSnStOrder) ? ", most significant byte first" : "") << '\n';
  out << "Limit: ";
  if (j.LimitFlag != 0) out << "on, " << j.MaxCount << " chips\n";
  else out << "off\n";

  OptionBuffer options{};
  std::copy(s.OptionBytes.begin(), s.OptionBytes.end(), options.begin());
  for (const auto& line : Stm32OptionLines(options, c, s.Stm32)) out << line << '\n';
  for (const auto& line : Stm8OptionLines(options, c, s.Stm32)) out << line << '\n';
}

}  // namespace

int RunProject(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1 || args[0].starts_with("--")) {
    err << "usage: korvelimg project FILE\n";
    return kUnusableInput;
  }
  const std::string& path = args[0];
  std::string bytes, error;
  if (!ReadFileBytes(path, bytes, error)) {
    err << "korvelimg project: " << error << '\n';
    return kUnusableInput;
  }
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  ProjectRead read = DecodeProject({data, bytes.size()});
  std::optional<StagedProject> staged;
  int result = read.Result;
  if (result == kProjectOk) {
    staged = StageProject(std::move(read.Content));
    if (!staged) result = kProjectBadSum;
  }
  out << "File: " << path << '\n';
  if (staged) Report(*staged, out);
  out << "Result: " << result << ' ' << ProjectResultMessage(result) << '\n';
  out.flush();
  if (!out) {
    err << "korvelimg project: cannot write the report\n";
    return 1;
  }
  if (result != kProjectOk) {
    err << "korvelimg project: " << path << ": " << ProjectResultMessage(result) << '\n';
    return 1;
  }
  return 0;
}

}  // namespace korvel
