#pragma once
#include <QObject>
#include <functional>

class QGuiApplication;
class QSocketNotifier;

namespace korvel::ui {

// SIGINT, SIGTERM and SIGHUP (the terminal went away) as a Qt signal on the
// GUI thread: the handler only writes the signal number into a pipe, the
// notifier reads it in the loop.
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

// The desktop session ends: the session manager asks for the data to be
// saved (commitDataRequest), or the application is about to quit by any
// other road than the main window's close. stop runs each time and must
// be harmless when the program is already closing.
void OnSessionEnd(QGuiApplication& app, QObject* context, std::function<void()> stop);

}  // namespace korvel::ui
