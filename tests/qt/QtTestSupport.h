#pragma once
// Acting inside a modal dialog from its own event loop.

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "ScriptedFileDialog.h"

namespace qm::test {

// Runs `act` on the modal dialog of type T once it shows (and is active, where
// the platform activates it), from inside that dialog's exec(). Gives up, and
// closes whatever modal dialog is open, after five seconds.
template <class T>
void WhenModal(std::function<void(T*)> act) {
  auto* timer = new QTimer;
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  QObject::connect(timer, &QTimer::timeout, [timer, clock, act] {
    QWidget* modal = QApplication::activeModalWidget();
    T* dialog = qobject_cast<T*>(modal);
    const bool ready = dialog && dialog->isVisible() &&
                       (QApplication::activeWindow() == dialog || clock->elapsed() > 1000);
    if (!ready && clock->elapsed() <= 5000) return;
    timer->stop();
    timer->deleteLater();
    if (ready) return act(dialog);
    if (modal) modal->close();
    QFAIL("the expected modal dialog did not open");
  });
  timer->start(5);
}

}  // namespace qm::test
