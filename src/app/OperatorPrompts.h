#pragma once
#include <optional>
#include <string>
#include <vector>

namespace korvel {

enum class PromptKind { Information, Warning, Error, Confirmation };
enum class PromptButton { Ok, Cancel, Yes, No, Abort, Ignore };

// A file dialog's filters as "Description|*.EXT;*.EXT" entries and the one
// selected at first (0-based).
struct FileDialogOptions {
  std::string Title;
  std::vector<std::string> Filters;
  int FilterIndex = 0;
  std::string DefaultSuffix;
  // A name typed without an extension gets the one of the filter chosen
  // when the dialog closes (for saves whose format follows the filter).
  bool SuffixFromFilter = false;
};

// A saved file's name and the filter left chosen in the dialog (0-based).
struct FileChoice {
  std::string Name;
  int FilterIndex = 0;
};

// Everything that waits for the operator goes through here: the Qt window
// shows real dialogs; headless runs and tests answer by rule.
struct OperatorPrompts {
  virtual ~OperatorPrompts() = default;
  // A modal message; returns the button pressed (the first of buttons when
  // the answer comes by rule). buttons empty means one OK button.
  virtual PromptButton Message(PromptKind kind, const std::string& text,
                               const std::vector<PromptButton>& buttons = {}) = 0;
  virtual void Beep() = 0;
  // nullopt when cancelled.
  virtual std::optional<std::string> OpenFileName(const FileDialogOptions& options) = 0;
  virtual std::optional<std::string> SaveFileName(const FileDialogOptions& options) = 0;
  // The save dialog when the chosen filter matters too. By default the
  // name from SaveFileName with the filter the dialog opened on.
  virtual std::optional<FileChoice> SaveFileChoice(const FileDialogOptions& options) {
    auto name = SaveFileName(options);
    if (!name) return std::nullopt;
    return FileChoice{*name, options.FilterIndex};
  }
};

// Records every prompt and answers by rule: the scripted answer if one is
// queued, else Abort when offered (a verify dialog must not pass a bad part
// unattended), else the first button.
class RecordingPrompts : public OperatorPrompts {
 public:
  struct Shown {
    PromptKind Kind;
    std::string Text;
    std::vector<PromptButton> Buttons;
  };

  PromptButton Message(PromptKind kind, const std::string& text,
                       const std::vector<PromptButton>& buttons = {}) override;
  void Beep() override { ++Beeps; }
  std::optional<std::string> OpenFileName(const FileDialogOptions&) override;
  std::optional<std::string> SaveFileName(const FileDialogOptions&) override;
  std::optional<FileChoice> SaveFileChoice(const FileDialogOptions& options) override;

  std::vector<Shown> Messages;
  int Beeps = 0;
  std::vector<PromptButton> Answers;                  // consumed front first
  std::vector<std::optional<std::string>> FileNames;  // consumed front first
  // Filters chosen in save dialogs, consumed front first; when none is
  // queued the dialog's own FilterIndex.
  std::vector<int> SaveFilters;
};

}  // namespace korvel
