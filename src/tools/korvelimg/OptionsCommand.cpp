#include <fstream>
#include <iostream>

#include "Commands.h"
#include "app/Clock.h"
#include "app/InfoLog.h"
#include "app/JobSettings.h"
#include "optionbytes/EditorTables.h"
#include "optionbytes/OptionDefaults.h"
#include "optionbytes/OptionDisplay.h"
#include "optionbytes/OptionEditorActions.h"
#include "optionbytes/OptionEditorDispatch.h"
#include "optionbytes/OptionFile.h"
#include "target/ChipListing.h"
#include "target/ChipRules.h"
#include "target/ChipSeries.h"
#include "target/ImageLoading.h"

namespace korvel {

namespace {

constexpr const char* kOptionsUsage =
    "usage: korvelimg options --chip NAME [--from FILE] [ACTION ...]\n"
    "       korvelimg options --chip NAME --controls\n";

// Nobody answers: a warning box is printed and taken as OK.
class StderrPrompts : public RecordingPrompts {
 public:
  explicit StderrPrompts(std::ostream& err) : err_(err) {}
  PromptButton Message(PromptKind kind, const std::string& text,
                       const std::vector<PromptButton>& buttons) override {
    err_ << "korvelimg options: " << text << '\n';
    return RecordingPrompts::Message(kind, text, buttons);
  }

 private:
  std::ostream& err_;
};

std::string HexLine(const OptionBuffer& buffer) {
  static const char* kDigits = "0123456789abcdef";
  std::string s;
  for (uint8_t b : buffer) {
    s += kDigits[b >> 4];
    s += kDigits[b & 0xF];
  }
  return s;
}

}  // namespace

int RunOptions(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string chipName, from;
  bool listControls = false;
  std::vector<std::string> actions;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--chip" && i + 1 < args.size()) {
      chipName = args[++i];
    } else if (args[i] == "--from" && i + 1 < args.size()) {
      from = args[++i];
    } else if (args[i] == "--controls") {
      listControls = true;
    } else if (args[i].starts_with("--")) {
      err << "korvelimg options: unknown option \"" << args[i] << "\"\n" << kOptionsUsage;
      return kUnusableInput;
    } else {
      actions.push_back(args[i]);
    }
  }
  if (chipName.empty() || (listControls && (!actions.empty() || !from.empty()))) {
    err << kOptionsUsage;
    return kUnusableInput;
  }
  const ChipLocation where = FindChip(chipName);
  if (!where.Found()) {
    err << "korvelimg options: unknown chip \"" << chipName << "\"\n";
    return kUnusableInput;
  }
  ChipInfo chip = FreshConfirmation(where.Stm32, where.Series, where.Index);
  const bool stm32 = where.Stm32;
  OptionBuffer buffer{};
  if (stm32 && chip.BlueNrgMode) ApplyBlueNrgLayout(chip, buffer);
  else ResetOptionBuffer(buffer, chip, stm32);

  StderrPrompts prompts(err);
  if (listControls) {
    OptionEditorModel editor(EditorTableFor(EditorFor(chip, stm32)), EditorChipOf(chip, stm32), buffer,
                             prompts);
    for (const auto& line : ListEditorControls(editor)) out << line << '\n';
    out.flush();
    return out ? 0 : 1;
  }

  if (!from.empty()) {
    const std::string ext = UpperExtension(from);
    if (ext != "HEX" && ext != "S19" && ext != "BIN" && ext != "FRB") {
      err << "korvelimg options: \"" << from << "\" is not an option file (.HEX, .S19, .BIN, .FRB)\n";
      return kUnusableInput;
    }
    if (!std::ifstream(from, std::ios::binary)) {
      err << "korvelimg options: cannot open \"" << from << "\"\n";
      return kUnusableInput;
    }
    SystemClock clock;
    InfoLog log(clock);
    JobFlags flags;
    flags.ChipSelected = true;
    flags.Stm32Family = stm32;
    OptionContext ctx{buffer, chip, flags, log, prompts};
    LoadOptionFile(ctx, from);
  }

  if (auto error = RunEditorActions(chip, stm32, buffer, prompts, actions); !error.empty()) {
    err << "korvelimg options: " << error << '\n';
    return kRefusedAction;
  }
  out << HexLine(buffer) << '\n';
  if (EditorFor(chip, stm32) != OptionEditor::BlueNrg) {
    for (const auto& line : stm32 ? Stm32OptionLines(buffer, chip, stm32) : Stm8OptionLines(buffer, chip, stm32))
      out << line << '\n';
  }
  out.flush();
  if (!out) {
    err << "korvelimg options: cannot write the option bytes\n";
    return 1;
  }
  return 0;
}

}  // namespace korvel
