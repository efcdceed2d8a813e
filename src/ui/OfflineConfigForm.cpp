#include "ui/OfflineConfigForm.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace korvel::ui {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

TPrgCfgForm::TPrgCfgForm(QWidget* parent) : QDialog(parent) {
  setObjectName("TPrgCfgForm");
  setWindowTitle(Q(model_.Caption));
  setModal(true);
  auto* column = new QVBoxLayout(this);
  for (size_t i = 0; i < steps_.size(); ++i) {
    steps_[i] = new QCheckBox(Q(model_.Steps[i].Caption), this);
    steps_[i]->setObjectName(QString::fromLatin1(OfflineConfigForm::kStepNames[i]));
    column->addWidget(steps_[i]);
    connect(steps_[i], &QCheckBox::toggled, this, [this, i](bool on) { model_.Steps[i].Checked = on; });
  }
  rop_ = new QCheckBox(Q(model_.ChkBoxROP.Caption), this);
  rop_->setObjectName("ChkBoxROP");
  column->addWidget(rop_);
  connect(rop_, &QCheckBox::toggled, this, [this](bool on) {
    model_.ClickRop(on);
    Refresh();
  });
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName("BitBtnOK");
  ok_->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName("BitBtnCancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  column->addLayout(buttons);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TPrgCfgForm::Refresh() {
  for (size_t i = 0; i < steps_.size(); ++i) {
    QSignalBlocker block(steps_[i]);
    steps_[i]->setChecked(model_.Steps[i].Checked);
    steps_[i]->setEnabled(model_.Steps[i].Enabled);
  }
  QSignalBlocker block(rop_);
  rop_->setChecked(model_.ChkBoxROP.Checked);
}

void TPrgCfgForm::Run(JobSettings& settings, MainControls& main) {
  model_.Show(settings);
  Refresh();
  if (exec() == QDialog::Accepted) model_.Ok(settings, main);
}

}  // namespace korvel::ui
