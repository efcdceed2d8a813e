#include "app/OperatorPrompts.h"

#include <algorithm>

namespace korvel {

PromptButton RecordingPrompts::Message(PromptKind kind, const std::string& text,
                                       const std::vector<PromptButton>& buttons) {
  Messages.push_back({kind, text, buttons});
  if (!Answers.empty()) {
    PromptButton b = Answers.front();
    Answers.erase(Answers.begin());
    return b;
  }
  if (buttons.empty()) return PromptButton::Ok;
  if (std::find(buttons.begin(), buttons.end(), PromptButton::Abort) != buttons.end())
    return PromptButton::Abort;
  return buttons.front();
}

std::optional<std::string> RecordingPrompts::OpenFileName(const FileDialogOptions&) {
  if (FileNames.empty()) return std::nullopt;
  auto n = FileNames.front();
  FileNames.erase(FileNames.begin());
  return n;
}

std::optional<std::string> RecordingPrompts::SaveFileName(const FileDialogOptions& options) {
  return OpenFileName(options);
}

std::optional<FileChoice> RecordingPrompts::SaveFileChoice(const FileDialogOptions& options) {
  auto name = SaveFileName(options);
  if (!name) return std::nullopt;
  int filter = options.FilterIndex;
  if (!SaveFilters.empty()) {
    filter = SaveFilters.front();
    SaveFilters.erase(SaveFilters.begin());
  }
  return FileChoice{*name, filter};
}

}  // namespace korvel
