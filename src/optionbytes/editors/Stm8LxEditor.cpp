// TSTM8LxOptionByteForm: STM8L, no complement bytes.
// Not filled yet: the dialog opens empty and the command line lists no
// controls. Follow EditorTable.h and Stm32F1Editor.cpp.
#include "optionbytes/EditorTables.h"

namespace korvel {
namespace {

EditorTable Build() {
  EditorTable t;
  t.FormName = "TSTM8LxOptionByteForm";
  return t;
}

}  // namespace

const EditorTable& Stm8LxEditorTable() {
  static const EditorTable table = Build();
  return table;
}

}  // namespace korvel
