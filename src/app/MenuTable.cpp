#include "app/MenuTable.h"

namespace korvel {

const std::vector<MenuEntry>& MenuEntries() {
  static const std::vector<MenuEntry> kEntries = {
      {"", "File1", "&File", "", true},
      {"File1", "LoadObjectFile1", "&Load Object File", "F3", true},
      {"File1", "LoadEEPDataFile1", "Load EEP Data File", "", false},
      {"File1", "LoadSTM32F2xx4xxOTPdata1", "Load OTP data", "", false},
      {"File1", "LoadOptionByteFile1", "Load Option Byte File", "", true},
      {"File1", "SaveMemorytoFile1", "&Save Memory to File", "F2", true},
      {"File1", "SaveEEPData1", "Save EEP Data to File", "", false},
      {"File1", "SaveOTPDatatoFile1", "Save OTP Data to File", "", false},
      {"File1", "SaveOptionByte1", "Save Option Byte to File", "", true},
      {"File1", "ShowOptionByte1", "Show &Option Byte", "Ctrl+S", true},
      {"File1", "SavetoProjectFile1", "Save to Project File", "Ctrl+F2", true},
      {"File1", "LoadFromProjectFile1", "Load From Project File", "Ctrl+F3", true},
      {"File1", "ConfigLogFile1", "Config Log File", "", true},
      {"File1", "Exit1", "E&xit", "Ctrl+X", true},
      {"", "Execute1", "&Execute", "", true},
      {"Execute1", "Download1", "&Download", "F4", true},
      {"Execute1", "AutoProgram1", "&Auto Program", "F5", true},
      {"Execute1", "BlankCheck1", "&Blank Check", "F7", true},
      {"Execute1", "EraseChip1", "&Erase Chip", "F8", true},
      {"Execute1", "Programming1", "&Programming", "F9", true},
      {"Execute1", "Verification1", "&Verification", "F10", true},
      {"Execute1", "ReadOptionByte1", "Read  Option Byte", "Ctrl+O", true},
      {"Execute1", "WriteOptionByte1", "Write &Option Byte", "F11", true},
      {"Execute1", "ReadOTPMemory1", "Read OTP Memory", "", false},
      {"Execute1", "WriteOTPMemory1", "Write OTP Memory", "", false},
      {"Execute1", "VerifyOTPMemory1", "Verify OTP Memory", "", false},
      {"Execute1", "ReadSTM32xChipID1", "&Read Chip ID", "Ctrl+I", true},
      {"Execute1", "ReadChipmemory1", "Read Chip memory", "F12", true},
      {"Execute1", "ReadEEPMemory1", "Read EEP Memory", "", false},
      {"Execute1", "WriteEEPMemory1", "Write EEP Memory", "", false},
      {"Execute1", "ReadChipCheckSum1", "Read Chip Check Sum", "", false},
      {"Execute1", "DoFirmwareUpgrade1", "Do Firmware Upgrade", "", true},
      {"", "PrgCfg1", "烧写配置", "", false},
      {"", "StartOffLineProgram1", "Start Off-Line Program", "", true},
      {"", "Help1", "&Help", "", true},
      {"Help1", "About1", "About", "F1", true},
  };
  return kEntries;
}

const std::vector<MenuEntry>& DataViewPopupEntries() {
  // The per-cell fill entries were never finished; they stay hidden.
  static const std::vector<MenuEntry> kEntries = {
      {"PopupMenuOTP", "LoadFile1", "Load File", "", true},
      {"PopupMenuOTP", "FillAllto001", "Fill All to 00", "", true, true},
      {"PopupMenuOTP", "FillalltoFF1", "Fill all to FF", "", true},
      {"PopupMenuOTP", "FillCellto001", "Fill Cell to 00", "", false},
      {"PopupMenuOTP", "FillCelltoFF1", "Fill Cell to FF", "", false},
  };
  return kEntries;
}

}  // namespace korvel
