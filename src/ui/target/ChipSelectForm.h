#pragma once
#include <QDialog>

#include "target/ChipChange.h"
#include "target/ChipSelect.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

// The chip selection dialog. It mirrors korvel::ChipSelectModel; the rules
// run in core when the caller applies an OK.
class TCHipSelectForm : public QDialog {
  Q_OBJECT

 public:
  explicit TCHipSelectForm(QWidget* parent = nullptr);

  // On show: the family of the current chip and its first series.
  void Prepare(bool stm32);
  const korvel::ChipSelectModel& Model() const { return model_; }

 private:
  void FillSeries();
  void FillChips();
  void OnFamily(bool stm32);

  korvel::ChipSelectModel model_;
  QRadioButton* stm8_;
  QRadioButton* stm32_;
  QListWidget* series_;
  QListWidget* chips_;
  QLineEdit* edit_;
  QPushButton* ok_;
  QPushButton* cancel_;
  bool filling_ = false;
};

// DevButton: shows the dialog on the job's family; on OK confirms the chip
// and adapts the main window. Returns whether OK was pressed.
bool RunChipDialog(TCHipSelectForm& dialog, korvel::ChipChangeContext& ctx);
