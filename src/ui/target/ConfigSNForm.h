#pragma once
#include <QDialog>

#include "target/FixedSnData.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;

// "Config S/N Constant": fixed serial-number data written into the image.
// It mirrors korvel::ConfigSNModel; OK runs the model's rules.
class TConfigSNForm : public QDialog {
  Q_OBJECT

 public:
  explicit TConfigSNForm(QWidget* parent = nullptr);

  // Shows the dialog modally for the job's chip; true when OK wrote data.
  bool Run(korvel::ImageJob& job);
  const korvel::ConfigSNModel& Model() const { return model_; }

 private:
  void Mirror();
  void OkClicked();

  korvel::ConfigSNModel model_;
  korvel::ImageJob* job_ = nullptr;
  QLineEdit* addr_;
  QLineEdit* data_;
  QButtonGroup* area_;
  QButtonGroup* format_;
  QCheckBox* endian_;
};
