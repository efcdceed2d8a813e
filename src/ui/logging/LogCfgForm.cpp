#include "ui/logging/LogCfgForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
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

// The log file name is a file name: its bytes are kept as the system gave
// them, whether or not they are valid UTF-8.
QString FileNameText(const std::string& name) { return QFile::decodeName(QByteArray::fromStdString(name)); }
std::string FileNameBytes(const QString& text) { return QFile::encodeName(text).toStdString(); }

constexpr const char* kConfigWriteError = "Write Log Config File error!";

// A radio group whose buttons carry the item indexes as ids.
QGroupBox* RadioGroup(QWidget* parent, const char* name, const korvel::RadioGroupState& state,
                      QButtonGroup*& items) {
  auto* group = new QGroupBox(Q(state.Caption), parent);
  group->setObjectName(name);
  auto* column = new QVBoxLayout(group);
  items = new QButtonGroup(group);
  for (size_t i = 0; i < state.Items.size(); ++i) {
    auto* b = new QRadioButton(Q(state.Items[i]), group);
    b->setObjectName(QStringLiteral("%1Item%2").arg(QLatin1String(name)).arg(i));
    items->addButton(b, static_cast<int>(i));
    column->addWidget(b);
  }
  return group;
}

void Mirror(QGroupBox* group, QButtonGroup* items, const korvel::RadioGroupState& state) {
  QSignalBlocker block(items);
  group->setEnabled(state.Enabled);
  if (QAbstractButton* b = items->button(state.ItemIndex)) b->setChecked(true);
}

}  // namespace

TLogCfgForm::TLogCfgForm(korvel::LogConfigForm& model, korvel::OperatorPrompts& prompts,
                         QWidget* parent)
    : QDialog(parent), model_(model), prompts_(prompts) {
  setObjectName("TLogCfgForm");
  setWindowTitle(Q(model_.Caption));
  setModal(true);

  log_ = new QCheckBox(Q(model_.CheckBoxLog.Caption), this);
  log_->setObjectName("CheckBoxLog");
  create_ = RadioGroup(this, "RadioGrpCreat", model_.RadioGrpCreat, createItems_);
  nameLabel_ = new QLabel(Q(model_.EditLogNameLabel), this);
  nameLabel_->setObjectName("LabelLogName");
  name_ = new QLineEdit(this);
  name_->setObjectName("EditLogName");
  nameLabel_->setBuddy(name_);
  browse_ = new QPushButton(Q(model_.SpeedButtonOP.Caption), this);
  browse_->setObjectName("SpeedButtonOP");
  browse_->setAutoDefault(false);
  mode_ = RadioGroup(this, "RadioGrpMod", model_.RadioGrpMod, modeItems_);
  record_ = new QCheckBox(Q(model_.CheckBoxRecord.Caption), this);
  record_->setObjectName("CheckBoxRecord");
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName("OK");
  ok_->setDefault(true);

  auto* column = new QVBoxLayout(this);
  column->addWidget(log_);
  column->addWidget(create_);
  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(nameLabel_);
  nameRow->addWidget(name_, 1);
  nameRow->addWidget(browse_);
  column->addLayout(nameRow);
  column->addWidget(mode_);
  column->addWidget(record_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  column->addLayout(buttons);
  resize(420, 330);

  connect(log_, &QCheckBox::toggled, this, [this](bool on) {
    if (refreshing_) return;
    model_.SetLogEnabled(on);
    Refresh();
  });
  connect(createItems_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (refreshing_ || !on) return;
    model_.SelectCreate(id);
    Refresh();
  });
  connect(modeItems_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (refreshing_ || !on) return;
    model_.SelectMode(id);
  });
  connect(record_, &QCheckBox::toggled, this, [this](bool on) {
    if (!refreshing_) model_.CheckBoxRecord.Checked = on;
  });
  connect(name_, &QLineEdit::textEdited, this,
          [this](const QString& t) { model_.EditLogName.Text = FileNameBytes(t); });
  connect(browse_, &QPushButton::clicked, this, [this] {
    model_.Browse(prompts_);
    Refresh();
  });
  connect(ok_, &QPushButton::clicked, this, [this] { OkClicked(); });
  Refresh();
}

void TLogCfgForm::Refresh() {
  refreshing_ = true;
  {
    QSignalBlocker block(log_);
    log_->setChecked(model_.CheckBoxLog.Checked);
    log_->setEnabled(model_.CheckBoxLog.Enabled);
  }
  {
    QSignalBlocker block(record_);
    record_->setChecked(model_.CheckBoxRecord.Checked);
  }
  Mirror(create_, createItems_, model_.RadioGrpCreat);
  Mirror(mode_, modeItems_, model_.RadioGrpMod);
  if (FileNameBytes(name_->text()) != model_.EditLogName.Text)
    name_->setText(FileNameText(model_.EditLogName.Text));
  name_->setEnabled(model_.EditLogName.Enabled);
  nameLabel_->setEnabled(model_.EditLogName.Enabled);
  browse_->setEnabled(model_.SpeedButtonOP.Enabled);
  refreshing_ = false;
}

void TLogCfgForm::OkClicked() {
  if (model_.Ok(prompts_)) {
    accept();
    return;
  }
  if (model_.Focus == "EditLogName") name_->setFocus();
}

bool SaveLogConfigReported(const korvel::LogConfigForm& model, const std::string& path,
                           korvel::InfoLog& log, korvel::OperatorPrompts& prompts) {
  const auto error = korvel::SaveLogConfig(model, path);
  if (!error) return true;
  prompts.Message(korvel::PromptKind::Warning, kConfigWriteError);
  log.HostLine(std::string(kConfigWriteError) + " " + *error);
  return false;
}

void TLogCfgForm::Run(const std::string& path, korvel::InfoLog& log) {
  Refresh();
  exec();
  // The close box closes the dialog too, and the file follows the controls
  // however it was closed.
  SaveLogConfigReported(model_, path, log, prompts_);
}
