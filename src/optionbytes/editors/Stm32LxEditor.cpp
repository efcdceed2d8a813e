// TSTM32LxOptByteForm: STM32L0 and L1. Every option word holds two value
// bytes and, in its high half, their complements: RDP and the PCROP mode
// (word 0), USER and nBOOT1 (word 1), WRP1 to WRP4 (words 2 to 9).
#include <string>

#include "optionbytes/EditorRows.h"
#include "optionbytes/EditorTables.h"
#include "optionbytes/OptionEditorModel.h"

namespace korvel {
namespace {

bool IsL0(const EditorChip& c) { return c.FamilyCode == 0x28; }
bool IsL1(const EditorChip& c) { return c.FamilyCode != 0x28; }
template <int KB>
bool Above(const EditorChip& c) {
  return c.FlashSizeKB > KB;
}
// WRP3 and WRP4 exist only on the large L1 parts; the L0 never shows them.
template <int KB>
bool L1Above(const EditorChip& c) {
  return IsL1(c) && c.FlashSizeKB > KB;
}
bool Wrp1High(const EditorChip& c) { return IsL1(c) || c.FlashSizeKB > 64; }

int WordComplement(int offset) { return offset >= 0 && offset < 40 && offset % 4 < 2 ? offset + 2 : -1; }

// Items that write the whole byte, shown by the bits of the row's mask.
std::vector<ControlItem> WholeByteItems(std::vector<std::pair<std::string, uint8_t>> items) {
  std::vector<ControlItem> out;
  for (auto& [text, value] : items) out.push_back({std::move(text), 0xFF, value, value, {}});
  return out;
}

struct WrpGroup {
  int Number;
  int Offsets[4];      // L (bits 7-0), M, H, U (bits 31-24)
  ChipRule Visible[4];  // per edit
  ChipRule Group;
  ChipRule Load;  // the edits are set from the buffer on show
};

// "WRP1 - %0.2x %0.2x %0.2x %0.2x ": bits 31-24 first.
template <int L, int M, int H, int U, char N>
std::string WrpCaption(const OptionBuffer& b, const EditorChip&) {
  std::string s = std::string("WRP") + N + " -";
  for (int o : {U, H, M, L}) s += FormatHex(" %0.2x", b[static_cast<std::size_t>(o)]);
  return s + " ";
}

const WrpGroup kWrp[] = {
    {1, {8, 9, 12, 13}, {nullptr, nullptr, Wrp1High, Wrp1High}, nullptr, nullptr},
    {2, {16, 17, 20, 21}, {Above<128>, Above<160>, Above<192>, Above<224>}, Above<128>, nullptr},
    {3, {24, 25, 28, 29}, {L1Above<256>, L1Above<288>, L1Above<320>, L1Above<352>}, L1Above<256>, IsL1},
    {4, {32, 33, 36, 37}, {L1Above<384>, L1Above<416>, L1Above<448>, L1Above<480>}, L1Above<384>, IsL1},
};
const DisplayText kWrpCaption[] = {WrpCaption<8, 9, 12, 13, '1'>, WrpCaption<16, 17, 20, 21, '2'>,
                                   WrpCaption<24, 25, 28, 29, '3'>, WrpCaption<32, 33, 36, 37, '4'>};

void AddWrpGroup(EditorTable& t, const WrpGroup& g) {
  const std::string n = std::to_string(g.Number);
  const std::string group = "GroupWRP" + n;
  t.Groups.push_back({group, "WRP" + n, "", "", -1, "", -1, g.Group});
  ControlRow caption;
  caption.Name = "LabelWRP" + n;
  caption.Kind = ControlKind::Display;
  caption.Group = group;
  caption.Text = kWrpCaption[g.Number - 1];
  t.Rows.push_back(caption);
  const char* parts = "LMHU";
  for (int i = 0; i < 4; ++i) {
    ControlRow edit;
    edit.Name = "EditWRP" + n + parts[i];
    edit.Kind = ControlKind::KeyEdit;
    edit.Group = group;
    edit.Offset = g.Offsets[i];
    edit.MaxLength = 2;
    edit.EditFormat = "%0.2x";
    edit.ShowRule = g.Load;
    edit.Visible = g.Visible[i];
    t.Rows.push_back(edit);
  }
}

EditorTable Build() {
  EditorTable t;
  t.FormName = "TSTM32LxOptByteForm";
  t.ComplementOf = WordComplement;
  t.Groups = {
      {"GroupLxROP", "Read Out Protection", "", "EditLxROP", 0, "", -1, nullptr},
      {"PanelPcROP", "PCROP mode", "", "EditPcROP", 1, "", -1, nullptr},
      {"GroupLxUSER", "USER", "", "EditLxUSER", 4, "", -1, nullptr},
      {"PanelBOOT1", "nBOOT1", "", "EditBoot1", 5, "", -1, IsL0},
  };

  t.Rows.push_back(RdpShortCombo("ComBoxLxROP", "GroupLxROP", 0, kOtpWarning));

  // The item index is the whole byte; the box shows bit 0.
  t.Rows.push_back(ComboRow(
      "ComBoxLxPCROP", "PanelPcROP", 1, 0x01,
      WholeByteItems({{"0 : PcROp Disabled, WRP bits i used for Write protection on sector i", 0x00},
                      {"1 : PcROp Enabled, WRP bits i used for PcROP protection on sector i", 0x01}})));

  std::vector<std::string> bor;
  for (int k = 0; k < 16; ++k) {
    std::string bits;
    for (int b = 3; b >= 0; --b) bits += (k >> b & 1) ? '1' : '0';
    const std::string level = k < 8 ? "BOR off" : k < 15 ? "BOR level " + std::to_string(k - 7) : "Reserved";
    bor.push_back(bits + " : " + level);
  }
  t.Rows.push_back(ComboRow("ComBoxLxBOR", "GroupLxUSER", 4, 0x0F, IndexItems(0x0F, bor)));
  t.Rows.push_back(ComboRow("ComBoxLxIWDG", "GroupLxUSER", 4, 0x10,
                         BitItems(4, "0 : hardware independent watchdog", "1 : software independent watchdog")));
  t.Rows.push_back(ComboRow("ComBoxLxnRST", "GroupLxUSER", 4, 0x20,
                         BitItems(5, "0 : Reset generated when entering the stop mode", "1 : No reset generated.")));
  t.Rows.push_back(ComboRow("ComBoxLxSTDB", "GroupLxUSER", 4, 0x40,
                         BitItems(6, "0 : Reset generated when entering the Standby mode", "1 : No reset generated")));
  t.Rows.push_back(
      ComboRow("ComBoxLxBFB", "GroupLxUSER", 4, 0x80, BitItems(7, "0 : Boot from system memory", "1 : Boot from bank 1")));

  // nBOOT1 is bit 7 of its byte; the other bits are written as 0.
  t.Rows.push_back(ComboRow("ComBoxBOOT1", "PanelBOOT1", 5, 0x80,
                         WholeByteItems({{"0 : Boot = 0", 0x00}, {"1 : Boot = 1", 0x80}})));

  for (const auto& g : kWrp) AddWrpGroup(t, g);
  return t;
}

}  // namespace

const EditorTable& Stm32LxEditorTable() {
  static const EditorTable table = Build();
  return table;
}

}  // namespace korvel
