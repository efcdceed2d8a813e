#pragma once
#include <cstdint>

#include "target/ImageJob.h"

namespace korvel {

// The operator's load, save and fill commands. Each one that needs a chip
// shows "请先选择芯片型号！" without a confirmed chip and does nothing else.

// SpdBtnOpen / "&Load Object File": clears the buffers first.
void OpenObjectFileCommand(ImageJob& job);
// SpdBtnLoadMore: merges another file into the buffers.
void LoadMoreFilesCommand(ImageJob& job);
// "Load EEP Data File".
void LoadEepDataCommand(ImageJob& job);
// "Load OTP data" and the data view's "Load File".
void LoadOtpDataCommand(ImageJob& job);

// "&Save Memory to File" (only with an image loaded), "Save EEP Data to File",
// "Save OTP Data to File". The memory is written in the format of the
// chosen filter, or of the typed extension where the loader knows it
// (ResolveSaveTarget); the data memories are always raw binary.
void SaveMemoryCommand(ImageJob& job);
void SaveEepDataCommand(ImageJob& job);
void SaveOtpDataCommand(ImageJob& job);

// "Fill All to 00" / "Fill all to FF" of the data view.
void FillDataMemory(ImageJob& job, uint8_t value);

// EnWrtEep is ticked exactly when the data memory holds non-erased data.
void UpdateEepWriteEnable(ImageJob& job);

// The dialogs' filters.
FileDialogOptions ObjectFileDialog();  // OpenDialog1, "All Hex/Binary Files" selected
FileDialogOptions DataFileDialog();    // OpenDialogOTP
FileDialogOptions SaveFileDialog();    // SaveDialog1

}  // namespace korvel
