#pragma once
#include <QObject>

#include "app/UiDispatcher.h"

namespace korvel::ui {

// Posts work onto the thread this object lives in (the GUI thread) as
// queued calls, in posting order. Safe to call from any thread; work still
// queued when the dispatcher goes away is dropped with it.
class QtUiDispatcher : public QObject, public UiDispatcher {
  Q_OBJECT
 public:
  explicit QtUiDispatcher(QObject* parent = nullptr) : QObject(parent) {}
  void Post(std::function<void()> fn) override;
};

}  // namespace korvel::ui
