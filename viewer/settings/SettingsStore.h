// Reads the viewer's settings file. This holds what start-up and the connection need;
// the remaining groups of the file are added here as their controls arrive.
#pragma once

#include <QSettings>
#include <QString>

namespace vantory {

struct ConnectionSettings {
    bool useUsb = false;
    QString ipAddress;
    int imageTypeIndex = 0;
};

// The point-cloud window's stored geometry (all zero when never stored) and floor grid.
struct CloudWindowSettings {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool showGrid = true;
    double gridHeight = 1.0;
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

    CloudWindowSettings cloudWindow() const;
    // Where the point-cloud window was when it closed.
    void saveCloudWindowGeometry(int x, int y, int width, int height) const;

private:
    QString fileName_;
};

}  // namespace vantory
