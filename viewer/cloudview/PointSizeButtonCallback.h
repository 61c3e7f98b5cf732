// The observer of one on-screen point-size button: one point larger, or one smaller.
#pragma once

#include <vtkCommand.h>

namespace vantory::cloudview {

struct ViewControls;

class PointSizeButtonCallback : public vtkCommand {
public:
    static PointSizeButtonCallback* New() { return new PointSizeButtonCallback; }
    void Execute(vtkObject* caller, unsigned long eventId, void* callData) override;

    bool increase = true;
    ViewControls* controls = nullptr;
};

}  // namespace vantory::cloudview
