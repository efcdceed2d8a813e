#pragma once
#include "optionbytes/EditorTable.h"
#include "optionbytes/OptionFamily.h"
#include "target/ChipInfo.h"

namespace korvel {

// One table per editor dialog, each in src/optionbytes/editors/.
const EditorTable& Stm32F1EditorTable();   // TSTM32F1xOptByteForm
const EditorTable& Stm32F2EditorTable();   // TSTM32F2xOptByteForm
const EditorTable& Stm32LxEditorTable();   // TSTM32LxOptByteForm
const EditorTable& Stm32L4EditorTable();   // TSTM32L4xOptByteForm
const EditorTable& Stm32G0EditorTable();   // TSTM32G0xOptByteForm
const EditorTable& Stm32G4EditorTable();   // TSTM32xG4OptBForm
const EditorTable& BlueNrgEditorTable();   // TBlugNrgSetForm
const EditorTable& Stm8AxEditorTable();    // TOptionByteM8AxForm
const EditorTable& Stm8LxEditorTable();    // TSTM8LxOptionByteForm

// The table of an editor dialog.
const EditorTable& EditorTableFor(OptionEditor editor);

// The view of the chip that the tables' rules read.
EditorChip EditorChipOf(const ChipInfo& chip, bool stm32);

}  // namespace korvel
