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

class SettingsStore {
public:
    explicit SettingsStore(const QString& fileName);

    const QString& fileName() const { return fileName_; }
    // "Setting/uilanguage", 0 when missing.
    int uiLanguage() const;
    // Link choice, camera address and image type; a file without an address yields
    // the values a first run would write.
    ConnectionSettings connection() const;

private:
    QString fileName_;
};

}  // namespace vantory
