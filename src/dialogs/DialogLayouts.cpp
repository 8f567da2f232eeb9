#include "dialogs/DialogLayouts.h"
#include "dialogs/About.h"

namespace qm {
namespace {

using K = ControlKind;
constexpr FontSpec kBold825{"MS Sans Serif", 8.25, true};
constexpr FontSpec kBold12{"MS Sans Serif", 12, true};

constexpr ControlSpec kSetChs[] = {
    {"Frame1", kNoIndex, K::Frame, "", "", 120, 0, 3375, 1935, 0},
    {"Label1", 0, K::Label, "Frame1", "Cylinders", 240, 360, 735, 255, 1, kDefaultFont, TextAlign::Center},
    {"Label1", 1, K::Label, "Frame1", "Heads", 1320, 360, 735, 255, 2, kDefaultFont, TextAlign::Center},
    {"Label1", 2, K::Label, "Frame1", "Sectors", 2400, 360, 735, 255, 3, kDefaultFont, TextAlign::Center},
    {"txtC", kNoIndex, K::TextBox, "Frame1", "", 240, 585, 735, 285, 4},
    {"txtH", kNoIndex, K::TextBox, "Frame1", "", 1320, 585, 735, 285, 5},
    {"txtS", kNoIndex, K::TextBox, "Frame1", "", 2400, 585, 735, 285, 6},
    {"btnSetCHS", kNoIndex, K::PushButton, "Frame1", "Conferma", 240, 1200, 2895, 615, 7, kDefaultFont, TextAlign::Center, IconId::Add},
};

constexpr ControlSpec kInfo[] = {
    {"Frame1", kNoIndex, K::Frame, "", "", 120, 0, 5415, 2895, 0},
    {"lblInt", 0, K::Label, "Frame1", about::kCredit, 1005, 360, 3390, 300, 2, kBold12, TextAlign::Center, IconId::None, kNavy},
    {"lblInt", 2, K::Label, "Frame1", about::kContactCaption, 360, 960, 4620, 195, 1, kBold825, TextAlign::Center, IconId::None, kNavy},
    {"imgWeb", 3, K::Image, "Frame1", "", 1320, 1440, 480, 480, kNoTab, kDefaultFont, TextAlign::Left, IconId::Web},
    {"lblWeb", 0, K::Label, "Frame1", about::kWebAddress, 2040, 1560, 1650, 195, 3, kBold825, TextAlign::Left, IconId::None, kNavy},
    {"imgWeb", 0, K::Image, "Frame1", "", 1320, 2040, 480, 480, kNoTab, kDefaultFont, TextAlign::Left, IconId::Mail},
    {"lblWeb", 1, K::Label, "Frame1", about::kMailAddress, 2040, 2160, 1965, 195, 4, kBold825, TextAlign::Left, IconId::None, kNavy},
};

constexpr WindowSpec kSetChsWindow{"frmSetCHS", "Set CHS", 3600, 2040, Placement::CenterOwner, IconId::None, kSetChs};
// The caption is made from the version when the dialog loads.
constexpr WindowSpec kInfoWindow{"frmInfo", "", 5655, 3030, Placement::CenterScreen, IconId::None, kInfo};

}  // namespace

const WindowSpec& SetChsLayout() { return kSetChsWindow; }
const WindowSpec& InfoLayout() { return kInfoWindow; }

}  // namespace qm
