#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <csignal>

#include "ui/StopSignals.h"

namespace {

// A closed terminal arrives as SIGHUP and asks the program to stop as
// SIGINT and SIGTERM do, on the GUI thread.
TEST(StopSignals, HangupIsAStopRequest) {
  korvel::ui::StopSignals stop;
  QSignalSpy spy(&stop, &korvel::ui::StopSignals::stopRequested);
  ASSERT_EQ(::raise(SIGHUP), 0);
  ASSERT_TRUE(spy.count() > 0 || spy.wait(5000));
  EXPECT_EQ(spy.takeFirst().at(0).toInt(), SIGHUP);
}

// The end of the session quits the application without the main window's
// own close; the stop runs then too.
TEST(StopSignals, SessionEndAsksToStop) {
  QObject context;
  int stops = 0;
  korvel::ui::OnSessionEnd(*qApp, &context, [&] { ++stops; });
  ASSERT_TRUE(QMetaObject::invokeMethod(qApp, "aboutToQuit", Qt::DirectConnection));
  EXPECT_EQ(stops, 1);
}

}  // namespace
