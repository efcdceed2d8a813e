#include "ui/ControlBinder.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

namespace korvel::ui {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

QString FromFileName(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}
std::string ToFileName(const QString& path) { return QFile::encodeName(path).toStdString(); }

ControlBinder::ControlBinder(MainControls& controls, QObject* parent)
    : QObject(parent), controls_(controls) {}

void ControlBinder::Input(QObject* widget) {
  if (refreshing_) return;
  const std::string name = S(widget->objectName());
  const auto click = clicks_.find(name);
  if (click != clicks_.end()) {
    if (OnInput) OnInput(name);
    click->second();
    return;
  }
  controls_.ApplyEnablingRules();
  if (OnInput) OnInput(name);
  controls_.Changed();
}

void ControlBinder::SetClickHandler(const std::string& name, std::function<void()> handler) {
  if (handler) clicks_[name] = std::move(handler);
  else clicks_.erase(name);
}

void ControlBinder::Refresh() {
  refreshing_ = true;
  for (auto& r : refreshers_) r();
  refreshing_ = false;
}

void ControlBinder::Bind(QCheckBox* box, CheckBoxState& state) {
  refreshers_.push_back([box, &state] {
    QSignalBlocker block(box);
    box->setText(Q(state.Caption));
    box->setChecked(state.Checked);
    box->setEnabled(state.Enabled);
    box->setVisible(state.Visible);
  });
  connect(box, &QCheckBox::toggled, this, [this, box, &state](bool on) {
    state.Checked = on;
    Input(box);
  });
}

void ControlBinder::Bind(QSpinBox* spin, QLabel* caption, SpinEditState& state) {
  refreshers_.push_back([spin, caption, &state] {
    QSignalBlocker block(spin);
    if (caption) caption->setText(Q(state.Caption));
    spin->setRange(state.Min, state.Max);
    spin->setSingleStep(state.Increment);
    spin->setValue(state.Value);
    spin->setEnabled(state.Enabled);
    if (caption) caption->setEnabled(state.Enabled);
  });
  connect(spin, &QSpinBox::valueChanged, this, [this, spin, &state](int v) {
    state.Value = v;
    Input(spin);
  });
}

void ControlBinder::Bind(QGroupBox* group, QButtonGroup* buttons, RadioGroupState& state) {
  refreshers_.push_back([group, buttons, &state] {
    QSignalBlocker block(buttons);
    group->setTitle(Q(state.Caption));
    group->setEnabled(state.Enabled);
    const auto list = buttons->buttons();
    for (QAbstractButton* b : list) {
      const int id = buttons->id(b);
      if (id >= 0 && id < static_cast<int>(state.Items.size())) b->setText(Q(state.Items[id]));
    }
    if (QAbstractButton* b = buttons->button(state.ItemIndex)) {
      b->setChecked(true);
    } else if (QAbstractButton* checked = buttons->checkedButton()) {
      // No item chosen: clear the group without an exclusive button left on.
      buttons->setExclusive(false);
      checked->setChecked(false);
      buttons->setExclusive(true);
    }
  });
  connect(buttons, &QButtonGroup::idToggled, this, [this, group, &state](int id, bool on) {
    if (!on) return;
    state.ItemIndex = id;
    Input(group);
  });
}

void ControlBinder::Bind(QLineEdit* edit, EditState& state) {
  refreshers_.push_back([edit, &state] {
    QSignalBlocker block(edit);
    edit->setMaxLength(state.MaxLength > 0 ? state.MaxLength : 32767);
    if (edit->text() != Q(state.Text)) edit->setText(Q(state.Text));
    edit->setEnabled(state.Enabled);
  });
  connect(edit, &QLineEdit::textEdited, this, [this, edit, &state](const QString& t) {
    state.Text = S(t);
    Input(edit);
  });
}

void ControlBinder::Bind(QComboBox* combo, std::vector<std::string>& items, std::string& text) {
  refreshers_.push_back([combo, &items, &text] {
    QSignalBlocker block(combo);
    QStringList wanted;
    for (const auto& i : items) wanted << Q(i);
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
    if (shown != wanted) {
      combo->clear();
      combo->addItems(wanted);
    }
    // A text that is no entry ("请连接设备......" once the last unit went)
    // is shown in place of a selection.
    const int at = combo->findText(Q(text));
    combo->setPlaceholderText(at < 0 ? Q(text) : QString());
    combo->setCurrentIndex(at);
  });
  connect(combo, &QComboBox::currentTextChanged, this, [this, combo, &text](const QString& t) {
    text = S(t);
    Input(combo);
  });
}

void ControlBinder::Bind(QLabel* label, std::string& text) {
  refreshers_.push_back([label, &text] { label->setText(Q(text)); });
}

void ControlBinder::Bind(QAbstractButton* button, ActionState& state) {
  refreshers_.push_back([button, &state] {
    button->setText(Q(state.Caption));
    button->setToolTip(Q(state.Hint));
    button->setVisible(state.Visible);
    button->setEnabled(state.Enabled);
  });
}

void ControlBinder::Bind(QAction* action, ActionState& state) {
  refreshers_.push_back([action, &state] {
    action->setText(Q(state.Caption));
    action->setShortcut(QKeySequence(Q(state.Shortcut)));
    action->setVisible(state.Visible);
    action->setEnabled(state.Enabled);
  });
}

}  // namespace korvel::ui
