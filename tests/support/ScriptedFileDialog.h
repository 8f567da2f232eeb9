#pragma once
// A file dialog that answers each selection with the next scripted list of
// paths (an empty list or path cancels), and records each request's title
// and, through `toolbarEnabled`, whether the tool bar was enabled meanwhile.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/FileOpenDialog.h"

namespace qm::test {

class ScriptedFileDialog : public FileOpenDialog {
 public:
  explicit ScriptedFileDialog(const std::vector<std::string>& paths = {}, std::function<bool()> toolbarEnabled = {})
      : toolbar_(std::move(toolbarEnabled)) {
    for (const std::string& path : paths) push(path);
  }

  // Paths as Qt strings (anything with toStdString), for the Qt suites.
  template <class List>
    requires requires(const List& list) { list.begin()->toStdString(); }
  explicit ScriptedFileDialog(const List& paths) {
    for (const auto& path : paths) push(path.toStdString());
  }

  // One selection of one file; "" cancels.
  void push(const std::string& path) { selections.push_back(path.empty() ? Paths{} : Paths{path}); }
  template <class Text>
    requires requires(const Text& text) { text.toStdString(); }
  void push(const Text& path) { push(path.toStdString()); }

  std::optional<FileChoice> Open(const OpenRequest& request) override {
    const std::vector<FileChoice> chosen = OpenMany(request);
    return chosen.empty() ? std::nullopt : std::optional(chosen.front());
  }
  std::vector<FileChoice> OpenMany(const OpenRequest& request) override {
    titles.emplace_back(request.DialogTitle);
    if (toolbar_) toolbarEnabled.push_back(toolbar_());
    std::vector<FileChoice> chosen;
    if (selections.empty()) return chosen;
    for (const std::string& path : selections.front()) chosen.push_back({path.substr(path.find_last_of("/\\") + 1), path});
    selections.pop_front();
    return chosen;
  }

  using Paths = std::vector<std::string>;
  std::deque<Paths> selections;
  std::vector<std::string> titles;
  std::vector<bool> toolbarEnabled;

 private:
  std::function<bool()> toolbar_;
};

}  // namespace qm::test
