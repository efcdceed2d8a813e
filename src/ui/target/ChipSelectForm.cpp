#include "ui/target/ChipSelectForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QLabel* Label(QWidget* parent, const char* name, const char* text) {
  auto* l = new QLabel(QString::fromUtf8(text), parent);
  l->setObjectName(name);
  return l;
}

}  // namespace

TCHipSelectForm::TCHipSelectForm(QWidget* parent) : QDialog(parent) {
  setObjectName("CHipSelectForm");
  setWindowTitle("STMxx Chip Selection Dialog");
  setModal(true);

  stm8_ = new QRadioButton("STM8xx", this);
  stm8_->setObjectName("RadioButSTM8x");
  stm8_->setChecked(true);
  stm32_ = new QRadioButton("STM32xx", this);
  stm32_->setObjectName("RadioButSTM32x");
  series_ = new QListWidget(this);
  series_->setObjectName("ListBoxSeries");
  chips_ = new QListWidget(this);
  chips_->setObjectName("ListBoxChips");
  edit_ = new QLineEdit(this);
  edit_->setObjectName("EditSelChip");
  ok_ = new QPushButton("OK", this);
  ok_->setObjectName("BitBtnOK");
  ok_->setDefault(true);
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setObjectName("BitBtnCancel");

  auto* grid = new QGridLayout(this);
  auto* family = new QHBoxLayout;
  family->addWidget(stm8_);
  family->addWidget(stm32_);
  family->addStretch();
  grid->addLayout(family, 0, 0, 1, 2);
  grid->addWidget(Label(this, "LabelSeries", "Chip Series Select:   "), 1, 0);
  grid->addWidget(Label(this, "LabelChips", "Chip Type Select:   "), 1, 1);
  grid->addWidget(series_, 2, 0);
  grid->addWidget(chips_, 2, 1);
  auto* selected = new QHBoxLayout;
  selected->addWidget(Label(this, "LabelSelected", "Chip Selected: "));
  selected->addWidget(edit_, 1);
  grid->addLayout(selected, 3, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  grid->addLayout(buttons, 4, 0, 1, 2);
  resize(420, 380);

  connect(stm8_, &QRadioButton::toggled, this, [this](bool on) {
    if (on && !filling_) OnFamily(false);
  });
  connect(stm32_, &QRadioButton::toggled, this, [this](bool on) {
    if (on && !filling_) OnFamily(true);
  });
  connect(series_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (filling_ || row < 0) return;
    model_.SelectSeries(row);
    FillChips();
  });
  connect(chips_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (filling_ || row < 0) return;
    model_.SelectChip(row);
    edit_->setText(Q(model_.EditSelChip()));
  });
  connect(chips_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
  connect(edit_, &QLineEdit::textEdited, this,
          [this](const QString& t) { model_.SetEditSelChip(t.toStdString()); });
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void TCHipSelectForm::Prepare(bool stm32) {
  model_.Show(stm32);
  filling_ = true;
  (stm32 ? stm32_ : stm8_)->setChecked(true);
  filling_ = false;
  FillSeries();
}

void TCHipSelectForm::OnFamily(bool stm32) {
  model_.SetFamily(stm32);
  FillSeries();
}

void TCHipSelectForm::FillSeries() {
  filling_ = true;
  series_->clear();
  for (const auto& n : model_.SeriesNames()) series_->addItem(Q(n));
  series_->setCurrentRow(model_.SeriesIndex());
  filling_ = false;
  FillChips();
}

void TCHipSelectForm::FillChips() {
  filling_ = true;
  chips_->clear();
  for (const auto& n : model_.ChipNames()) chips_->addItem(Q(n));
  chips_->setCurrentRow(model_.ChipIndex());
  filling_ = false;
  edit_->setText(Q(model_.EditSelChip()));
}

bool RunChipDialog(TCHipSelectForm& dialog, korvel::ChipChangeContext& ctx) {
  dialog.Prepare(ctx.Flags.Stm32Family);
  if (dialog.exec() != QDialog::Accepted) return false;
  korvel::ApplyChipDialogOk(ctx, dialog.Model());
  return true;
}
