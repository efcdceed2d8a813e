#include "engine/Host.h"
#include "optionbytes/OptionEditorActions.h"
#include "optionbytes/OptionEditorDispatch.h"
#include "target/ChecksumReport.h"

namespace korvel {

std::optional<std::string> Host::ApplyOptionActions(const std::vector<std::string>& actions) {
  if (!App.Flags.ChipSelected) return std::string("--option needs a chip (--chip)");
  // The same path as the option button: the editor, then the printed lines
  // (or, for a BlueTooth chip, the copy into the flash image).
  std::string error;
  OptionContext ctx{Options, Chip, App.Flags, App.Log, Prompts()};
  OptionEditorHooks hooks;
  hooks.ShowEditor = [&](OptionEditor) {
    error = RunEditorActions(Chip, App.Flags.Stm32Family, Options, Prompts(), actions);
  };
  hooks.CopyProtectionToFlash = [this](const OptionBuffer&) { CopyOptionProtectionToImage(); };
  OnOptionConfigClicked(ctx, hooks);
  if (!error.empty()) return error;
  return std::nullopt;
}

void Host::CopyOptionProtectionToImage() {
  CopyProtectionToFlash(Buffers, Chip, Options);
  if (Window.Views.FlashViewChanged) Window.Views.FlashViewChanged();
  // The image changed: its check values must describe it before the next
  // download sends them.
  ReportChecksums(Images());
}

}  // namespace korvel
