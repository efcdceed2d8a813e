#pragma once
#include <QObject>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/Controls.h"
#include "app/MainControls.h"

class QAbstractButton;
class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace korvel::ui {

// Keeps widgets and the controls model in step both ways: Refresh() copies
// the model into the widgets without raising their change signals, and
// operator input is written into the model, the enabling rules run, and
// every listener of the model is told.
class ControlBinder : public QObject {
  Q_OBJECT
 public:
  explicit ControlBinder(MainControls& controls, QObject* parent = nullptr);

  void Bind(QCheckBox* box, CheckBoxState& state);
  void Bind(QSpinBox* spin, QLabel* caption, SpinEditState& state);
  void Bind(QGroupBox* group, QButtonGroup* buttons, RadioGroupState& state);
  void Bind(QLineEdit* edit, EditState& state);
  void Bind(QComboBox* combo, std::vector<std::string>& items, std::string& text);
  void Bind(QLabel* label, std::string& text);
  // Toolbar and other buttons; what a click does is the window's business.
  void Bind(QAbstractButton* button, ActionState& state);
  void Bind(QAction* action, ActionState& state);

  // Anything else that mirrors the model on refresh.
  void Add(std::function<void()> refresher) { refreshers_.push_back(std::move(refresher)); }

  void Refresh();

  // Called after operator input reached the model, with the control's form
  // name, before the model's listeners are told. Later work hangs the
  // controls' click handlers here.
  std::function<void(const std::string& name)> OnInput;

  // A control's own click handler from core. It runs after OnInput in place
  // of the generic enabling rules and notification: the core handlers apply
  // the rules and tell the model's listeners themselves, once.
  void SetClickHandler(const std::string& name, std::function<void()> handler);

 private:
  void Input(QObject* widget);

  MainControls& controls_;
  std::vector<std::function<void()>> refreshers_;
  std::map<std::string, std::function<void()>> clicks_;
  bool refreshing_ = false;
};

// Texts of the program (UTF-8 in core).
QString Q(const std::string& s);
std::string S(const QString& s);
// File names: core keeps them as the bytes the file system uses, which
// need not be UTF-8 text.
QString FromFileName(const std::string& path);
std::string ToFileName(const QString& path);

}  // namespace korvel::ui
