#pragma once
#include <QObject>

class QSocketNotifier;

namespace korvel::ui {

// SIGINT and SIGTERM as a Qt signal on the GUI thread: the handler only
// writes the signal number into a pipe, the notifier reads it in the loop.
class StopSignals : public QObject {
  Q_OBJECT
 public:
  explicit StopSignals(QObject* parent = nullptr);
  ~StopSignals() override;

 signals:
  void stopRequested(int signalNumber);

 private:
  void Drain();
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace korvel::ui
