#include <QApplication>

#include "app/qt/frmMain.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  qm::frmMain window;
  window.show();
  return app.exec();
}
