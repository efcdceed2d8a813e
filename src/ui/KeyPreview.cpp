#include "ui/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <QWidget>

namespace korvel::ui {

namespace {

bool IsStartKey(const QKeyEvent* e) {
  const int key = e->key();
  if (key != Qt::Key_Space && key != Qt::Key_Return && key != Qt::Key_Enter) return false;
  // Ctrl/Alt combinations give no blank or carriage-return character.
  return !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

bool Related(const QWidget* a, const QWidget* b) {
  return a && b && (a == b || a->isAncestorOf(b) || b->isAncestorOf(a));
}

}  // namespace

KeyPreview::KeyPreview(QWidget* window, std::function<void()> onStartKey)
    : QObject(window), window_(window), onStartKey_(std::move(onStartKey)) {
  qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() {
  if (qApp) qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyRelease) {
    lastEvent_ = nullptr;
    return false;
  }
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  if (widget->window() != window_) return false;
  // The same event passed on to a parent (or forwarded to an inner editor).
  if (event == lastEvent_ && Related(widget, lastReceiver_)) return false;
  lastEvent_ = event;
  lastReceiver_ = widget;
  if (!IsStartKey(static_cast<QKeyEvent*>(event))) return false;
  // Queued: the control gets its key first, and a message box the entry
  // point may show does not run inside key delivery.
  QMetaObject::invokeMethod(
      this, [this] { if (onStartKey_) onStartKey_(); }, Qt::QueuedConnection);
  return false;
}

}  // namespace korvel::ui
