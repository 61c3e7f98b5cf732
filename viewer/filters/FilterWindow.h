// The filter settings window: connects the form's controls to what they send (the SDK's
// filters through FilterSender, the SDK-side settings, the render-type command of older
// firmware) and keeps the enabling of the cloud-filter controls. The window's buttons
// that belong to other areas (export/import, calibration, batch conversion) go to hooks.
#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "FilterSender.h"

namespace Ui {
class FilterSettings;
}
namespace Movoda {
class MvSdk;
}

namespace vantory::filters {

class CloudFilterLibrary;

// Command 202 for a render type: sent only to firmware below 2.2.
std::optional<std::vector<std::uint8_t>> renderTypeCommand(float firmwareVersion, int index);

struct FilterWindowHooks {
    std::function<void()> exportConfig;
    std::function<void()> importConfig;
    std::function<void()> startCalibration;
    std::function<void()> convertToPcd;
    std::function<void()> convertToImages;
    // The connected camera's firmware version number.
    std::function<float()> firmwareVersion;
    // Save to this model: stores the value, then tells the user.
    std::function<void(int value)> saveReflectivityMax;
};

class FilterWindow : public QObject {
    Q_OBJECT
public:
    // `library` may be null (not loaded). The form and the SDK outlive this object.
    FilterWindow(Ui::FilterSettings& ui, Movoda::MvSdk& sdk, FilterSink& sink,
                 const CloudFilterLibrary* library, FilterWindowHooks hooks,
                 QObject* parent = nullptr);

    // The controls as the filters read them (the cloud switch after the library check).
    FilterControls controls() const;
    // Re-sends median, Kalman, edge, dust, reflectivity band and the point-cloud filter.
    void applySdkFilters();
    // The point-cloud filter handler: enabling of its controls, then its values.
    void refreshCloudFilters();
    // The render type: command 202 on older firmware, the reflectivity display controls.
    void applyRenderType(int index);
    // Enables the cloud-filter controls and captions the switch with the library's
    // version; only when the library loaded.
    void enableLibraryControls();
    // "Reflectivity coef: " and the coefficient in use.
    void showReflectivityCoef(float coefficient);

    // ---- Developer controls ----------------------------------------------------------
    // The "Debug" group (calibration, render and coordinate type, reflectivity display
    // maximum) is shown only in developer modes.
    void showDeveloperControls(bool shown);
    bool developerControlsShown() const;

private:
    void connectControls();
    void connectSdkSettings();
    void connectReflectivityDisplay();
    void connectButtons();
    void showReflectivityDisplay(bool shown);

    Ui::FilterSettings& ui_;
    Movoda::MvSdk& sdk_;
    FilterSink& sink_;
    const CloudFilterLibrary* library_;
    FilterWindowHooks hooks_;
};

}  // namespace vantory::filters
