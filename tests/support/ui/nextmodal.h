#pragma once
// For Qt tests that drive a modal window: the test's action runs once the window is up, from the
// window's own event loop.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <type_traits>

namespace qorva::test {

// Runs act on the next shown modal window of type W other than notThis; a window that never comes
// fails the test with `missing` instead of hanging it.
template <class W = QWidget>
void OnNextModalOf(std::function<void(std::type_identity_t<W>*)> act, QWidget* notThis = nullptr,
                   const char* missing = "no modal window appeared") {
  auto* timer = new QTimer;
  auto ticks = std::make_shared<int>(0);
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [=] {
    auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
    if (w && w != notThis && w->isVisible()) {
      timer->stop();
      timer->deleteLater();
      act(w);
    } else if (++*ticks > 1000) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << missing;
    }
  });
  timer->start();
}

}  // namespace qorva::test
