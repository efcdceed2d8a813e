#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <csignal>
#include <fstream>
#include <thread>

#include "target/ImageCommands.h"
#include "ui/AboutForm.h"
#include "ui/QtOperatorPrompts.h"
#include "ui/QtUiDispatcher.h"
#include "ui/StopSignals.h"
#include "WindowFixture.h"

namespace korvel::ui {
namespace {

TEST(QtUiDispatcher, RunsWorkFromOtherThreadsOnTheGuiThreadInOrder) {
  QtUiDispatcher dispatcher;
  std::vector<int> seen;
  std::vector<bool> onGuiThread;
  std::thread poster([&] {
    for (int i = 0; i < 50; ++i)
      dispatcher.Post([&, i] {
        seen.push_back(i);
        onGuiThread.push_back(QThread::currentThread() == qApp->thread());
      });
  });
  poster.join();
  EXPECT_TRUE(seen.empty());
  QCoreApplication::processEvents();
  ASSERT_EQ(seen.size(), 50u);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(seen[i], i);
  EXPECT_EQ(std::count(onGuiThread.begin(), onGuiThread.end(), true), 50);
}

TEST(StopSignals, SigtermAndSigintArriveOnTheGuiThread) {
  StopSignals stop;
  QSignalSpy spy(&stop, &StopSignals::stopRequested);
  std::raise(SIGTERM);
  std::raise(SIGINT);
  QCoreApplication::processEvents();
  ASSERT_EQ(spy.count(), 2);
  EXPECT_EQ(spy[0][0].toInt(), SIGTERM);
  EXPECT_EQ(spy[1][0].toInt(), SIGINT);
}

TEST(QtOperatorPrompts, OnAnInvisiblePlatformAnswerByRuleInsteadOfWaiting) {
  QtOperatorPrompts prompts;
  ASSERT_TRUE(prompts.Unattended());
  EXPECT_EQ(prompts.Message(PromptKind::Warning, "x"), PromptButton::Ok);
  EXPECT_EQ(prompts.Message(PromptKind::Confirmation, "verify?",
                            {PromptButton::Yes, PromptButton::Abort}),
            PromptButton::Abort);
  EXPECT_FALSE(prompts.OpenFileName({}));
}

TEST(AskFileDialog, ANameWithoutExtensionTakesTheChosenFiltersBeforeReplaceIsAsked) {
  ScratchDir dir("korvel_dialog_");
  std::ofstream(dir.Path / "out.HEX") << "older image";
  FileDialogOptions options = SaveFileDialog();
  options.SuffixFromFilter = true;
  bool askedToReplace = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->setDirectory(QString::fromStdString(dir.Path.string()));
    auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(types, nullptr);
    // Intel HEX, as the operator picks it from the list.
    types->setCurrentIndex(1);
    emit types->activated(1);
    emit types->textActivated(types->itemText(1));
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText("out");
    QTimer::singleShot(0, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        askedToReplace = true;
        box->button(QMessageBox::Yes)->click();
      }
    });
    QMetaObject::invokeMethod(dialog, "accept");
  });
  const auto chosen = AskFileDialog(nullptr, options, true);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->Name, (dir.Path / "out.HEX").string());
  EXPECT_EQ(chosen->FilterIndex, 1);
  EXPECT_TRUE(askedToReplace);
}

TEST_F(WindowFixture, ExitClosesThePortsThenTheWindowThenLetsTheLogWriterFinish) {
  std::vector<std::string> calls;
  window.SetShutdownHooks([&] { calls.push_back("ports"); }, [&] { calls.push_back("log"); });
  QSignalSpy closed(&window, &TKorvel200STxPrg::closed);
  window.show();
  window.Trigger("SpdBtnExit");
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(closed.count(), 1);
  const std::vector<std::string> expected = {"ports", "ports", "log"};
  EXPECT_EQ(calls, expected);
  // A second close (the menu's "E&xit" after a signal) changes nothing.
  window.Trigger("Exit1");
  window.close();
  EXPECT_EQ(closed.count(), 1);
  EXPECT_EQ(calls.size(), 3u);
}

TEST(TAboutForm, ShowsProductVersionAndDate) {
  TAboutForm about;
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
  QStringList texts;
  for (auto* l : about.findChildren<QLabel*>()) texts << l->text();
  EXPECT_TRUE(texts.contains(QStringLiteral("KorvelVatST Flash MCU 编程器")));
  EXPECT_TRUE(texts.contains(QStringLiteral("Version V1.4")));
  EXPECT_TRUE(texts.contains(QStringLiteral("2021年03月03日")));
  auto* ok = about.findChild<QPushButton*>("BitBtn1");
  ASSERT_NE(ok, nullptr);
  about.show();
  ok->click();
  EXPECT_FALSE(about.isVisible());
  EXPECT_EQ(about.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace korvel::ui
