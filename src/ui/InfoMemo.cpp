#include "ui/InfoMemo.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QMenu>
#include <QScrollBar>

#include "ui/ControlBinder.h"

namespace korvel::ui {

QFont CjkFont(int pixelSize) {
  QFont font;
  const QStringList families = QFontDatabase::families();
  for (const char* name : {"WenQuanYi Zen Hei", "Noto Sans CJK SC", "Noto Sans Mono CJK SC",
                           "AR PL UMing CN"}) {
    if (families.contains(QString::fromLatin1(name))) {
      font.setFamily(QString::fromLatin1(name));
      break;
    }
  }
  font.setPixelSize(pixelSize);
  return font;
}

InfoMemo::InfoMemo(InfoLog& log, QWidget* parent) : QPlainTextEdit(parent), log_(log) {
  setObjectName("InfoMemo");
  setReadOnly(true);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setFont(CjkFont(12));
  QPalette pal = palette();
  pal.setColor(QPalette::Base, pal.color(QPalette::Button));
  pal.setColor(QPalette::Text, Qt::blue);
  setPalette(pal);

  for (const auto& line : log_.Lines()) appendPlainText(Q(line));
  InfoLog::Listener l;
  l.LineAdded = [this](const std::string& line) {
    appendPlainText(Q(line));
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
  };
  l.Cleared = [this] { clear(); };
  listener_ = log_.AddListener(std::move(l));

  popup_ = new QMenu(this);
  popup_->setObjectName("PopupMenuMemo");
  QAction* clear = popup_->addAction(QStringLiteral("Clear Information"));
  clear->setObjectName("ClearInformation1");
  connect(clear, &QAction::triggered, this, [this] { log_.Clear(); });
}

InfoMemo::~InfoMemo() { log_.RemoveListener(listener_); }

void InfoMemo::contextMenuEvent(QContextMenuEvent* event) { popup_->exec(event->globalPos()); }

}  // namespace korvel::ui
