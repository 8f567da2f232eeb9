#include <windows.h>

#include <filesystem>

#include "FileCopy.h"
#include "Utf8Path.h"
#include "platform/error.h"

namespace qm::bridge {
namespace {

struct CopyState {
  const CopyProgress* progress;
  bool stopped = false;
};

DWORD CALLBACK OnProgress(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE,
                          HANDLE, LPVOID data) {
  auto* state = static_cast<CopyState*>(data);
  if ((*state->progress)(static_cast<std::uint64_t>(done.QuadPart), static_cast<std::uint64_t>(total.QuadPart))) {
    return PROGRESS_CONTINUE;
  }
  state->stopped = true;
  return PROGRESS_CANCEL;
}

}  // namespace

CopyOutcome CopyToNewFile(const std::string& from, const std::string& to, const CopyProgress& progress) {
  std::error_code ec;
  const std::uint64_t total = std::filesystem::file_size(PathFromUtf8(from), ec);
  if (ec) return {CopyEnd::Failed, "cannot read " + from + ": " + ec.message()};
  if (!progress(0, total)) return {CopyEnd::Stopped, {}};
  const std::wstring source = PathFromUtf8(from).wstring(), target = PathFromUtf8(to).wstring();
  CopyState state{&progress};
  BOOL cancel = FALSE;
  const BOOL copied = ::CopyFileExW(source.c_str(), target.c_str(), OnProgress, &state, &cancel, COPY_FILE_FAIL_IF_EXISTS);
  const DWORD error = copied ? 0 : ::GetLastError();
  CopyOutcome outcome;
  if (copied) {
    outcome.end = progress(total, total) ? CopyEnd::Copied : CopyEnd::Stopped;
  } else if (state.stopped) {
    outcome.end = CopyEnd::Stopped;
  } else {
    outcome.error = "cannot copy " + from + " to " + to + ": " + SystemMessage(static_cast<long>(error));
  }
  // An existing `to` was never ours.
  if (outcome.end != CopyEnd::Copied && error != ERROR_FILE_EXISTS) ::DeleteFileW(target.c_str());
  return outcome;
}

}  // namespace qm::bridge
