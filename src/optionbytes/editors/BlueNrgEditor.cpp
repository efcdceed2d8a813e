// TBlugNrgSetForm: read-out protection of the BlueTooth chips.
// Not filled yet: the dialog opens empty and the command line lists no
// controls. Follow EditorTable.h and Stm32F1Editor.cpp.
#include "optionbytes/EditorTables.h"

namespace korvel {
namespace {

EditorTable Build() {
  EditorTable t;
  t.FormName = "TBlugNrgSetForm";
  return t;
}

}  // namespace

const EditorTable& BlueNrgEditorTable() {
  static const EditorTable table = Build();
  return table;
}

}  // namespace korvel
