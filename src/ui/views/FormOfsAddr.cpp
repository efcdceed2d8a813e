#include "ui/views/FormOfsAddr.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace korvel {

FormOfsAddr::FormOfsAddr(QWidget* parent) : QDialog(parent), edit_(new QLineEdit(this)) {
  setObjectName("TFormOfsAddr");
  setWindowTitle("BIN File Offset Address");
  setModal(true);
  edit_->setObjectName("EditOfsAddr");
  edit_->setMaxLength(10);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("BitBtnOK");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("BitBtnCancel");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Offset Address:", this));
  layout->addWidget(edit_);
  layout->addWidget(buttons);
}

void FormOfsAddr::SetText(const QString& text) { edit_->setText(text); }

QString FormOfsAddr::Text() const { return edit_->text(); }

std::optional<std::string> FormOfsAddr::Ask(const std::string& initial) {
  SetText(QString::fromStdString(initial));
  edit_->selectAll();
  edit_->setFocus();
  if (exec() != QDialog::Accepted) return std::nullopt;
  return Text().toStdString();
}

}  // namespace korvel
