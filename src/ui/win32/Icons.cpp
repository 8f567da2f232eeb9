#include "ui/win32/Icons.h"

#include "ui/win32/resource.h"

namespace qm {
namespace {

int ResourceId(IconId id) {
  switch (id) {
    case IconId::App: return QM_ICON_APP;
    case IconId::Add: return QM_ICON_ADD;
    case IconId::Remove: return QM_ICON_REMOVE;
    case IconId::Start: return QM_ICON_START;
    case IconId::Info: return QM_ICON_INFO;
    case IconId::Web: return QM_ICON_WEB;
    case IconId::Mail: return QM_ICON_MAIL;
    case IconId::None: break;
  }
  return 0;
}

}  // namespace

OwnedIcon LoadProgramIcon(IconId id, int size) {
  const int resource = ResourceId(id);
  if (resource == 0) return OwnedIcon();
  return OwnedIcon(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resource),
                                                   IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

}  // namespace qm
