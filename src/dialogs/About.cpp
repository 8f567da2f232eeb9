#include "dialogs/About.h"

namespace qm {

VersionInfo BuildVersion() {
  return {QUILLMERE_PRODUCT_NAME, QUILLMERE_VERSION_MAJOR, QUILLMERE_VERSION_MINOR, QUILLMERE_VERSION_PATCH};
}

std::string AboutCaption(const VersionInfo& version) {
  std::string caption(version.product);
  caption += ' ';
  caption += std::to_string(version.major);
  caption += '.';
  caption += std::to_string(version.minor);
  caption += '.';
  caption += std::to_string(version.revision);
  caption += " beta ";
  caption += " - Informazioni sull'autore";
  return caption;
}

AboutClick ClickOn(const ControlSpec& control) {
  if (control.kind == ControlKind::Image) return AboutClick::Nothing;
  return control.name == "lblWeb" ? AboutClick::OpenLink : AboutClick::Close;
}

std::string LinkUrl(int index, std::string_view text) {
  std::string url = index == 0 ? "http://" : "mailto:";
  url += text;
  return url;
}

}  // namespace qm
