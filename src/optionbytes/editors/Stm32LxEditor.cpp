// TSTM32LxOptByteForm: STM32L0 and L1, words of two values and their complements.
// Not filled yet: the dialog opens empty and the command line lists no
// controls. Follow EditorTable.h and Stm32F1Editor.cpp.
#include "optionbytes/EditorTables.h"

namespace korvel {
namespace {

EditorTable Build() {
  EditorTable t;
  t.FormName = "TSTM32LxOptByteForm";
  return t;
}

}  // namespace

const EditorTable& Stm32LxEditorTable() {
  static const EditorTable table = Build();
  return table;
}

}  // namespace korvel
