#include "dialogs/Chs.h"

namespace qm {
namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

ChsGeometry ConfirmChs(std::string_view c, std::string_view h, std::string_view s) {
  return ChsGeometry{std::string(TrimBlanks(c)), std::string(TrimBlanks(h)),
                     std::string(TrimBlanks(s)), true};
}

int FilterChsChar(int code) {
  if (code == 8) return code;
  if (code >= '0' && code <= '9') return code;
  return 0;
}

}  // namespace qm
