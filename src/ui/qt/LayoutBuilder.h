#pragma once
// Builds a window from its WindowSpec: one widget per control, parented to
// its container (the window itself is the client area), placed at its twips
// converted to pixels, named by ObjectName, in the table's font, and chained
// for Tab in tab-index order. The same builder serves every window.

#include <QWidget>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/Layout.h"

namespace qm {

class LayoutBuilder {
 public:
  // Creates the controls inside `window` and gives the window its fixed
  // client size, caption, icon and a frame without minimize and maximize boxes.
  LayoutBuilder(const WindowSpec& spec, QWidget& window);

  // The widget built for a control; nullptr for components without one.
  QWidget* widget(std::string_view name, int index = kNoIndex) const;
  template <class T>
  T* get(std::string_view name, int index = kNoIndex) const {
    return qobject_cast<T*>(widget(name, index));
  }

  // Moves the window where its table places it: centred over its parent's
  // window or on its screen; the system default leaves the position alone.
  void place() const;

  const WindowSpec& spec() const { return spec_; }

 private:
  QWidget* Create(const ControlSpec& control, QWidget* container) const;
  void ChainTabOrder() const;

  const WindowSpec& spec_;
  QWidget& window_;
  std::vector<std::pair<const ControlSpec*, QWidget*>> widgets_;
};

}  // namespace qm
