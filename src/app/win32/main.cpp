// quillmere.exe: the main window and the program's one message loop.

#include <windows.h>

#include "app/win32/frmMain.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  qm::frmMain window;
  if (!window.hwnd()) return 1;
  window.QuitOnDestroy(true);
  window.Show(showCommand);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) qm::TopWindow::Dispatch(msg);
  return static_cast<int>(msg.wParam);
}
