#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

// Repairs the viewer's "gui" + suffix + ".ini" files in one folder: zeroes the saved
// window geometry or copies every key of the reference file "restorecfg" into them.
namespace reset {

// Outcome for one target file.
enum class FileResult {
    Skipped,      // not a viewer settings file (or no usable reference): left untouched
    Written,      // changed and saved
    WriteFailed,  // the change could not be saved
};

// "gui" + suffix + ".ini" inside dir.
QString targetPath(const QDir& dir, const QString& suffix);

// Suffixes the command visits, in order; empty for an unknown command.
// The suffix argument is used only by the single-file commands.
QStringList suffixesFor(const QString& command, const QString& suffix);

// Writes 0 to the eight window-geometry keys of a viewer settings file.
FileResult resetGeometry(const QString& path);

// Every key of a reference file, read once per run.
class ReferenceSettings {
public:
    explicit ReferenceSettings(const QString& path);
    bool usable() const;                 // holds "Setting/imgType"
    const QStringList& keys() const { return keys_; }
    QVariant value(const QString& key) const;

private:
    QString path_;
    QStringList keys_;
    QVariantMap values_;
    bool usable_ = false;
};

// Copies every key of the reference into a viewer settings file; other keys stay.
FileResult restoreFrom(const ReferenceSettings& reference, const QString& path);

// Runs one command line (arguments after the program name) on the files in dir.
// Returns the number of files that could not be saved; the caller reports them.
int runCommand(const QStringList& arguments, const QDir& dir);

}  // namespace reset
