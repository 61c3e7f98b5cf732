#include "SnConfigs.h"

#include <QDir>
#include <QFileInfo>

#include <iostream>

#include "SceneFile.h"

namespace vantory::settings {

std::optional<QString> findSnConfigFolder(const QString& programDirectory,
                                          const QString& serialText, bool debug) {
    const QString serial = serialText.toUpper();
    const QDir folder(QDir(programDirectory).filePath(QString::fromLatin1(kSnConfigFolder)));
    const QFileInfoList entries =
        folder.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (!entry.isDir()) {
            if (debug) std::cout << "File:" << entry.filePath().toStdString() << std::endl;
            continue;
        }
        // An empty name would match every serial number.
        if (!entry.fileName().isEmpty() && serial.contains(entry.fileName().toUpper())) {
            return entry.filePath();
        }
    }
    if (debug) std::cout << "no match config path ." << std::endl;
    return std::nullopt;
}

QString sceneFilePath(const QString& programDirectory) {
    const QString local = QString::fromLatin1(kSceneFileName);
    if (QFileInfo(local).isFile() || programDirectory.isEmpty()) return local;
    const QString installed = QDir(programDirectory).filePath(local);
    return QFileInfo(installed).isFile() ? installed : local;
}

}  // namespace vantory::settings
