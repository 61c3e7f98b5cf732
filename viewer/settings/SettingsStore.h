// The viewer's settings files: the main file ("gui" + suffix + ".ini") with its first-run
// and per-series defaults, and the common file with the per-model reflectivity tables.
// Everything goes through QSettings in INI format.
#pragma once

#include <QSettings>
#include <QString>

#include <array>
#include <cstdint>

#include "ModelTable.h"
#include "ViewerSettings.h"

namespace vantory {

struct ConnectionSettings {
    bool useUsb = false;
    QString ipAddress;
    int imageTypeIndex = 0;
};

// Per-model tables of the common file, indexed by model code.
struct CommonTables {
    std::array<float, models::kModelCodeCount> reflectivityCoef{};
    std::array<std::uint16_t, models::kModelCodeCount> reflectivityRenderMax{};
};

class SettingsStore {
public:
    explicit SettingsStore(const QString& fileName);

    const QString& fileName() const { return fileName_; }
    // "Setting/uilanguage", 0 when missing.
    int uiLanguage() const;
    // Link choice, camera address and image type; a file without an address yields
    // the values a first run would write.
    ConnectionSettings connection() const;
    // The common file's reflectivity coefficient (0 when missing) and display maximum
    // (100 when missing or not positive) of every model.
    CommonTables commonTables() const;
    bool saveReflectivityRenderMax(const QString& modelName, int value) const;

    // The start-up load: writes the first-run defaults when the file holds no camera
    // address, then reads every key with its load rule.
    ViewerSettings load() const;
    // HDR mode and integration times of a camera series; writes that series' defaults
    // first when its HDR key is missing.
    SeriesValues loadSeries(bool k150Series) const;
    // Writes every key; the HDR mode and integration times go to the series' keys. The
    // file is replaced only once the new one is complete: on failure the old file stays
    // and `error` says why.
    bool save(const ViewerSettings& values, bool k150Series, QString* error = nullptr) const;

private:
    void writeFirstRunDefaults(QSettings& file) const;
    bool readPclFilterOn(const QSettings& file) const;

    QString fileName_;
};

}  // namespace vantory
