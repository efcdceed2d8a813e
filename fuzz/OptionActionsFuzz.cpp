// Option-byte editor actions from the command line (NAME or NAME=VALUE,
// one per line of the input) run on a chosen chip's editor.
#include <string>
#include <vector>

#include "FuzzChips.h"
#include "FuzzSupport.h"
#include "optionbytes/OptionEditorActions.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  const auto chip = fuzz::PickChip(in.Byte());
  const std::string_view text = fuzz::Text(in.Rest());
  std::vector<std::string> actions;
  size_t start = 0;
  while (start <= text.size() && actions.size() < 64) {
    const size_t end = std::min(text.find('\n', start), text.size());
    actions.emplace_back(text.substr(start, end - start));
    if (auto a = ParseEditorAction(actions.back())) FUZZ_CHECK(!a->Name.empty());
    start = end + 1;
  }
  OptionBuffer buffer{};
  ResetOptionBuffer(buffer, chip.Info, chip.Stm32);
  RecordingPrompts prompts;
  RunEditorActions(chip.Info, chip.Stm32, buffer, prompts, actions);
  return 0;
}
