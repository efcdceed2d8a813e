#include "engine/ProjectLoad.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "engine/ProjectSave.h"
#include "engine/ShowJobSettings.h"
#include "optionbytes/OptionDisplay.h"
#include "target/ChecksumReport.h"

namespace korvel {

namespace {

enum class FileState { Missing, Unreadable, Read };

// Up to kProjectReadLimit bytes of a regular file. Anything else (a
// directory, a FIFO, a device) is refused without opening it for long.
FileState ReadPrefix(const std::string& path, std::vector<uint8_t>& out, std::string& error) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    error = path + ": " + std::strerror(errno);
    return errno == ENOENT ? FileState::Missing : FileState::Unreadable;
  }
  if (!S_ISREG(st.st_mode)) {
    error = path + ": not a regular file";
    return FileState::Unreadable;
  }
  // The name may have been replaced since: what was opened is checked again.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    error = path + ": " + std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return FileState::Unreadable;
  }
  if (!S_ISREG(st.st_mode)) {
    error = path + ": not a regular file";
    ::close(fd);
    return FileState::Unreadable;
  }
  out.resize(kProjectReadLimit);
  size_t got = 0;
  while (got < out.size()) {
    const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = path + ": " + std::strerror(errno);
      ::close(fd);
      return FileState::Unreadable;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  out.resize(got);
  return FileState::Read;
}

void Notify(const std::function<void()>& hook) {
  if (hook) hook();
}

}  // namespace

ProjectFileRead ReadProjectFile(const std::string& path) {
  ProjectFileRead r;
  std::vector<uint8_t> bytes;
  const FileState state = ReadPrefix(path, bytes, r.Message);
  r.Found = state != FileState::Missing;
  if (state != FileState::Read) return r;
  ProjectRead decoded = DecodeProject(bytes);
  r.Result = decoded.Result;
  if (r.Result == kProjectOk) {
    r.Staged = StageProject(std::move(decoded.Content));
    if (!r.Staged) r.Result = kProjectBadSum;
  }
  r.Message = ProjectResultMessage(r.Result);
  return r;
}

void ApplyProject(const StagedProject& s, ImageJob& job, ChipChangeContext chipContext,
                  std::string& sourceName) {
  AppState& app = job.App;
  MemoryBuffers& b = job.Buffers;
  b.ShowFileRange = false;

  job.Chip = s.Chip;
  RestoreStoredFields(s, job.Chip, app.Settings, app.Flags);
  b.LoadLow = job.Chip.FlashBase;
  b.LoadHigh = job.Chip.FlashEnd;
  // The chip change resets the option bytes and settings by the chip's
  // rules; the stored values go back on top of what it did.
  SetMCUNameEdit(chipContext, s.Chip.ChipName);
  app.Flags.ImageLoaded = true;
  RestoreStoredFields(s, job.Chip, app.Settings, app.Flags);
  app.Flags.ChipSelected = true;
  b.LoadLow = job.Chip.FlashBase;
  b.LoadHigh = job.Chip.FlashEnd;

  sourceName = s.Content.SourceName;
  if (job.Views.ProductNameChanged) job.Views.ProductNameChanged(sourceName);
  app.Controls.StatusPanels[2] = sourceName;

  std::copy_n(s.OptionBytes.begin(), std::min(s.OptionBytes.size(), job.OptionBuffer.size()),
              job.OptionBuffer.begin());
  PlaceProjectImages(s, b);
  RestoreCheckValues(s, b);

  const ChipInfo& chip = job.Chip;
  if (b.LoadHigh > chip.FlashEnd && b.LoadHigh > chip.EepEnd)
    job.Prompts.Message(PromptKind::Warning, "文件大小超出芯片空间，请确认芯片型号是否正确!");
  ReportChecksums(job);
  Notify(job.Views.FlashViewChanged);
  Notify(job.Views.DataViewChanged);
  Notify(job.Views.ShowFlashTab);

  ShowJobSettings(app.Controls, app.Settings, s.Content.SnDisplay);
  OptionBuffer options{};
  std::copy_n(job.OptionBuffer.begin(), std::min(options.size(), job.OptionBuffer.size()),
              options.begin());
  ShowOptionLines(app.Log, options, chip, app.Flags.Stm32Family);
}

ProjectFileRead OpenProject(ImageJob& job, ChipChangeContext chipContext,
                            std::string& sourceName, const std::string& path) {
  AppState& app = job.App;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) return {};
  app.Log.HostLine("Load Brevan Project file of \"" + path + "\" at " + app.Log.clock().DateText());
  ProjectFileRead r = ReadProjectFile(path);
  app.Log.HostLine(r.Message);
  if (!app.Flags.CommandLineMode)
    job.Prompts.Message(r.Result == kProjectOk ? PromptKind::Information : PromptKind::Error,
                        r.Message);
  if (r.Result == kProjectOk && r.Staged) ApplyProject(*r.Staged, job, chipContext, sourceName);
  return r;
}

ProjectFileRead OpenProjectFromMenu(ImageJob& job, ChipChangeContext chipContext,
                                    std::string& sourceName) {
  const auto path = job.Prompts.OpenFileName(ProjectOpenDialog());
  if (!path || path->empty()) return {};
  return OpenProject(job, std::move(chipContext), sourceName, *path);
}

}  // namespace korvel
