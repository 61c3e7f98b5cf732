#include "PointCloudColorHandlerMv.h"

#include <vtkFloatArray.h>

#include <vector>

#include "CloudColorScalars.h"

namespace vantory::cloudview {

namespace {
constexpr int kFieldIndexZ = 2;
}

PointCloudColorHandlerMv::PointCloudColorHandlerMv(const CloudConstPtr& cloud,
                                                   const DisplayValues& display)
    : pcl::visualization::PointCloudColorHandler<pcl::PointXYZI>(cloud), display_(display) {
    capable_ = true;
    field_idx_ = kFieldIndexZ;
}

vtkSmartPointer<vtkDataArray> PointCloudColorHandlerMv::getColor() const {
    if (!capable_ || !cloud_) return nullptr;
    std::vector<float> scalars;
    colorScalars(*cloud_, display_, scalars);
    auto array = vtkSmartPointer<vtkFloatArray>::New();
    array->SetNumberOfComponents(1);
    array->SetNumberOfTuples(static_cast<vtkIdType>(scalars.size()));
    std::copy(scalars.begin(), scalars.end(), array->GetPointer(0));
    return array;
}

}  // namespace vantory::cloudview
