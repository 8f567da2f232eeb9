#pragma once
// The project's own texts shown by the About dialog, kept in one place.

#include <string_view>

namespace qm::about {

inline constexpr std::string_view kCredit = "Gli sviluppatori di Quillmere, 2025-2026";
inline constexpr std::string_view kContactCaption = "Per Contattarmi:";
inline constexpr std::string_view kWebAddress = "quillmere.example.org";  // shown without a scheme
inline constexpr std::string_view kMailAddress = "info@quillmere.example.org";

}  // namespace qm::about
