#include "ui/qt/Icons.h"

#include <algorithm>
#include <array>

// The resources of a static library are linked only when referenced.
static void InitIconResources() { Q_INIT_RESOURCE(icons); }

namespace qm {
namespace {

struct IconFiles {
  IconId id;
  const char* name;
  std::array<int, 4> sizes;  // ascending; 0 ends the list early
  const char* suffix;        // "" 32-bit colour, "-256" 256 colours
};

constexpr IconFiles kIcons[] = {
    {IconId::App, "quillmere", {16, 32, 48}, ""},
    {IconId::Add, "add", {16}, ""},
    {IconId::Remove, "remove", {16}, ""},
    {IconId::Start, "start", {16}, ""},
    {IconId::Info, "info", {16, 24, 32, 48}, ""},
    // The About dialog's images exist only at 256 colours.
    {IconId::Web, "web", {32}, "-256"},
    {IconId::Mail, "mail", {32}, "-256"},
};

const IconFiles* FilesOf(IconId id) {
  for (const IconFiles& files : kIcons) {
    if (files.id == id) return &files;
  }
  return nullptr;
}

QString PathOf(const IconFiles& files, int size) {
  static const bool initialised = (InitIconResources(), true);
  (void)initialised;
  return QStringLiteral(":/icons/%1-%2%3.png").arg(QLatin1String(files.name)).arg(size).arg(QLatin1String(files.suffix));
}

}  // namespace

QPixmap IconPixmap(IconId id, int size) {
  const IconFiles* files = FilesOf(id);
  if (!files) return {};
  int largest = 0;
  for (int drawn : files->sizes) {
    if (drawn == size) return QPixmap(PathOf(*files, size));
    largest = std::max(largest, drawn);
  }
  return QPixmap(PathOf(*files, largest)).scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QIcon MakeIcon(IconId id) {
  QIcon icon;
  if (const IconFiles* files = FilesOf(id)) {
    for (int size : files->sizes) {
      if (size > 0) icon.addFile(PathOf(*files, size), QSize(size, size));
    }
  }
  return icon;
}

}  // namespace qm
