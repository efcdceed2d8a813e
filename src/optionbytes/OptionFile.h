#pragma once
#include "app/CommonMessages.h"
#include <string>

#include "app/OperatorPrompts.h"
#include "optionbytes/OptionChecksums.h"
#include "optionbytes/OptionContext.h"
#include "target/ImageFile.h"

namespace korvel {


// OpenDialog1 with its sixth filter (the option-byte files) selected.
FileDialogOptions OptionOpenDialog();
// SaveDialog1; whatever filter is chosen, the file is plain binary.
FileDialogOptions OptionSaveDialog();

// LoadOptionByteFile1: needs a chip, asks for the file, then loads it.
void LoadOptionByteFileCommand(OptionContext& ctx);
// Loads an option file by its extension (.HEX, .S19, .BIN, .FRB, any
// case), applies the family's complements and prints the buffer. What the
// reader could not use is reported in one log line; what it stored stays.
void LoadOptionFile(OptionContext& ctx, const std::string& fileName);

// The programmer's own option file: a 32-byte header, then either the
// option bytes (short files) or a memory image with address A at file
// offset 32 + A (files of 60000 bytes and more).
struct FrbResult {
  bool Opened = false;
  std::string Error;
};
FrbResult ReadFrbFile(const std::string& path, OptionBuffer& buffer);
inline constexpr std::size_t kFrbHeaderSize = 32;
inline constexpr std::size_t kFrbImageThreshold = 60000;

// SaveOptionByte1: asks for the name, updates the check values (OptSum,
// OptCrc) and writes the 128 bytes. Returns false when cancelled or when
// writing failed (the failure is logged).
bool SaveOptionByteCommand(OptionContext& ctx, uint16_t& optSum, uint16_t& optCrc);


}  // namespace korvel
