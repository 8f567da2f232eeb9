#pragma once
// The About dialog without windows: the project's own texts, the caption made
// from the program's version, and the link each address label opens.

#include <string>
#include <string_view>

#include "ui/Layout.h"

namespace qm {

namespace about {

// The project's own texts, kept in this one place.
inline constexpr std::string_view kCredit = "Team Quillmere 2025-2026";
inline constexpr std::string_view kContactCaption = "Per Contattarmi:";
inline constexpr std::string_view kWebAddress = "quillmere.example.org";  // shown without a scheme
inline constexpr std::string_view kMailAddress = "info@quillmere.example.org";

}  // namespace about

struct VersionInfo {
  std::string_view product;
  int major;
  int minor;
  int revision;
};

// The product name and version this build was made with (the CMake project).
VersionInfo BuildVersion();

// "<product> <major>.<minor>.<revision> beta  - Informazioni sull'autore":
// " beta " and " - ..." each bring their blank, so two stand before the hyphen.
std::string AboutCaption(const VersionInfo& version);

// The link behind an address label: "http://" + text for index 0, the web
// address; "mailto:" + text for every other index.
std::string LinkUrl(int index, std::string_view text);

// What a click on one of the dialog's controls does: an image nothing, an
// address label (lblWeb) opens its link, the frame and the text lines close
// the dialog.
enum class AboutClick { Nothing, OpenLink, Close };
AboutClick ClickOn(const ControlSpec& control);

}  // namespace qm
