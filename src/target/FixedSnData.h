#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/Controls.h"
#include "target/ChipInfo.h"
#include "target/ImageJob.h"

namespace korvel {

// The bytes of fixed serial-number data: the text's own bytes, or with hex
// the text split at blanks, each piece a hexadecimal number taken modulo
// 256 (a character that is no hexadecimal digit counts as 0).
std::vector<uint8_t> FixedDataBytes(const std::string& text, bool hex);

// TConfigSNForm, "Config S/N Constant": fixed bytes (text or hexadecimal)
// written into the image at any address.
struct ConfigSNModel {
  ConfigSNModel();

  std::string Caption = "Config S/N Constant";
  std::string AddrLabel = "数据存储首地址：   ";
  std::string DataLabel = "数据内容(16进制格式以空格分隔）：   ";
  EditState AddrEditSN;
  EditState EditDataSN;       // upper case
  RadioGroupState RadioGrpSN;    // main area, EEP area
  RadioGroupState RadioGroupFM;  // text, hexadecimal
  CheckBoxState ChkBoxSNEndin;   // hidden; nothing reads it

  // On show: the address is the start of the flash.
  void Show(const ChipInfo& chip);
  // RadioGrpSN clicked: the start of the area chosen.
  void AreaClicked(const ChipInfo& chip);
  // What the operator typed into EditDataSN, in upper case.
  void SetData(const std::string& typed);
  // OK: writes the data into the image and returns true (the dialog
  // closes); with no data or an address that is not a number, the message
  // and false (the dialog stays, the focus on the field at fault).
  bool Ok(ImageJob& job);
  // Which field the focus goes back to after a refused OK.
  enum class Field { None, Address, Data };
  Field FocusBack = Field::None;
};

inline constexpr const char* kEnterValidSnData = "请输入有效的序列号数据!";

}  // namespace korvel
