#pragma once
#include <optional>
#include <string>

#include "target/ChipChange.h"
#include "target/ImageJob.h"
#include "target/ProjectJob.h"

namespace korvel {

// A project file's first bytes. A file longer than any project is read only
// this far, as the reader never looks past the sum anyway.
inline constexpr size_t kProjectReadLimit = size_t{4} << 20;

inline constexpr int kProjectUnreadable = -1;

struct ProjectFileRead {
  bool Found = false;          // false: no such file (the open does nothing)
  int Result = kProjectUnreadable;
  std::string Message;         // the open's message, or why the file was not read
  std::optional<StagedProject> Staged;  // with kProjectOk only
};

// Reads and checks a file into a staged job without touching any job.
// A file whose images would not fit the buffers is corrupted.
ProjectFileRead ReadProjectFile(const std::string& path);

// The restore of a staged job, in the order that keeps the stored values:
// stored fields, the chip change, the stored fields again, the source name,
// the option bytes, the images, then check values, controls and the option
// lines. sourceName is the job's ProjectSourceName.
void ApplyProject(const StagedProject& staged, ImageJob& job, ChipChangeContext chipContext,
                  std::string& sourceName);

// "Load From Project File" after its dialog, and the start-up argument: a
// missing file does nothing; otherwise the load line, the read, its message
// in the log and, unless in command-line mode, in a message box; only a
// sound file replaces the job.
ProjectFileRead OpenProject(ImageJob& job, ChipChangeContext chipContext,
                            std::string& sourceName, const std::string& path);

// The menu entry: the open dialog, then OpenProject; a cancelled dialog
// opens nothing (the result is then not Found).
ProjectFileRead OpenProjectFromMenu(ImageJob& job, ChipChangeContext chipContext,
                                    std::string& sourceName);

}  // namespace korvel
