// TSTM32L4xOptByteForm: STM32L4 and L4+, option registers as little-endian words.
// Not filled yet: the dialog opens empty and the command line lists no
// controls. Follow EditorTable.h and Stm32F1Editor.cpp.
#include "optionbytes/EditorTables.h"

namespace korvel {
namespace {

EditorTable Build() {
  EditorTable t;
  t.FormName = "TSTM32L4xOptByteForm";
  return t;
}

}  // namespace

const EditorTable& Stm32L4EditorTable() {
  static const EditorTable table = Build();
  return table;
}

}  // namespace korvel
