// Colours the displayed cloud by distance along the forward axis or by intensity, with
// the colour range pinned to the display settings (see CloudColorScalars).
#pragma once

#include <pcl/visualization/point_cloud_color_handlers.h>

#include <string>

#include "CloudTypes.h"
#include "DisplaySettings.h"

namespace vantory::cloudview {

class PointCloudColorHandlerMv : public pcl::visualization::PointCloudColorHandler<pcl::PointXYZI> {
public:
    PointCloudColorHandlerMv(const CloudConstPtr& cloud, const DisplayValues& display);
    ~PointCloudColorHandlerMv() override = default;

    std::string getName() const override { return "PointCloudColorHandlerGenericField"; }
    std::string getFieldName() const override { return fieldName_; }
    vtkSmartPointer<vtkDataArray> getColor() const override;

private:
    DisplayValues display_;
    std::string fieldName_ = "z";
};

}  // namespace vantory::cloudview
