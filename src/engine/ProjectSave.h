#pragma once
#include <optional>
#include <string>
#include <vector>

#include "app/CaptureJobSettings.h"
#include "engine/JobView.h"
#include "engine/RandomSource.h"
#include "target/ChipInfo.h"
#include "target/ImageJob.h"
#include "target/ProjectFormat.h"

namespace korvel {

inline constexpr const char* kProjectNoChip = "未选择芯片型号！";
inline constexpr const char* kProjectNoImage = "未加载目标文件！";
inline constexpr const char* kProjectCreated = "Created Project File : ";

// The project dialogs' filters.
FileDialogOptions ProjectSaveDialog();
FileDialogOptions ProjectOpenDialog();

// What a save takes from the job beside the image job's records.
struct ProjectSaveInputs {
  std::string ProductName;  // ProductEdit, into the job header record
  std::string SourceName;   // the job's ProjectSourceName
};

struct ProjectSaveResult {
  bool Saved = false;
  std::string Message;  // what the operator was told
};

// The capture's view of the chip (the data-memory window of a serial number).
CaptureChip CaptureChipOf(const ChipInfo& chip, bool stm32);

// The serial-number display byte of the controls.
uint8_t SnDisplayByte(const MainControls& controls);

// The 1024-byte header block of the file: the job header record and a copy.
std::array<uint8_t, kProjectHeaderBlockSize> ProjectHeaderBlock(const JobView& job,
                                                                RandomSource& random);

// The file's content for the job as captured (settings in job.App.Settings,
// check values in the buffers); pure, for the save and for tests.
ProjectContent BuildProjectContent(ImageJob& job, const ProjectSaveInputs& inputs,
                                   RandomSource& random);

// The save to path, as "Save to Project File" after its dialog: refuses
// without a chip or an image (information box), computes the option check
// values, captures the settings, writes the file through a temporary file
// and a rename, and logs and shows "Created Project File : " and the path.
// A failed write leaves an existing file as it was and says why.
ProjectSaveResult SaveProjectAs(ImageJob& job, const ProjectSaveInputs& inputs,
                                const std::string& path, RandomSource& random);

// The menu entry: the refusals, then the save dialog, then SaveProjectAs.
// A cancelled dialog saves nothing.
ProjectSaveResult SaveProjectFromMenu(ImageJob& job, const ProjectSaveInputs& inputs,
                                      RandomSource& random);

}  // namespace korvel
