// Shared by the fuzz targets of INI files read through QSettings, which reads only from a
// path: each input is written to a file of its own, removed when the holder goes away.
// A fresh name per input keeps QSettings' cache of parsed files from answering for an
// earlier input.
#pragma once

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace fuzzini {

class InputFile {
public:
    InputFile(const uint8_t* data, size_t size, const char* suffix) {
        static uint64_t counter = 0;
        path_ = folder() + QStringLiteral("/vantory-fuzz-%1-%2%3")
                               .arg(::getpid())
                               .arg(++counter)
                               .arg(QLatin1String(suffix));
        QFile file(path_);
        if (file.open(QIODevice::WriteOnly))
            file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    ~InputFile() { QFile::remove(path_); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    const QString& path() const { return path_; }

private:
    // QSettings writes through a file it syncs to disk: a memory-backed folder keeps the
    // target's speed from depending on the disk's load.
    static QString folder() {
        static const QString chosen = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                          ? QStringLiteral("/dev/shm")
                                          : QDir::tempPath();
        return chosen;
    }

    QString path_;
};

}  // namespace fuzzini
