#include "ui/options/OptionEditorDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

#include "optionbytes/EditorTables.h"
#include "optionbytes/OptionEditorDispatch.h"

namespace korvel {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QLabel* Panel(const QString& name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setFrameShape(QFrame::Panel);
  label->setFrameShadow(QFrame::Sunken);
  label->setMinimumWidth(48);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

OptionEditorDialog::OptionEditorDialog(OptionEditorModel& model, QWidget* parent)
    : QDialog(parent), model_(model) {
  setObjectName(Q(model_.Table().FormName));
  setWindowTitle(Q(model_.Caption()));
  Build();
  Refresh();
}

QMenu* OptionEditorDialog::MenuOf(const QString& panelName) const { return menus_.value(panelName, nullptr); }

void OptionEditorDialog::Build() {
  auto* layout = new QVBoxLayout(this);
  // The boxes in two columns, the first half of the groups on the left.
  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  layout->addLayout(columns);
  const auto& groups = model_.Table().Groups;
  QMap<QString, QGroupBox*> boxes;
  auto boxFor = [&](const std::string& group) -> QGroupBox* {
    const QString name = Q(group);
    if (auto* box = boxes.value(name)) return box;
    auto* box = new QGroupBox(this);
    box->setObjectName(name);
    auto* v = new QVBoxLayout(box);
    for (const auto& g : model_.Table().Groups) {
      if (g.Name != group) continue;
      box->setTitle(Q(g.Title));
      if (g.ValueOffset >= 0) {
        // The option byte's row: address, name, value, complement.
        auto* row = new QHBoxLayout;
        if (!g.Address.empty()) row->addWidget(new QLabel(Q(g.Address), box));
        row->addWidget(new QLabel(Q(g.Title), box));
        row->addWidget(Panel(Q(g.ValuePanel), box));
        if (g.ComplementOffset >= 0) row->addWidget(Panel(Q(g.ComplementPanel), box));
        row->addStretch();
        v->addLayout(row);
      }
    }
    int index = static_cast<int>(groups.size());
    for (std::size_t k = 0; k < groups.size(); ++k)
      if (groups[k].Name == group) index = static_cast<int>(k);
    (2 * index < static_cast<int>(groups.size()) ? left : right)->addWidget(box);
    boxes.insert(name, box);
    return box;
  };

  bitMenu_ = new QMenu(this);
  bitMenu_->setObjectName(QStringLiteral("PopupMenu1"));
  auto* clear = bitMenu_->addAction(QStringLiteral("0"));
  clear->setObjectName(QStringLiteral("N03"));
  auto* set = bitMenu_->addAction(QStringLiteral("1"));
  set->setObjectName(QStringLiteral("N110"));
  connect(clear, &QAction::triggered, this, [this] {
    Changed(model_.Choose(panelControl_.value(pressedPanel_).toStdString(), 0));
  });
  connect(set, &QAction::triggered, this, [this] {
    Changed(model_.Choose(panelControl_.value(pressedPanel_).toStdString(), 1));
  });

  QMap<QString, QButtonGroup*> pairs;
  QMap<QString, QHBoxLayout*> pairRows;
  QHBoxLayout* bitRow = nullptr;
  QString bitRowGroup;
  for (const auto& c : model_.Controls()) {
    const ControlRow& row = *c.Row;
    QGroupBox* box = boxFor(row.Group);
    auto* v = static_cast<QVBoxLayout*>(box->layout());
    QWidget* w = MakeControl(c, box);
    outer_.insert(Q(row.Name), w);
    if (row.Kind == ControlKind::Radio) {
      // Buttons owning the same bits of the same byte are one pair.
      const QString key = Q(row.Group) + "/" + QString::number(row.Offset) + "/" + QString::number(row.Mask);
      if (!pairs.contains(key)) {
        pairs.insert(key, new QButtonGroup(box));
        pairRows.insert(key, new QHBoxLayout);
        v->addLayout(pairRows.value(key));
      }
      pairs.value(key)->addButton(static_cast<QRadioButton*>(widgets_.value(Q(row.Name))));
      pairRows.value(key)->addWidget(w);
      bitRow = nullptr;
      continue;
    }
    if (row.Kind == ControlKind::BitPanel) {
      if (!bitRow || bitRowGroup != Q(row.Group)) {
        bitRow = new QHBoxLayout;
        bitRowGroup = Q(row.Group);
        v->addLayout(bitRow);
      }
      bitRow->addWidget(w);
      continue;
    }
    bitRow = nullptr;
    v->addWidget(w);
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("BitBtnOK"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("BitBtnCancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    model_.Ok();
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] {
    model_.Cancel();
    reject();
  });
  left->addStretch();
  right->addStretch();
  layout->addWidget(buttons);
}

QWidget* OptionEditorDialog::MakeControl(const ControlState& control, QWidget* box) {
  const ControlRow& row = *control.Row;
  const QString name = Q(row.Name);
  const std::string key = row.Name;
  switch (row.Kind) {
    case ControlKind::Radio: {
      auto* b = new QRadioButton(Q(row.Caption), box);
      b->setObjectName(name);
      widgets_.insert(name, b);
      connect(b, &QRadioButton::clicked, this, [this, key] { Changed(model_.Choose(key, 1)); });
      return b;
    }
    case ControlKind::RadioGroup: {
      auto* g = new QGroupBox(Q(row.Caption), box);
      g->setObjectName(name);
      widgets_.insert(name, g);
      auto* v = new QVBoxLayout(g);
      auto* group = new QButtonGroup(g);
      for (int k = 0; k < static_cast<int>(row.Items.size()); ++k) {
        auto* b = new QRadioButton(Q(row.Items[static_cast<std::size_t>(k)].Text), g);
        group->addButton(b, k);
        v->addWidget(b);
      }
      connect(group, &QButtonGroup::idClicked, this, [this, key](int k) { Changed(model_.Choose(key, k)); });
      return g;
    }
    case ControlKind::CheckBox: {
      auto* b = new QCheckBox(Q(row.Caption), box);
      b->setObjectName(name);
      widgets_.insert(name, b);
      connect(b, &QCheckBox::clicked, this, [this, key](bool on) { Changed(model_.Choose(key, on ? 1 : 0)); });
      return b;
    }
    case ControlKind::ComboBox: {
      auto* combo = new QComboBox(box);
      combo->setObjectName(name);
      combo->setEditable(false);
      widgets_.insert(name, combo);
      for (const auto& item : row.Items) combo->addItem(Q(item.Text));
      connect(combo, &QComboBox::activated, this, [this, key](int k) { Changed(model_.Choose(key, k)); });
      return combo;
    }
    case ControlKind::PopupMenu:
    case ControlKind::BitPanel: {
      const QString panelName = row.Label.empty() ? name : Q(row.Label);
      QLabel* panel = Panel(panelName, box);
      panel->setToolTip(Q(row.Hint.empty() ? std::string(kRightClickHint) : row.Hint));
      panel->installEventFilter(this);
      panelControl_.insert(panelName, name);
      widgets_.insert(name, panel);
      if (row.Kind == ControlKind::BitPanel) {
        menus_.insert(panelName, bitMenu_);
      } else {
        auto* menu = new QMenu(this);
        menu->setObjectName(name);
        for (int k = 0; k < static_cast<int>(row.Items.size()); ++k) {
          auto* a = menu->addAction(Q(row.Items[static_cast<std::size_t>(k)].Text));
          connect(a, &QAction::triggered, this, [this, key, k] { Changed(model_.Choose(key, k)); });
        }
        menus_.insert(panelName, menu);
      }
      if (row.Caption.empty() || row.Kind == ControlKind::BitPanel) return panel;
      // A caption beside the panel (the bit's name).
      auto* holder = new QWidget(box);
      auto* h = new QHBoxLayout(holder);
      h->setContentsMargins(0, 0, 0, 0);
      h->addWidget(new QLabel(Q(row.Caption), holder));
      panel->setParent(holder);
      h->addWidget(panel);
      h->addStretch();
      return holder;
    }
    case ControlKind::SpinEdit: {
      auto* spin = new QSpinBox(box);
      spin->setObjectName(name);
      spin->setRange(row.Min, row.Max);
      widgets_.insert(name, spin);
      connect(spin, &QSpinBox::valueChanged, this, [this, key](int n) { Changed(model_.Choose(key, n)); });
      return spin;
    }
    case ControlKind::KeyEdit:
    case ControlKind::IntEdit: {
      auto* edit = new QLineEdit(box);
      edit->setObjectName(name);
      edit->setMaxLength(row.MaxLength);
      widgets_.insert(name, edit);
      if (row.Kind == ControlKind::KeyEdit)
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]*")), edit));
      connect(edit, &QLineEdit::textEdited, this,
              [this, key](const QString& text) { Changed(model_.Type(key, text.toStdString())); });
      if (row.Caption.empty()) return edit;
      auto* holder = new QWidget(box);
      auto* h = new QHBoxLayout(holder);
      h->setContentsMargins(0, 0, 0, 0);
      h->addWidget(new QLabel(Q(row.Caption), holder));
      edit->setParent(holder);
      h->addWidget(edit);
      return holder;
    }
    case ControlKind::Display: {
      QLabel* panel = Panel(name, box);
      widgets_.insert(name, panel);
      if (row.Caption.empty()) return panel;
      auto* holder = new QWidget(box);
      auto* h = new QHBoxLayout(holder);
      h->setContentsMargins(0, 0, 0, 0);
      h->addWidget(new QLabel(Q(row.Caption), holder));
      panel->setParent(holder);
      h->addWidget(panel, 1);
      return holder;
    }
    case ControlKind::Label:
      break;
  }
  auto* label = new QLabel(Q(row.Caption), box);
  label->setObjectName(name);
  widgets_.insert(name, label);
  return label;
}

bool OptionEditorDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QString panel = watched->objectName();
    auto* widget = qobject_cast<QWidget*>(watched);
    if (mouse->button() == Qt::RightButton && menus_.contains(panel) && widget && widget->isEnabled()) {
      pressedPanel_ = panel;
      menus_.value(panel)->popup(mouse->globalPosition().toPoint());
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void OptionEditorDialog::Changed(const std::string& refusal) {
  // A refusal here is a control the operator could not reach (or an edit
  // text the editor already complained about); the widgets show the truth.
  (void)refusal;
  Refresh();
}

void OptionEditorDialog::Refresh() {
  for (const auto& c : model_.Controls()) {
    const ControlRow& row = *c.Row;
    const QString name = Q(row.Name);
    QWidget* w = widgets_.value(name);
    if (!w) continue;
    // Captioned widgets sit in a holder: it shows and hides with them.
    outer_.value(name, w)->setVisible(c.Visible);
    w->setEnabled(c.Enabled);
    const QSignalBlocker block(w);
    switch (row.Kind) {
      case ControlKind::Radio: static_cast<QRadioButton*>(w)->setChecked(c.State == 1); break;
      case ControlKind::RadioGroup: {
        const auto buttons = w->findChildren<QRadioButton*>();
        for (int k = 0; k < buttons.size(); ++k) buttons[k]->setChecked(k == c.State);
        break;
      }
      case ControlKind::CheckBox: static_cast<QCheckBox*>(w)->setChecked(c.State == 1); break;
      case ControlKind::ComboBox: static_cast<QComboBox*>(w)->setCurrentIndex(c.State); break;
      case ControlKind::SpinEdit: static_cast<QSpinBox*>(w)->setValue(c.State); break;
      case ControlKind::PopupMenu:
      case ControlKind::BitPanel:
        static_cast<QLabel*>(w)->setText(Q(row.Label.empty() ? c.Text : c.LabelText));
        break;
      case ControlKind::KeyEdit:
      case ControlKind::IntEdit: {
        auto* edit = static_cast<QLineEdit*>(w);
        if (edit->text() != Q(c.Text)) edit->setText(Q(c.Text));
        break;
      }
      case ControlKind::Display: static_cast<QLabel*>(w)->setText(Q(model_.TextOf(row.Name))); break;
      case ControlKind::Label: break;
    }
  }
  for (const auto& g : model_.Table().Groups) {
    if (auto* box = findChild<QGroupBox*>(Q(g.Name))) {
      box->setVisible(model_.GroupVisible(g));
      box->setTitle(Q(model_.GroupTitle(g)));
    }
    for (const std::string& panel : {g.ValuePanel, g.ComplementPanel})
      if (!panel.empty())
        if (auto* label = findChild<QLabel*>(Q(panel))) label->setText(Q(model_.TextOf(panel)));
  }
}

void RunOptionEditorDialog(QWidget* parent, const ChipInfo& chip, bool stm32, OptionBuffer& buffer,
                           OperatorPrompts& prompts) {
  OptionEditorModel model(EditorTableFor(EditorFor(chip, stm32)), EditorChipOf(chip, stm32), buffer, prompts);
  OptionEditorDialog dialog(model, parent);
  dialog.exec();
}

}  // namespace korvel
