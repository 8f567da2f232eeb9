#pragma once
// Message boxes: modal, OK button only, the application's title as caption.

namespace qm {

enum class MessageIcon { None, Information, Warning, Stop };

}  // namespace qm
