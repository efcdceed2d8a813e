#pragma once
#include <QDialog>

namespace korvel::ui {

// Product name and version; nothing in it changes at run time.
class TAboutForm : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutForm(QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace korvel::ui
