// The question asked before the viewer closes.
#pragma once

class QWidget;

namespace vantory {

class TextSet;

// Shows "Are you sure you want to exit this software?" with Ok / Cancel (Cancel is the
// default, Escape does nothing). True when the user chose Ok.
bool confirmExit(QWidget* parent, const TextSet& texts);

}  // namespace vantory
