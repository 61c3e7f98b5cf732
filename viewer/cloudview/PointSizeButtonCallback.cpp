#include "PointSizeButtonCallback.h"

#include "ViewControls.h"

namespace vantory::cloudview {

void PointSizeButtonCallback::Execute(vtkObject*, unsigned long, void*) {
    if (controls != nullptr) changePointSize(*controls, increase);
}

}  // namespace vantory::cloudview
