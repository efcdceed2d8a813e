#pragma once
#include <QDialog>
#include <string>

#include "app/InfoLog.h"
#include "app/OperatorPrompts.h"
#include "logging/LogConfig.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The log configuration dialog. It mirrors korvel::LogConfigForm, which
// holds the click rules, and writes the operator's input into it.
class TLogCfgForm : public QDialog {
  Q_OBJECT

 public:
  TLogCfgForm(korvel::LogConfigForm& model, korvel::OperatorPrompts& prompts,
              QWidget* parent = nullptr);

  // Copies the model into the widgets (the configuration may have been
  // loaded since the dialog was made).
  void Refresh();

  // "Config Log File": shows the dialog modally; however it closes, the
  // configuration is written to path.
  void Run(const std::string& path, korvel::InfoLog& log);

 private:
  void OkClicked();

  korvel::LogConfigForm& model_;
  korvel::OperatorPrompts& prompts_;
  QCheckBox* log_;
  QGroupBox* create_;
  QButtonGroup* createItems_;
  QLabel* nameLabel_;
  QLineEdit* name_;
  QPushButton* browse_;
  QGroupBox* mode_;
  QButtonGroup* modeItems_;
  QCheckBox* record_;
  QPushButton* ok_;
  bool refreshing_ = false;
};

// Saves the configuration; a file that cannot be written is reported to the
// operator and in the log, and the program goes on. Returns whether it was
// saved.
bool SaveLogConfigReported(const korvel::LogConfigForm& model, const std::string& path,
                           korvel::InfoLog& log, korvel::OperatorPrompts& prompts);

