#include "MaintenanceWindows.h"

#include "LanguageTexts.h"

namespace vantory::maintenance {

MaintenanceWindows::MaintenanceWindows(const MaintenanceForms& forms, Movoda::MvSdk& sdk,
                                       MaintenanceOutput& output, const TextSet& texts,
                                       MainWindowHooks hooks,
                                       service::UpdateTimings firmwareTimings)
    : firmwareStatus_(output, texts.isEnglish()),
      firmware_(sdk, firmwareStatus_, firmwareTimings),
      calibration_(sdk, output, texts.isEnglish()),
      devicePanel_(forms.devSettings, forms.devSettingsWindow, sdk, firmware_, output,
                   texts.isEnglish(), std::move(hooks)),
      calibrationPanel_(forms.calibration, forms.calibrationWindow, sdk, calibration_, texts) {}

MaintenanceWindows::~MaintenanceWindows() {
    firmware_.cancel();
}

}  // namespace vantory::maintenance
