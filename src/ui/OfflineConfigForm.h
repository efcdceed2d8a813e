#pragma once
#include <QDialog>
#include <array>

#include "app/MainControls.h"
#include "engine/OfflineConfig.h"

class QCheckBox;
class QPushButton;

namespace korvel::ui {

// "Off-Line Programming Configure" over korvel::OfflineConfigForm, which
// holds the rules; the widgets only mirror it and pass clicks on.
class TPrgCfgForm : public QDialog {
  Q_OBJECT
 public:
  explicit TPrgCfgForm(QWidget* parent = nullptr);

  // Shows the dialog modally with the boxes of settings; OK writes them
  // back (and the main window's ChkBoxIgnOptB with them).
  void Run(JobSettings& settings, MainControls& main);

  OfflineConfigForm& Model() { return model_; }
  // Copies the model into the widgets.
  void Refresh();

 private:
  OfflineConfigForm model_;
  std::array<QCheckBox*, 7> steps_{};
  QCheckBox* rop_;
  QPushButton* ok_;
};

}  // namespace korvel::ui
