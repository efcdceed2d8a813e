#pragma once
#include <cstdint>

#include "target/ChipInfo.h"

namespace korvel {

// The per-family editor dialogs opened by BitBtnOptCfg.
enum class OptionEditor {
  Stm32F1x,   // TSTM32F1xOptByteForm
  Stm32F2x,   // TSTM32F2xOptByteForm
  Stm32Lx,    // TSTM32LxOptByteForm
  Stm32L4x,   // TSTM32L4xOptByteForm
  Stm32G0x,   // TSTM32G0xOptByteForm
  Stm32xG4,   // TSTM32xG4OptBForm
  BlueNrg,    // TBlugNrgSetForm
  Stm8Ax,     // TOptionByteM8AxForm
  Stm8Lx,     // TSTM8LxOptionByteForm
};

// What runs over the buffer after a file load.
enum class ComplementRule { None, Stm8, BytePairs, WordHalves8, WordHalves10 };

// How a family treats its option bytes.
struct OptionFamily {
  OptionEditor Editor;
  // Address of offset 0 when a HEX or S-record option file is read.
  uint32_t FileBase;
  ComplementRule Complements;
};

OptionFamily OptionFamilyOf(const ChipInfo& chip, bool stm32);

// The dialog class name of an editor, as the form names it.
const char* EditorFormName(OptionEditor editor);

}  // namespace korvel
