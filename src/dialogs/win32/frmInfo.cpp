#include "dialogs/win32/frmInfo.h"

#include <commctrl.h>

#include "dialogs/About.h"
#include "dialogs/DialogLayouts.h"
#include "dialogs/win32/VersionResource.h"
#include "platform/shell.h"
#include "ui/win32/WindowText.h"

namespace qm {
namespace {

constexpr int kLinks = 2;

}  // namespace

void frmInfo::ShowModal(HWND owner) {
  Create(InfoLayout(), owner);
  if (!hwnd()) return;
  // The load handler: the caption from the version resource.
  SetText(hwnd(), AboutCaption(ExecutableVersion().value_or(BuildVersion())));
  for (int link = 0; link < kLinks; ++link) {
    HWND label = layout().Control("lblWeb", link);
    ::SetWindowSubclass(label, LinkProc, 1, reinterpret_cast<DWORD_PTR>(this));
  }
  layout().Place(owner);
  RunModal(owner);
}

void frmInfo::SetHighlight(int link, bool on) {
  layout().SetLabelLook(layout().Control("lblWeb", link), on ? kRed : kNavy, on);
}

void frmInfo::OpenLink(int link) {
  const std::string url = LinkUrl(link, GetText(layout().Control("lblWeb", link)));
  if (navigate_) {
    navigate_(url);
  } else {
    Navigate(url);
  }
  EndModal();
}

void frmInfo::OnClick(HWND control) {
  const ControlSpec* spec = layout().SpecOf(control);
  if (!spec) return;
  switch (ClickOn(*spec)) {
    case AboutClick::Nothing:
      return;
    case AboutClick::OpenLink:
      return OpenLink(spec->index);
    case AboutClick::Close:
      return EndModal();
  }
}

LRESULT CALLBACK frmInfo::LinkProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR data) {
  auto* self = reinterpret_cast<frmInfo*>(data);
  switch (message) {
    case WM_MOUSEMOVE:
      if (const ControlSpec* spec = self->layout().SpecOf(label)) self->SetHighlight(spec->index, true);
      {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, label, 0};
        ::TrackMouseEvent(&track);
      }
      break;
    case WM_MOUSELEAVE:
      for (int link = 0; link < kLinks; ++link) self->SetHighlight(link, false);
      break;
    case WM_SETCURSOR:
      ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
      return TRUE;
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(label, LinkProc, id);
      break;
    default:
      break;
  }
  return ::DefSubclassProc(label, message, wParam, lParam);
}

LRESULT frmInfo::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!built()) return TopWindow::OnMessage(message, wParam, lParam);
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL && lParam == 0) {  // Escape
        EndModal();
        return 0;
      }
      if (HIWORD(wParam) == STN_CLICKED && lParam) {
        OnClick(reinterpret_cast<HWND>(lParam));
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:  // the dialog's own surface: the margin outside the frame
    case WM_CLOSE:
      EndModal();
      return 0;
    default:
      break;
  }
  return TopWindow::OnMessage(message, wParam, lParam);
}

}  // namespace qm
