#pragma once
#include "app/OperatorPrompts.h"

class QWidget;

namespace korvel::ui {

// Real dialogs for the operator. On a platform nobody can see (offscreen,
// minimal) a modal box would wait for ever, so there the prompts are
// printed on standard error and answered by the unattended rule.
class QtOperatorPrompts : public OperatorPrompts {
 public:
  explicit QtOperatorPrompts(QWidget* parent = nullptr);

  PromptButton Message(PromptKind kind, const std::string& text,
                       const std::vector<PromptButton>& buttons = {}) override;
  void Beep() override;
  std::optional<std::string> OpenFileName(const FileDialogOptions& options) override;
  std::optional<std::string> SaveFileName(const FileDialogOptions& options) override;
  std::optional<FileChoice> SaveFileChoice(const FileDialogOptions& options) override;

  void SetParent(QWidget* parent) { parent_ = parent; }
  bool Unattended() const { return unattended_; }
  // An unattended run answers every prompt by rule, also on a display.
  void SetUnattended(bool on) { unattended_ = unattended_ || on; }

 private:
  QWidget* parent_;
  bool unattended_;
  RecordingPrompts rule_;
};

// The Qt file dialog itself: the chosen file as the file system's bytes
// and the filter left chosen.
std::optional<FileChoice> AskFileDialog(QWidget* parent, const FileDialogOptions& options,
                                        bool save);

}  // namespace korvel::ui
