#pragma once
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace korvel::ui {

// Sees every key meant for a window before the focused control does, as the
// window's key preview: Space or Enter starts the given entry point, and the
// key still goes on to the control (an edit field keeps receiving blanks).
class KeyPreview : public QObject {
  Q_OBJECT
 public:
  KeyPreview(QWidget* window, std::function<void()> onStartKey);
  ~KeyPreview() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  std::function<void()> onStartKey_;
  // Qt hands one key event to the focused widget and then to its parents
  // while nobody accepts it; only the first delivery counts.
  const QEvent* lastEvent_ = nullptr;
  QPointer<QWidget> lastReceiver_;
};

}  // namespace korvel::ui
