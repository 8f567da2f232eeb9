#include "app/MainLayout.h"

namespace qm {
namespace {

using K = ControlKind;

constexpr ControlSpec kMain[] = {
    // Containers, top to bottom.
    {"fraToolbar", kNoIndex, K::Frame, "", "", 120, 0, 7215, 780, 1},
    {"MainGrid", kNoIndex, K::Grid, "", "", 120, 840, 7215, 3255, 0},
    {"Frame2", kNoIndex, K::Frame, "", "", 120, 4080, 7215, 1455, 4},
    {"Frame1", kNoIndex, K::Frame, "", "", 120, 5520, 7215, 780, 12},
    {"CommonDialog", kNoIndex, K::FileDialog, "", "", 0, 0, 0, 0, kNoTab},
    // Tool bar: the add and remove buttons.
    {"btnAggiungi", 0, K::PushButton, "fraToolbar", "Update", 120, 120, 1215, 615, 2, kDefaultFont, TextAlign::Center, IconId::Add},
    {"btnAggiungi", 1, K::PushButton, "fraToolbar", "Merge", 1440, 120, 1215, 615, 8, kDefaultFont, TextAlign::Center, IconId::Add},
    {"btnAggiungi", 2, K::PushButton, "fraToolbar", "Set CHS", 2760, 120, 1215, 615, 15, kDefaultFont, TextAlign::Center, IconId::Add},
    {"btnRimuovi", kNoIndex, K::PushButton, "fraToolbar", "Rimuovi", 5760, 120, 1335, 615, 3, kDefaultFont, TextAlign::Center, IconId::Remove},
    // Progress area.
    {"Label1", 0, K::Label, "Frame2", "Azione corrente :", 120, 240, 1215, 255, 6},
    {"lblOperazione", kNoIndex, K::Label, "Frame2", "", 1440, 240, 5655, 255, 7},
    {"pbCurrent", kNoIndex, K::ProgressBar, "Frame2", "", 120, 480, 6975, 255, 5},
    {"Label1", 1, K::Label, "Frame2", "Lavoro corrente", 120, 840, 2055, 255, 11},
    {"pbTotal", kNoIndex, K::ProgressBar, "Frame2", "", 120, 1080, 6975, 255, 9},
    // Command buttons.
    {"btnInfo", kNoIndex, K::PushButton, "Frame1", "Info", 120, 120, 1215, 615, 16, kDefaultFont, TextAlign::Center, IconId::Info},
    {"btnAnnulla", kNoIndex, K::PushButton, "Frame1", "Annulla", 4320, 120, 1215, 615, 14, kDefaultFont, TextAlign::Center, IconId::Remove},
    {"btnComprimi", kNoIndex, K::PushButton, "Frame1", "Avvia", 5760, 120, 1335, 615, 13, kDefaultFont, TextAlign::Center, IconId::Start},
};

constexpr WindowSpec kMainWindow{"frmMain", "Quillmere", 7440, 6405, Placement::SystemDefault, IconId::App, kMain};

}  // namespace

const WindowSpec& MainWindowLayout() { return kMainWindow; }

}  // namespace qm
