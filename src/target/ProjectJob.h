#pragma once
#include <array>
#include <cstdint>
#include <optional>

#include "app/JobSettings.h"
#include "target/ChipInfo.h"
#include "target/MemoryBuffers.h"
#include "target/ProjectFormat.h"

namespace korvel {

// What a project file means to the job: the stored chip fields, settings,
// option bytes and images, taken as they are stored (the chip rules do not
// run on them). A staged project is complete before anything of the job
// already loaded is touched.
struct StagedProject {
  ProjectContent Content;
  ChipInfo Chip;
  JobSettings Settings;
  bool Stm32 = false;
  bool Supports18V = false;
  std::array<uint8_t, 128> OptionBytes{};
  // The check values of the job header record, which the restore keeps.
  ProjectChecks Checks;
};

// Interprets a read file. nullopt when its images would not fit the
// buffers they belong in (no writer makes such a file): it is corrupted.
std::optional<StagedProject> StageProject(ProjectContent content);

// The stored fields onto the job: the chip descriptor's stored fields, the
// settings and the family flags. The fields a file does not keep (EepEnd,
// BlueNrgMode, Needs18V) stay as they are: give the job StagedProject::Chip
// first, then the chip change sets them by its rules, and this runs again
// after it so that its rules cannot alter the stored values.
void RestoreStoredFields(const StagedProject& staged, ChipInfo& chip, JobSettings& settings,
                         JobFlags& flags);

// The check values of the job header record into the buffers' fields.
void RestoreCheckValues(const StagedProject& staged, MemoryBuffers& buffers);

// The flash section and the data-memory image into the buffers, which are
// cleared first as for an Open, so nothing of the previous job remains. For
// the L4 line the data bytes 512..527 come from the option bytes 16..31.
void PlaceProjectImages(const StagedProject& staged, MemoryBuffers& buffers);

// Where the flash section starts in the main buffer.
uint32_t ProjectFlashStart(bool stm32, const ChipInfo& chip);

// The file's content for the job as it stands: chip fields, check values,
// the flash section and the data-memory image of the job's family. The
// caller adds the header block, the names and the display byte.
ProjectContent GatherProjectContent(const ChipInfo& chip, bool stm32, bool supports18V,
                                    const MemoryBuffers& buffers);

}  // namespace korvel
