#include "ui/HostWiring.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QTableView>
#include <QTimer>

#include "engine/AutoProgress.h"
#include "engine/Host.h"
#include "engine/ProductionCounters.h"
#include "optionbytes/OptionContext.h"
#include "optionbytes/OptionDisplay.h"
#include "optionbytes/OptionEditorDispatch.h"
#include "optionbytes/OptionFile.h"
#include "target/ChecksumReport.h"
#include "target/HexViewLayout.h"
#include "target/ImageCommands.h"
#include "target/SerialControls.h"
#include "ui/ChipSettingPage.h"
#include "ui/ControlBinder.h"
#include "ui/MainWindow.h"
#include "ui/OfflineConfigForm.h"
#include "ui/logging/LogCfgForm.h"
#include "ui/options/OptionEditorDialog.h"
#include "ui/target/ChipSelectForm.h"
#include "ui/target/ConfigSNForm.h"
#include "ui/views/FormOfsAddr.h"
#include "ui/views/HexViewModel.h"

namespace korvel::ui {

namespace {

// A command-line run is under way: nobody is at the window to answer a
// dialog or to look at the hex views.
bool UnattendedRunning(Host& host) { return host.Unattended() && !host.Unattended()->Finished(); }

// The grid rows of a view that show main-buffer indices first..last.
void RedrawRows(HexViewModel& view, const HexViewLayout& layout, std::span<const uint8_t> main,
                uint32_t first, uint32_t last) {
  if (layout.Bytes.empty() || layout.Bytes.data() < main.data() ||
      layout.Bytes.data() >= main.data() + main.size())
    return;
  const uint32_t start = static_cast<uint32_t>(layout.Bytes.data() - main.data());
  const uint32_t end = start + static_cast<uint32_t>(layout.Bytes.size());
  if (last < start || first >= end) return;
  first = std::max(first, start);
  view.RowsChanged((first - start) / 16, (std::min(last, end - 1) - start) / 16);
}

// Calls back when the edit loses the focus, once the focus has moved on, so
// that a message box shown then does not fight the focus change.
class FocusLeft : public QObject {
 public:
  FocusLeft(QWidget* watched, std::function<void()> left) : QObject(watched), left_(std::move(left)) {
    watched->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Another window coming to the front is no leaving of the field.
    const auto* focus = event->type() == QEvent::FocusOut ? static_cast<QFocusEvent*>(event) : nullptr;
    if (focus && !busy_ && focus->reason() != Qt::ActiveWindowFocusReason &&
        focus->reason() != Qt::PopupFocusReason) {
      QTimer::singleShot(0, this, [this] {
        busy_ = true;
        left_();
        busy_ = false;
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> left_;
  bool busy_ = false;
};

void WireViews(TKorvel200STxPrg& window, Host& host) {
  auto* flash = new HexViewModel([&host] { return FlashViewLayout(host.Chip, host.Buffers); }, &window);
  auto* data = new HexViewModel([&host] { return DataViewLayout(host.Chip, host.Buffers); }, &window);
  window.HexViewer()->setModel(flash);
  window.EEPDataView()->setModel(data);
  SetUpHexGrid(*window.HexViewer(), 70);
  SetUpHexGrid(*window.EEPDataView(), 73);
  host.Window.Views.FlashViewChanged = [flash] { flash->Rebuild(); };
  host.Window.Views.MainBytesChanged = [flash, data, &host](uint32_t first, uint32_t last) {
    const std::span<const uint8_t> main = host.Buffers.MainSpan();
    RedrawRows(*flash, flash->Layout(), main, first, last);
    RedrawRows(*data, data->Layout(), main, first, last);
  };
  host.Window.Views.DataViewChanged = [data] { data->Rebuild(); };
  host.Window.Views.ProductNameChanged = [&host](const std::string& name) {
    host.App.Controls.ProductEdit.Text = name;
    host.App.Controls.Changed();
  };
  host.Window.Views.ShowFlashTab = [&window, &host] {
    // A command-line run keeps its gauges and log in front.
    if (UnattendedRunning(host)) return;
    window.ShowPage("TabSheetFlash");
  };
}

void WireOperations(TKorvel200STxPrg& window, Host& host) {
  OperationDispatch& ops = host.Operations();
  auto gang = [&window](const char* button, const char* menu, std::function<void()> fn) {
    window.SetActionHandler(button, fn);
    window.SetActionHandler(menu, fn);
  };
  gang("SpdBtnDownLoad", "Download1", [&ops] { ops.Download(); });
  gang("SpdBtnBlankChk", "BlankCheck1", [&ops] { ops.BlankCheck(); });
  gang("SpdBtnErase", "EraseChip1", [&ops] { ops.Erase(); });
  gang("SpdBtnProg", "Programming1", [&ops] { ops.Program(); });
  gang("SpdBtnVerify", "Verification1", [&ops] { ops.Verify(); });
  gang("SpdBtnWrtOPB", "WriteOptionByte1", [&ops] { ops.WriteOptionBytes(); });
  window.AutoEntry = [&ops] { ops.Auto(); };
  window.SetActionHandler("ReadOptionByte1", [&ops] { ops.ReadOptionBytes(); });
  window.SetActionHandler("WriteOTPMemory1", [&ops] { ops.WriteOtp(); });
  window.SetActionHandler("VerifyOTPMemory1", [&ops] { ops.VerifyOtp(); });
  window.SetActionHandler("ReadOTPMemory1", [&ops] { ops.ReadDataMemory(); });
  window.SetActionHandler("ReadEEPMemory1", [&ops] { ops.ReadDataMemory(); });
  window.SetActionHandler("WriteEEPMemory1", [&ops] { ops.WriteDataMemory(); });
  window.SetActionHandler("ReadSTM32xChipID1", [&ops] { ops.ReadChipId(); });
  window.SetActionHandler("ReadChipmemory1", [&ops] { ops.ReadChipMemory(); });
  window.SetActionHandler("ReadChipCheckSum1", [&ops] { ops.ReadChipChecksum(); });
  window.SetActionHandler("BitBtnFindDev", [&window, &host] {
    // Whatever the units said before the search is no longer theirs.
    window.Reports().Forget();
    host.Channels().FindDevices();
  });
}

// The labels beside the gauges: the channel's port, and what a unit that
// programs on its own reported, which the channel table does not keep.
void WireGauges(TKorvel200STxPrg& window, Host& host) {
  ChannelHost& channels = host.Channels();
  UnitReports& reports = window.Reports();
  window.ChipPage()->SetChannelSources(
      {[&channels](int c) { return channels.PortName(c); },
       [&channels](int c) { return channels.LinkOf(c).IsOpen(); }, &reports});
  auto shown = channels.Handlers.OnProgress;
  channels.Handlers.OnProgress = [shown, &reports, &host](int c, std::span<const uint8_t> packet) {
    if (shown) shown(c, packet);
    if (auto f = DecodeAutoProgressFrame(packet)) reports.OnFrame(c, host.App.Channels[c], f->Phase, f->Result);
  };
}

void WireFiles(TKorvel200STxPrg& window, Host& host) {
  ImageJob& images = host.Images();
  auto both = [&window](const char* a, const char* b, std::function<void()> fn) {
    window.SetActionHandler(a, fn);
    if (b) window.SetActionHandler(b, fn);
  };
  both("SpdBtnOpen", "LoadObjectFile1", [&images] { OpenObjectFileCommand(images); });
  both("SpdBtnLoadMore", nullptr, [&images] { LoadMoreFilesCommand(images); });
  both("LoadEEPDataFile1", nullptr, [&images] { LoadEepDataCommand(images); });
  both("LoadSTM32F2xx4xxOTPdata1", nullptr, [&images] { LoadOtpDataCommand(images); });
  // The data view's pop-up.
  both("LoadFile1", nullptr, [&images] { LoadOtpDataCommand(images); });
  both("FillAllto001", nullptr, [&images] { FillDataMemory(images, 0x00); });
  both("FillalltoFF1", nullptr, [&images] { FillDataMemory(images, 0xFF); });
  both("SaveMemorytoFile1", nullptr, [&images] { SaveMemoryCommand(images); });
  both("SaveEEPData1", nullptr, [&images] { SaveEepDataCommand(images); });
  both("SaveOTPDatatoFile1", nullptr, [&images] { SaveOtpDataCommand(images); });
  images.AskBinOffset = [&window, &host](const std::string& initial) -> std::optional<std::string> {
    // The offset dialog would hold a command-line run in its own event loop
    // until answered. No answer places the file at the start of the flash
    // area, as closing the dialog does.
    if (UnattendedRunning(host)) return std::nullopt;
    FormOfsAddr dialog(&window);
    dialog.SetText(QString::fromStdString(initial));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Text().toStdString();
  };

  auto options = [&host] {
    return OptionContext{host.Options, host.Chip, host.App.Flags, host.App.Log, host.Prompts()};
  };
  both("LoadOptionByteFile1", nullptr, [options] {
    OptionContext ctx = options();
    LoadOptionByteFileCommand(ctx);
  });
  both("SaveOptionByte1", nullptr, [options, &host] {
    OptionContext ctx = options();
    SaveOptionByteCommand(ctx, host.Buffers.OptSum, host.Buffers.OptCrc);
  });
  both("ShowOptionByte1", nullptr, [&host] {
    ShowOptionByteCommand(host.App.Log, host.Options, host.Chip, host.App.Flags.Stm32Family);
  });
  both("BitBtnOptCfg", nullptr, [options, &host, &window] {
    OptionContext ctx = options();
    OptionEditorHooks hooks;
    hooks.ShowEditor = [&host, &window](OptionEditor) {
      // Nobody is at the screen during a command-line run.
      if (UnattendedRunning(host)) return;
      RunOptionEditorDialog(&window, host.Chip, host.App.Flags.Stm32Family, host.Options, host.Prompts());
    };
    hooks.CopyProtectionToFlash = [&host](const OptionBuffer&) { host.CopyOptionProtectionToImage(); };
    OnOptionConfigClicked(ctx, hooks);
  });

  both("DoFirmwareUpgrade1", nullptr, [&host] { host.Firmware().MenuClick(true); });
  both("SavetoProjectFile1", nullptr, [&host] { host.SaveProjectFromMenu(); });
  both("LoadFromProjectFile1", nullptr, [&host] { host.OpenProjectFromMenu(); });

  auto* chipDialog = new TCHipSelectForm(&window);
  both("DevButton", nullptr, [chipDialog, &host] {
    ChipChangeContext ctx = host.ChipContext();
    RunChipDialog(*chipDialog, ctx);
  });
}

// Job controls whose click does more than the enabling rules the binder
// applies to every input.
void WireClicks(TKorvel200STxPrg& window, Host& host) {
  ControlBinder& binder = *window.Binder();
  MainControls& c = host.App.Controls;
  binder.SetClickHandler("CheckBoxCtrl", [&host, &c] { OnCheckBoxCtrlClick(c, host.App.Settings); });
  binder.SetClickHandler("ChkBoxAuto", [&c] { OnChkBoxAutoClick(c); });
  // What the operator types is the product name the next job carries.
  binder.SetClickHandler("ProductEdit", [&host, &c] {
    const auto& changed = host.Images().Views.ProductNameChanged;
    if (changed) changed(c.ProductEdit.Text);
  });
  binder.SetClickHandler("CheckBoxSN", [&host, &c] { OnCheckBoxSNClick(c, host.App.Settings); });
  binder.SetClickHandler("ChkBoxSNDP", [&host, &c] { OnChkBoxSNDPClick(c, host.Prompts()); });
  binder.SetClickHandler("ChkBoxStrSN", [&host, &c] { OnChkBoxStrSNClick(c, host.Prompts()); });
  if (auto* addr = window.findChild<QLineEdit*>("AddrEdit")) {
    new FocusLeft(addr, [addr, &host, &c] {
      if (OnAddrEditExit(c, host.App.Flags, host.Chip, host.Prompts())) addr->setFocus();
    });
  }
  auto* snDialog = new TConfigSNForm(&window);
  window.SetActionHandler("ButtonCfgSN", [snDialog, &host] {
    if (OnButtonCfgSNClick(host.App.Flags, host.Prompts())) snDialog->Run(host.Images());
  });
  binder.SetClickHandler("RadioGpVolt", [&host, &c] {
    OnVoltageChosen(c, host.App.Flags, host.Prompts(), c.RadioGpVolt.ItemIndex);
    c.Changed();
  });
}

void WireLogConfig(TKorvel200STxPrg& window, Host& host) {
  auto* dialog = new TLogCfgForm(host.LogConfig, host.Prompts(), &window);
  window.SetActionHandler("ConfigLogFile1", [dialog, &host] {
    dialog->Run(LogConfigPath(host.App.Flags.AppDir), host.App.Log);
  });
}

void WireOffline(TKorvel200STxPrg& window, Host& host) {
  auto* dialog = new TPrgCfgForm(&window);
  window.SetActionHandler("PrgCfg1", [dialog, &host] { dialog->Run(host.App.Settings, host.App.Controls); });
  // The menu entry is hidden, and a hidden entry's shortcut is dead: the
  // window carries the key itself.
  auto* key = new QShortcut(QKeySequence(QString::fromLatin1(kOfflineConfigKey)), &window);
  key->setObjectName("PrgCfgShortcut");
  QObject::connect(key, &QShortcut::activated, &window, [&window] { window.Trigger("PrgCfg1"); });
  window.SetActionHandler("StartOffLineProgram1", [&host] { host.StartOffLineProgram(); });
  host.OfflineStarted = [&window](const std::vector<int>& channels) {
    for (int c : channels) window.Reports().StartedAlone(c);
  };
}

}  // namespace

void WireHost(TKorvel200STxPrg& window, Host& host) {
  WireViews(window, host);
  WireOperations(window, host);
  WireGauges(window, host);
  WireFiles(window, host);
  WireClicks(window, host);
  WireLogConfig(window, host);
  WireOffline(window, host);
  window.OnTimer1 = [&host] { host.OnTimer1Tick(); };
  window.OnTimer2 = [&window, &host] { window.SetTimer2Enabled(host.OnTimer2Tick()); };
  host.Window.CloseWindow = [&window] { window.close(); };
  host.Window.FocusToolbar = [&window] {
    if (auto* panel = window.findChild<QWidget*>("PanelBtns")) panel->setFocus();
  };
  window.SetShutdownHooks([&host] { host.Channels().CloseAllPorts(); }, [&host] { host.FinishLog(); });
}

}  // namespace korvel::ui
