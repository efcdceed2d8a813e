#include "target/FixedSnData.h"

#include <cctype>
#include <cstdio>

#include "app/IntegerText.h"
#include "target/ImageCommands.h"
#include "target/SerialNumber.h"

namespace korvel {

namespace {

std::string Hex8(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", unsigned(v));
  return text;
}

uint8_t HexDigit(char ch) {
  if (ch >= '0' && ch <= '9') return uint8_t(ch - '0');
  if (ch >= 'A' && ch <= 'F') return uint8_t(ch - 'A' + 10);
  if (ch >= 'a' && ch <= 'f') return uint8_t(ch - 'a' + 10);
  return 0;
}

}  // namespace

std::vector<uint8_t> FixedDataBytes(const std::string& text, bool hex) {
  if (!hex) return {text.begin(), text.end()};
  std::vector<uint8_t> bytes;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    uint8_t value = 0;
    for (; i < text.size() && text[i] != ' '; ++i) value = uint8_t(value * 16 + HexDigit(text[i]));
    bytes.push_back(value);
  }
  return bytes;
}

ConfigSNModel::ConfigSNModel() {
  AddrEditSN.MaxLength = 10;
  EditDataSN.MaxLength = 255;
  RadioGrpSN.Caption = " SN地址区域 ";
  RadioGrpSN.Items = {"主数据地址区", "EEP数据地址区"};
  RadioGroupFM.Caption = "数据格式";
  RadioGroupFM.Items = {"字符串数据", "16进制数据"};
  ChkBoxSNEndin.Caption = "数据保存为大端模式";
  ChkBoxSNEndin.Visible = false;
}

void ConfigSNModel::Show(const ChipInfo& chip) {
  AddrEditSN.Text = Hex8(chip.FlashBase);
  FocusBack = Field::None;
}

void ConfigSNModel::AreaClicked(const ChipInfo& chip) {
  AddrEditSN.Text = Hex8(RadioGrpSN.ItemIndex == 1 ? chip.EepBase : chip.FlashBase);
}

void ConfigSNModel::SetData(const std::string& typed) {
  std::string upper = typed;
  for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  EditDataSN.Text = upper;
}

bool ConfigSNModel::Ok(ImageJob& job) {
  FocusBack = Field::None;
  if (EditDataSN.Text.empty()) {
    job.Prompts.Message(PromptKind::Information, kEnterValidSnData);
    FocusBack = Field::Data;
    return false;
  }
  const auto address = ParseUnsigned32(AddrEditSN.Text);
  if (!address) {
    job.Prompts.Message(PromptKind::Error, NotAnIntegerMessage(AddrEditSN.Text));
    FocusBack = Field::Address;
    return false;
  }
  const std::vector<uint8_t> bytes = FixedDataBytes(EditDataSN.Text, RadioGroupFM.ItemIndex == 1);
  const BufferBytes placed =
      PlaceInMainBuffer(job.Chip, job.App.Flags.Stm32Family, *address, bytes, job.Buffers.Main.size());
  std::copy(placed.Bytes.begin(), placed.Bytes.end(), job.Buffers.Main.begin() + placed.Offset);
  // The check values the next download carries describe the image as it
  // now is; data written into the EEPROM is data to program.
  MainBytesWritten(job, placed);
  const bool eep = RadioGrpSN.ItemIndex == 1;
  if (eep) UpdateEepWriteEnable(job);
  const auto& redraw = eep ? job.Views.DataViewChanged : job.Views.FlashViewChanged;
  if (redraw) redraw();
  return true;
}

}  // namespace korvel
