// TSTM32G0xOptByteForm: STM32G0x0 and G0x1, option registers as little-endian words.
// Not filled yet: the dialog opens empty and the command line lists no
// controls. Follow EditorTable.h and Stm32F1Editor.cpp.
#include "optionbytes/EditorTables.h"

namespace korvel {
namespace {

EditorTable Build() {
  EditorTable t;
  t.FormName = "TSTM32G0xOptByteForm";
  return t;
}

}  // namespace

const EditorTable& Stm32G0EditorTable() {
  static const EditorTable table = Build();
  return table;
}

}  // namespace korvel
