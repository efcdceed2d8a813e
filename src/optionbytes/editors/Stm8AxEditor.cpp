// TOptionByteM8AxForm: STM8S, STM8AF, STM8AH, STM8AL and STM8TL.
// Not filled yet: the dialog opens empty and the command line lists no
// controls. Follow EditorTable.h and Stm32F1Editor.cpp.
#include "optionbytes/EditorTables.h"

namespace korvel {
namespace {

EditorTable Build() {
  EditorTable t;
  t.FormName = "TOptionByteM8AxForm";
  return t;
}

}  // namespace

const EditorTable& Stm8AxEditorTable() {
  static const EditorTable table = Build();
  return table;
}

}  // namespace korvel
