#include "SettingsReset.h"

#include "ResetConstants.h"

#include <QDebug>
#include <QHash>
#include <QSettings>

#include <cstdio>
#include <optional>

namespace reset {
namespace {

// The viewer matches settings keys without regard to case, so a key is looked up in
// its stored spelling; writing under another spelling would leave two keys behind.
class KeySpellings {
public:
    explicit KeySpellings(const QSettings& settings) {
        for (const QString& key : settings.allKeys()) {
            stored_.insert(key.toLower(), key);
        }
    }
    bool contains(const QString& key) const { return stored_.contains(key.toLower()); }
    QString stored(const QString& key) const { return stored_.value(key.toLower(), key); }

private:
    QHash<QString, QString> stored_;
};

// Only the viewer's own settings files are changed; anything else stays as it is.
bool isViewerSettings(const KeySpellings& keys) {
    return keys.contains(QString::fromLatin1(kKeyIpAddress));
}

FileResult save(QSettings& settings) {
    settings.sync();
    // A format error only means that Qt skipped unreadable lines while loading.
    return settings.status() == QSettings::AccessError ? FileResult::WriteFailed : FileResult::Written;
}

bool isCommand(const QString& command) {
    return command == QLatin1String(kCmdResetGeometry) || command == QLatin1String(kCmdResetGeometryAll) ||
           command == QLatin1String(kCmdRestore) || command == QLatin1String(kCmdRestoreAll);
}

bool isAllCommand(const QString& command) {
    return command == QLatin1String(kCmdResetGeometryAll) || command == QLatin1String(kCmdRestoreAll);
}

}  // namespace

QString targetPath(const QDir& dir, const QString& suffix) {
    return dir.filePath(QLatin1String(kTargetPrefix) + suffix + QLatin1String(kTargetExtension));
}

QStringList suffixesFor(const QString& command, const QString& suffix) {
    if (!isCommand(command)) {
        return {};
    }
    if (!isAllCommand(command)) {
        // The suffix names a file in the working folder; a path separator would reach
        // files elsewhere.
        if (suffix.contains(QLatin1Char('/'))) {
            return {};
        }
        return {suffix};
    }
    QStringList all{QString()};
    for (int n = 1; n <= kLastNumberedSuffix; ++n) {
        all << QString::number(n);
    }
    return all;
}

FileResult resetGeometry(const QString& path) {
    QSettings settings(path, QSettings::IniFormat);
    const KeySpellings keys(settings);
    if (!isViewerSettings(keys)) {
        return FileResult::Skipped;
    }
    for (const char* key : kGeometryKeys) {
        settings.setValue(keys.stored(QString::fromLatin1(key)), 0);
    }
    return save(settings);
}

ReferenceSettings::ReferenceSettings(const QString& path) : path_(path) {
    const QSettings settings(path, QSettings::IniFormat);
    keys_ = settings.allKeys();
    for (const QString& key : keys_) {
        values_.insert(key, settings.value(key));
    }
    usable_ = KeySpellings(settings).contains(QString::fromLatin1(kKeyImageType));
}

bool ReferenceSettings::usable() const {
    return usable_;
}

QVariant ReferenceSettings::value(const QString& key) const {
    return values_.value(key);
}

FileResult restoreFrom(const ReferenceSettings& reference, const QString& path) {
    QSettings settings(path, QSettings::IniFormat);
    const KeySpellings keys(settings);
    if (!isViewerSettings(keys) || !reference.usable()) {
        return FileResult::Skipped;
    }
    for (const QString& key : reference.keys()) {
        const QVariant value = reference.value(key);
        settings.setValue(keys.stored(key), value);
        qDebug() << key << value;
    }
    return save(settings);
}

int runCommand(const QStringList& arguments, const QDir& dir) {
    const QString command = arguments.value(0);
    const QString suffix = arguments.value(1);
    const QStringList suffixes = suffixesFor(command, suffix);
    if (suffixes.isEmpty()) {
        return 0;
    }

    const bool restore = command == QLatin1String(kCmdRestore) || command == QLatin1String(kCmdRestoreAll);
    std::optional<ReferenceSettings> reference;
    if (restore) {
        reference.emplace(dir.filePath(QLatin1String(kReferenceFile)));
    }

    int failures = 0;
    for (const QString& n : suffixes) {
        const QString path = targetPath(dir, n);
        const FileResult result = reference ? restoreFrom(*reference, path) : resetGeometry(path);
        if (result == FileResult::WriteFailed) {
            std::fprintf(stderr, "vantory-reset: could not write %s\n", qPrintable(path));
            ++failures;
        }
    }
    return failures;
}

}  // namespace reset
