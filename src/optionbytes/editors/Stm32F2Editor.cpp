// TSTM32F2xOptByteForm: STM32F2 and F4, option control word without complements.
// Not filled yet: the dialog opens empty and the command line lists no
// controls. Follow EditorTable.h and Stm32F1Editor.cpp.
#include "optionbytes/EditorTables.h"

namespace korvel {
namespace {

EditorTable Build() {
  EditorTable t;
  t.FormName = "TSTM32F2xOptByteForm";
  return t;
}

}  // namespace

const EditorTable& Stm32F2EditorTable() {
  static const EditorTable table = Build();
  return table;
}

}  // namespace korvel
