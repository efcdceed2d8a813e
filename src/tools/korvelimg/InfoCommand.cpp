#include <array>

#include "Commands.h"
#include "app/AppState.h"
#include "app/OperatorPrompts.h"
#include "target/ChecksumReport.h"
#include "target/ChipListing.h"
#include "target/ChipSeries.h"
#include "target/ImageCommands.h"
#include "target/ImageLoading.h"

namespace korvel {

namespace {

// The report's check-value lines, as the window's log shows them after the
// same loads.
constexpr std::string_view kFirstLine = "主 Flash CheckSum  = ";
constexpr std::string_view kLastLine = "Open File CheckSum  = ";

}  // namespace

int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string chipName;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--chip" && i + 1 < args.size()) {
      chipName = args[++i];
    } else if (args[i].starts_with("--")) {
      err << "korvelimg info: unknown option \"" << args[i] << "\"\n";
      return kUnusableInput;
    } else {
      files.push_back(args[i]);
    }
  }
  if (chipName.empty() || files.empty()) {
    err << "usage: korvelimg info --chip NAME FILE...\n";
    return kUnusableInput;
  }
  const ChipLocation where = FindChip(chipName);
  if (!where.Found()) {
    err << "korvelimg info: unknown chip \"" << chipName << "\"\n";
    return kUnusableInput;
  }

  SystemClock clock;
  AppState app(clock);
  ChipInfo chip = FreshConfirmation(where.Stm32, where.Series, where.Index);
  MemoryBuffers buffers;
  std::array<uint8_t, 128> option;
  option.fill(0xFF);
  RecordingPrompts prompts;
  app.Flags.ChipSelected = true;
  app.Flags.Stm32Family = where.Stm32;
  // Raw files go to the start of the flash, as the offset dialog proposes.
  ImageJob job{app, chip, buffers, option, prompts, nullptr, {}};

  for (size_t i = 0; i < files.size(); ++i) {
    if (i == 0) {
      // "&Load Object File" first, then "加载更多数据" for the rest.
      ClearBuffersForOpen(buffers, where.Stm32, chip.FamilyCode);
      buffers.ShowFileRange = true;
    }
    const ObjectLoad load = LoadObjectFile(job, files[i], false);
    UpdateEepWriteEnable(job);
    if (!load.Loaded) {
      // Check values of an image that is not whole would be taken for its own.
      for (const auto& m : prompts.Messages) err << "korvelimg info: " << m.Text << '\n';
      err << "korvelimg info: " << load.Error << '\n';
      return kUnusableInput;
    }
  }
  for (const auto& m : prompts.Messages) err << "korvelimg info: " << m.Text << '\n';

  bool printing = false;
  for (const auto& line : ReportChecksums(job)) {
    if (line.starts_with(kFirstLine)) printing = true;
    if (printing) out << line << '\n';
    if (line.starts_with(kLastLine)) break;
  }
  out.flush();
  if (!out) {
    err << "korvelimg info: cannot write the check values\n";
    return 1;
  }
  return 0;
}

}  // namespace korvel
