#pragma once
// Helpers for driving the real windows: a scripted file dialog and a way to
// act inside a modal dialog from its own event loop.

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/FileOpenDialog.h"

namespace qm::test {

// Answers each selection with the next scripted path; an empty path cancels.
// Records each request's title and whether `toolbar` was enabled meanwhile.
class ScriptedFileDialog : public FileOpenDialog {
 public:
  explicit ScriptedFileDialog(QStringList paths, const QWidget* toolbar = nullptr)
      : paths_(paths.begin(), paths.end()), toolbar_(toolbar) {}

  std::optional<FileChoice> Open(const OpenRequest& request) override {
    titles << QString::fromUtf8(request.DialogTitle.data(), request.DialogTitle.size());
    if (toolbar_) toolbarEnabled.push_back(toolbar_->isEnabled());
    if (paths_.empty()) return std::nullopt;
    const QString path = paths_.front();
    paths_.pop_front();
    if (path.isEmpty()) return std::nullopt;
    return FileChoice{path.section(QLatin1Char('/'), -1).toStdString(), path.toStdString()};
  }

  void push(const QString& path) { paths_.push_back(path); }

  QStringList titles;
  std::vector<bool> toolbarEnabled;

 private:
  std::deque<QString> paths_;
  const QWidget* toolbar_;
};

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
    if (ready || clock->elapsed() > 5000) {
      timer->stop();
      timer->deleteLater();
      if (ready) {
        act(dialog);
      } else {
        if (modal) modal->close();
        QFAIL("the expected modal dialog did not open");
      }
    }
  });
  timer->start(5);
}

}  // namespace qm::test
