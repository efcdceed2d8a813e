#include "app/MainControls.h"

#include "app/MenuTable.h"

namespace korvel {

const char* const kToolbarButtons[10] = {
    "SpdBtnExit", "SpdBtnOpen",      "SpdBtnLoadMore", "SpdBtnDownLoad", "AutoSpdBtn",
    "SpdBtnBlankChk", "SpdBtnErase", "SpdBtnProg",     "SpdBtnVerify",   "SpdBtnWrtOPB"};

const char* const kCommandLineHiddenButtons[8] = {
    "SpdBtnWrtOPB", "AutoSpdBtn", "SpdBtnBlankChk", "SpdBtnErase",
    "SpdBtnProg",   "SpdBtnVerify", "SpdBtnOpen",   "SpdBtnLoadMore"};

namespace {

CheckBoxState Box(const char* caption, bool checked) {
  CheckBoxState b;
  b.Caption = caption;
  b.Checked = checked;
  return b;
}

SpinEditState Spin(const char* caption, int value, int min, int max, int step) {
  SpinEditState s;
  s.Caption = caption;
  s.Value = value;
  s.Min = min;
  s.Max = max;
  s.Increment = step;
  return s;
}

EditState Edit(const char* text, int maxLength) {
  EditState e;
  e.Text = text;
  e.MaxLength = maxLength;
  return e;
}

struct ButtonDef {
  const char* Name;
  const char* Caption;
  const char* Hint;
  bool Visible;
};

const ButtonDef kButtonDefs[] = {
    {"SpdBtnExit", "退出", "Exit Application", true},
    {"SpdBtnOpen", "&加载数据", "Load Object File", true},
    {"SpdBtnLoadMore", "加载更多数据", "", true},
    {"SpdBtnDownLoad", "下载", "下载目标程序到编程器的FLASH中", true},
    {"AutoSpdBtn", "自动", "编程、校验并写入Option Bytes", true},
    {"SpdBtnBlankChk", "查空", "目标MCU Flash查空", false},
    {"SpdBtnErase", "擦除", "在线擦除目标MCU Flash", false},
    {"SpdBtnProg", "编程", "将目标代码写入到MCU的Flash中", true},
    {"SpdBtnVerify", "校验", "编程数据的校验", true},
    {"SpdBtnWrtOPB", "写Option", "Option Bytes的写入", true},
};

}  // namespace

MainControls::MainControls() {
  RadioGrpSpdF.Items = {"Low Speed", "High Speed"};
  RadioGrpSpdF.ItemIndex = 1;
  SNOrderChk = Box("ST兼容存储模式", true);
  SNOrderChk.Enabled = false;
  ChkBoxSNDP = Box("序列号十进制显示", false);
  VfyChkBox = Box("Verify after programmed", false);
  VfyChkBox.Visible = false;
  RadioGpVolt.Caption = " 接口电平 ";
  RadioGpVolt.Items = {"3.3V", "5.0V", "1.8V"};
  RadioGpVolt.ItemIndex = 1;
  ChkBoxNotBlk = Box("Report Errror if Chip is Not Blank.", false);
  ChkBoxIgnOptB = Box("忽略Option Byte烧写", false);
  ChkBoxVDD = Box("编程完成后关闭电源输出", true);
  RadioGrpRST.Caption = "复位信号（RESET）";
  RadioGrpRST.Items = {"输出常低电平", "关闭输出(高阻)", "输出复位后关闭"};
  RadioGrpRST.ItemIndex = 0;
  CheckBoxRun = Box("编程完成后启动芯片", false);
  SpinEditVddTim = Spin("上电稳定时间(ms)：     ", 100, 10, 2000, 10);
  SpinEditRstTim = Spin("掉电稳定时间(ms)：     ", 100, 10, 2000, 10);
  EnWrtEep = Box("允许写EEP数据", false);
  EnWrtEep.Visible = false;

  CheckBoxSN = Box("添加序列号功能", false);
  SNEdit = Edit("0x00000000", 10);
  GainEdit = Edit("0x01", 4);
  AddrEdit = Edit("0x0000FFF0", 10);
  ChkBoxPCSN = Box("允许联机序列号", false);
  ChkBoxStrSN = Box("使用ASCII序列号", false);
  ButtonCfgSN.Caption = "设置固定SN初始数据";

  ChkBoxAuto = Box("自动芯片检测", false);
  SpinEditIn = Spin("芯片放入稳定时间(ms)： ", 510, 300, 1500, 30);
  SpinEditOut = Spin("芯片拿开稳定时间(ms)：  ", 510, 300, 2000, 30);
  CheckBoxCtrl = Box("限制烧写总数", false);
  SpinEditNum = Spin("最大烧写数量：", 0, 0, 999999999, 100);

  StatusPanels[0] = "文件校验和：";
  StatusPanels[1] = "芯片校验和：";
  StatusPanels[2] = "";
  StatusPanels[3] = "联机计数器：0";

  for (const auto& b : kButtonDefs) {
    auto& a = Actions[b.Name];
    a.Caption = b.Caption;
    a.Hint = b.Hint;
    a.Visible = b.Visible;
  }
  for (const auto* table : {&MenuEntries(), &DataViewPopupEntries()}) {
    for (const auto& m : *table) {
      auto& a = Actions[m.Name];
      a.Caption = m.Caption;
      a.Shortcut = m.Shortcut;
      a.Visible = m.Visible;
    }
  }
  ApplyEnablingRules();
}

void MainControls::ApplyEnablingRules() {
  SpinEditIn.Enabled = ChkBoxAuto.Checked;
  SpinEditOut.Enabled = ChkBoxAuto.Checked;
  SpinEditNum.Enabled = CheckBoxCtrl.Checked;
  const bool sn = CheckBoxSN.Checked;
  AddrEdit.Enabled = sn;
  SNEdit.Enabled = sn;
  GainEdit.Enabled = sn;
  SNOrderChk.Enabled = sn;
  ChkBoxPCSN.Enabled = sn;
  ChkBoxStrSN.Enabled = sn;
  ButtonCfgSN.Enabled = sn;
}

void MainControls::Changed() const {
  for (const auto& l : Listeners)
    if (l) l();
}

}  // namespace korvel
