#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/Controls.h"

namespace korvel {

// The main window's job controls and the parts of the window that the
// program's rules change (toolbar, menus, panels, tabs). Field names are the
// controls' names on the form.
struct MainControls {
  MainControls();

  // Chip Setting tab: job options.
  RadioGroupState RadioGrpSpdF;
  CheckBoxState SNOrderChk;
  CheckBoxState ChkBoxSNDP;
  CheckBoxState VfyChkBox;
  RadioGroupState RadioGpVolt;
  CheckBoxState ChkBoxNotBlk;
  CheckBoxState ChkBoxIgnOptB;
  CheckBoxState ChkBoxVDD;
  RadioGroupState RadioGrpRST;
  CheckBoxState CheckBoxRun;
  SpinEditState SpinEditVddTim;
  SpinEditState SpinEditRstTim;
  CheckBoxState EnWrtEep;

  // "序列号设置"
  CheckBoxState CheckBoxSN;
  EditState SNEdit;
  EditState GainEdit;
  EditState AddrEdit;
  CheckBoxState ChkBoxPCSN;
  CheckBoxState ChkBoxStrSN;
  ActionState ButtonCfgSN;

  // "数量设置和芯片检测"
  CheckBoxState ChkBoxAuto;
  SpinEditState SpinEditIn;
  SpinEditState SpinEditOut;
  CheckBoxState CheckBoxCtrl;
  SpinEditState SpinEditNum;

  // "信号输出控制" holds ChkBoxVDD, RadioGrpRST, CheckBoxRun above.

  // Communication group.
  std::vector<std::string> ComboBoxCOMItems;
  std::string ComboBoxCOMText;

  std::string InfoPanelCaption = "Device = ??????";
  // StatusBar1 panels 0..3.
  std::string StatusPanels[4];
  bool EepTabVisible = false;  // "EEP Data" tab (TabSheetEEP)
  std::string EepTabCaption = "EEP Data";

  // Chip panel: the confirmed chip and its memory sizes.
  std::string MCUNameEdit;
  std::string lbFlashSize;
  std::string lbEEPSize;
  std::string LabelEep = "Data EEP: ";
  // The product name the job header carries; a load puts the file's name
  // there, and the operator may change it.
  EditState ProductEdit;
  // The page of PageControlSet in front ("ChipSett", ...); empty: as laid out.
  std::string ActivePage;

  // Toolbar buttons and menu entries by their form names.
  std::map<std::string, ActionState> Actions;
  ActionState& Action(const std::string& name) { return Actions[name]; }

  // Enabling rules that follow from other controls' state.
  void ApplyEnablingRules();

  // Tells the window to mirror the model again.
  void Changed() const;
  std::vector<std::function<void()>> Listeners;
};

// Toolbar button names, left to right.
extern const char* const kToolbarButtons[10];
// The toolbar buttons hidden in command-line mode.
extern const char* const kCommandLineHiddenButtons[8];

}  // namespace korvel
