#pragma once
#include <QDialog>
#include <QHash>
#include <QString>

#include "app/OperatorPrompts.h"
#include "optionbytes/OptionEditorModel.h"
#include "target/ChipInfo.h"

class QLabel;
class QMenu;
class QWidget;

namespace korvel {

// Any option-byte editor dialog, laid out from its table: one box per group
// (with the byte's address, value and complement where the group is one
// option byte), the controls in table order. Every widget forwards to the
// core editor and then shows what the editor says; the dialog itself knows
// nothing of option bytes.
class OptionEditorDialog : public QDialog {
  Q_OBJECT
 public:
  explicit OptionEditorDialog(OptionEditorModel& model, QWidget* parent = nullptr);

  // The menu of a right-click panel (bit panels share one); nullptr when
  // the name has none.
  QMenu* MenuOf(const QString& panelName) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Build();
  QWidget* MakeControl(const ControlState& control, QWidget* box);
  void Refresh();
  void Changed(const std::string& refusal);

  OptionEditorModel& model_;
  QMenu* bitMenu_ = nullptr;
  QString pressedPanel_;  // the panel right-pressed last
  QHash<QString, QMenu*> menus_;  // panel name -> its menu
  QHash<QString, QString> panelControl_;  // panel name -> control name
  QHash<QString, QWidget*> widgets_;  // control name -> its widget
  QHash<QString, QWidget*> outer_;    // control name -> what the layout holds
};

// Opens the chip's editor on the buffer, modally; it writes as the operator
// changes each control.
void RunOptionEditorDialog(QWidget* parent, const ChipInfo& chip, bool stm32, OptionBuffer& buffer,
                           OperatorPrompts& prompts);

}  // namespace korvel
