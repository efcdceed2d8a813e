#pragma once
#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;

namespace korvel {

// TFormOfsAddr: asks where a raw binary file goes. The edit box starts with
// the chip's FlashBase; the text is read by the load command, which also
// says when it is not a number.
class FormOfsAddr : public QDialog {
  Q_OBJECT

 public:
  explicit FormOfsAddr(QWidget* parent = nullptr);

  void SetText(const QString& text);
  QString Text() const;

  // The ImageJob::AskBinOffset hook: the text on OK, nullopt otherwise.
  std::optional<std::string> Ask(const std::string& initial);

 private:
  QLineEdit* edit_;
};

}  // namespace korvel
