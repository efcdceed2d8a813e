#include "ui/target/ConfigSNForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QGroupBox* Radios(QWidget* parent, const char* name, const korvel::RadioGroupState& state,
                  QButtonGroup*& buttons) {
  auto* box = new QGroupBox(Q(state.Caption), parent);
  box->setObjectName(name);
  auto* column = new QVBoxLayout(box);
  buttons = new QButtonGroup(box);
  for (int i = 0; i < int(state.Items.size()); ++i) {
    auto* r = new QRadioButton(Q(state.Items[i]), box);
    buttons->addButton(r, i);
    column->addWidget(r);
  }
  return box;
}

}  // namespace

TConfigSNForm::TConfigSNForm(QWidget* parent) : QDialog(parent) {
  setObjectName("TConfigSNForm");
  setWindowTitle(Q(model_.Caption));
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(Q(model_.AddrLabel), this), 0, 0);
  addr_ = new QLineEdit(this);
  addr_->setObjectName("AddrEditSN");
  addr_->setMaxLength(model_.AddrEditSN.MaxLength);
  grid->addWidget(addr_, 0, 1);
  grid->addWidget(new QLabel(Q(model_.DataLabel), this), 1, 0);
  data_ = new QLineEdit(this);
  data_->setObjectName("EditDataSN");
  data_->setMaxLength(model_.EditDataSN.MaxLength);
  grid->addWidget(data_, 1, 1);
  grid->addWidget(Radios(this, "RadioGrpSN", model_.RadioGrpSN, area_), 2, 0);
  grid->addWidget(Radios(this, "RadioGroupFM", model_.RadioGroupFM, format_), 2, 1);
  endian_ = new QCheckBox(Q(model_.ChkBoxSNEndin.Caption), this);
  endian_->setObjectName("ChkBoxSNEndin");
  grid->addWidget(endian_, 3, 0);
  auto* row = new QHBoxLayout;
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName("BitBtnOK");
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName("BitBtnCancel");
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  grid->addLayout(row, 4, 0, 1, 2);

  connect(addr_, &QLineEdit::textEdited, this, [this](const QString& t) { model_.AddrEditSN.Text = t.toStdString(); });
  connect(data_, &QLineEdit::textEdited, this, [this](const QString& t) {
    // Typed letters come out in upper case.
    model_.SetData(t.toStdString());
    const int at = data_->cursorPosition();
    data_->setText(Q(model_.EditDataSN.Text));
    data_->setCursorPosition(at);
  });
  connect(area_, &QButtonGroup::idClicked, this, [this](int id) {
    model_.RadioGrpSN.ItemIndex = id;
    if (job_) model_.AreaClicked(job_->Chip);
    Mirror();
  });
  connect(format_, &QButtonGroup::idClicked, this, [this](int id) { model_.RadioGroupFM.ItemIndex = id; });
  connect(endian_, &QCheckBox::toggled, this, [this](bool on) { model_.ChkBoxSNEndin.Checked = on; });
  connect(ok, &QPushButton::clicked, this, [this] { OkClicked(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  Mirror();
}

void TConfigSNForm::Mirror() {
  QSignalBlocker a(addr_), d(data_), e(endian_);
  addr_->setText(Q(model_.AddrEditSN.Text));
  data_->setText(Q(model_.EditDataSN.Text));
  if (auto* b = area_->button(model_.RadioGrpSN.ItemIndex)) b->setChecked(true);
  if (auto* b = format_->button(model_.RadioGroupFM.ItemIndex)) b->setChecked(true);
  endian_->setChecked(model_.ChkBoxSNEndin.Checked);
  endian_->setVisible(model_.ChkBoxSNEndin.Visible);
}

void TConfigSNForm::OkClicked() {
  if (!job_) return reject();
  if (model_.Ok(*job_)) return accept();
  if (model_.FocusBack == korvel::ConfigSNModel::Field::Data) data_->setFocus();
  if (model_.FocusBack == korvel::ConfigSNModel::Field::Address) addr_->setFocus();
}

bool TConfigSNForm::Run(korvel::ImageJob& job) {
  job_ = &job;
  model_.Show(job.Chip);
  Mirror();
  const bool ok = exec() == QDialog::Accepted;
  job_ = nullptr;
  return ok;
}
