// quillmere_win32_screenshot QUILLMERE_EXE CHD DIFF CHD2: starts quillmere.exe and
// queues three jobs in it as a user would (Update of CHD, Merge of CHD with
// DIFF, Set CHS of CHD2 with 1024/16/63) through its real file and geometry
// dialogs, then prints the main window's frame on the screen as WxH+X+Y and
// leaves the program running for a picture (docs/screenshot-windows.png):
//
//   Xvfb :78 -screen 0 800x600x24 &
//   export DISPLAY=:78 QM_WINE_DISPLAY=1
//   cmake/wine-run PREFIX quillmere_win32_screenshot.exe Z:\...\quillmere.exe D:\...\game.chd ... >place.txt &
//   sleep 20; import -window root -crop "$(tr -d '\r' <place.txt)" +repage docs/screenshot-windows.png
//
// (quillmere.exe keeps the output open, so the place is read from a file.)
// The files must exist; the prefix must show Wine's own desktop, as
// cmake/wine-display-run sets it, so the window has its frame.

#include <windows.h>
#include <dlgs.h>

#include <cstdio>
#include <string>

namespace {

// Waits up to ten seconds for a top-level window of `windowClass` and `caption`.
HWND WaitFor(const char* windowClass, const char* caption) {
  for (int tries = 0; tries < 1000; ++tries) {
    if (HWND w = ::FindWindowA(windowClass, caption); w && ::IsWindowVisible(w)) return w;
    ::Sleep(10);
  }
  std::fprintf(stderr, "no window \"%s\"\n", caption);
  std::exit(1);
}

// The descendant of `parent` of `windowClass` with `text` ("" any), the `skip`-th one.
HWND Child(HWND parent, const char* windowClass, const char* text, int skip = 0) {
  struct Search {
    const char *windowClass, *text;
    int skip;
    HWND found;
  } search{windowClass, text, skip, nullptr};
  ::EnumChildWindows(
      parent,
      [](HWND w, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        char name[64] = "", text[256] = "";
        ::GetClassNameA(w, name, sizeof name);
        ::GetWindowTextA(w, text, sizeof text);
        if (::lstrcmpiA(name, s->windowClass) != 0 || (*s->text && std::string(text) != s->text)) return TRUE;
        if (s->skip-- > 0) return TRUE;
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Choose(const char* title, const char* path) {
  HWND dialog = WaitFor("#32770", title);
  ::SetDlgItemTextA(dialog, cmb13, path);
  ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  while (::IsWindow(dialog) && ::IsWindowVisible(dialog)) ::Sleep(10);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: quillmere_win32_screenshot QUILLMERE_EXE CHD DIFF CHD2\n");
    return 2;
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string command = std::string("\"") + argv[1] + "\"";
  if (!::CreateProcessA(argv[1], command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return 1;
  ::WaitForInputIdle(process.hProcess, 10000);
  HWND main = WaitFor("QuillmereWindow", "Quillmere");

  ::PostMessageA(Child(main, "Button", "Update"), BM_CLICK, 0, 0);
  Choose("Seleziona file CHD...", argv[2]);
  ::PostMessageA(Child(main, "Button", "Merge"), BM_CLICK, 0, 0);
  Choose("Seleziona file CHD...", argv[2]);
  Choose("Seleziona file Diff...", argv[3]);
  ::PostMessageA(Child(main, "Button", "Set CHS"), BM_CLICK, 0, 0);
  Choose("Seleziona file CHD...", argv[4]);
  HWND geometry = WaitFor("QuillmereWindow", "Set CHS");
  const char* values[] = {"1024", "16", "63"};
  for (int i = 0; i < 3; ++i)
    for (const char* c = values[i]; *c; ++c) ::SendMessageA(Child(geometry, "Edit", "", i), WM_CHAR, *c, 1);
  ::PostMessageA(Child(geometry, "Button", "Conferma"), BM_CLICK, 0, 0);
  while (::IsWindow(geometry)) ::Sleep(10);
  ::Sleep(300);

  RECT frame;
  ::GetWindowRect(main, &frame);
  std::printf("%ldx%ld+%ld+%ld\n", frame.right - frame.left, frame.bottom - frame.top, frame.left, frame.top);
  // quillmere.exe runs on; its handles go with this process.
  return 0;
}
