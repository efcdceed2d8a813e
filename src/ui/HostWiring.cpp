#include "ui/HostWiring.h"

#include <QShortcut>
#include <QTableView>

#include "engine/Host.h"
#include "engine/ProductionCounters.h"
#include "optionbytes/OptionContext.h"
#include "optionbytes/OptionDisplay.h"
#include "optionbytes/OptionEditorDispatch.h"
#include "optionbytes/OptionFile.h"
#include "target/ChecksumReport.h"
#include "target/HexViewLayout.h"
#include "target/ImageCommands.h"
#include "ui/ControlBinder.h"
#include "ui/MainWindow.h"
#include "ui/OfflineConfigForm.h"
#include "ui/logging/LogCfgForm.h"
#include "ui/target/ChipSelectForm.h"
#include "ui/views/FormOfsAddr.h"
#include "ui/views/HexViewModel.h"

namespace korvel::ui {

namespace {

// A command-line run is under way: nobody is at the window to answer a
// dialog or to look at the hex views.
bool UnattendedRunning(Host& host) { return host.Unattended() && !host.Unattended()->Finished(); }

void WireViews(TKorvel200STxPrg& window, Host& host) {
  auto* flash = new HexViewModel([&host] { return FlashViewLayout(host.Chip, host.Buffers); }, &window);
  auto* data = new HexViewModel([&host] { return DataViewLayout(host.Chip, host.Buffers); }, &window);
  window.HexViewer()->setModel(flash);
  window.EEPDataView()->setModel(data);
  SetUpHexGrid(*window.HexViewer(), 70);
  SetUpHexGrid(*window.EEPDataView(), 73);
  host.Window.Views.FlashViewChanged = [flash] { flash->Rebuild(); };
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
  window.SetActionHandler("BitBtnFindDev", [&host] { host.Channels().FindDevices(); });
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
  both("BitBtnOptCfg", nullptr, [options, &host] {
    OptionContext ctx = options();
    OptionEditorHooks hooks;
    hooks.CopyProtectionToFlash = [&host](const OptionBuffer& b) {
      CopyProtectionToFlash(host.Buffers, host.Chip, b);
      if (host.Window.Views.FlashViewChanged) host.Window.Views.FlashViewChanged();
      // The image changed: its check values must describe it before the
      // next download sends them.
      ReportChecksums(host.Images());
    };
    OnOptionConfigClicked(ctx, hooks);
  });

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
}

}  // namespace

void WireHost(TKorvel200STxPrg& window, Host& host) {
  WireViews(window, host);
  WireOperations(window, host);
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
