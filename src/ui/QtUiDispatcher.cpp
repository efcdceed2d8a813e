#include "ui/QtUiDispatcher.h"

#include <QMetaObject>

namespace korvel::ui {

void QtUiDispatcher::Post(std::function<void()> fn) {
  QMetaObject::invokeMethod(
      this, [fn = std::move(fn)] { fn(); }, Qt::QueuedConnection);
}

}  // namespace korvel::ui
