#pragma once
#include <QPlainTextEdit>

class QMenu;

#include "app/InfoLog.h"

namespace korvel::ui {

// The information log on screen: a read-only mirror of InfoLog whose one
// pop-up entry, "Clear Information", empties the log itself.
class InfoMemo : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit InfoMemo(InfoLog& log, QWidget* parent = nullptr);
  ~InfoMemo() override;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  InfoLog& log_;
  int listener_ = 0;
  QMenu* popup_ = nullptr;
};

// A CJK-capable font of the given pixel size for the Chinese texts.
QFont CjkFont(int pixelSize);

}  // namespace korvel::ui
