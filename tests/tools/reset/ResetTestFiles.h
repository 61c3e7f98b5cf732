#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A temporary working folder with helpers to write and read settings files byte for byte.
class ResetFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tmp_.isValid()); }

    QDir dir() const { return QDir(tmp_.path()); }
    QString path(const QString& name) const { return dir().filePath(name); }

    void write(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray read(const QString& name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    bool exists(const QString& name) const { return QFile::exists(path(name)); }

    QVariant value(const QString& name, const QString& key) const {
        return QSettings(path(name), QSettings::IniFormat).value(key);
    }

    // A viewer settings file with a saved geometry and a few other keys.
    static QByteArray viewerFile(int marker) {
        return QByteArray("[Setting]\nipaddress=192.168.2.10") + QByteArray::number(marker) +
               "\nimgType=3\nint1=150\n\n[ui]\nmainwin_x=-4000\nmainwin_y=12\nmainwin_width=1400\n"
               "mainwin_height=900\npclwin_x=5\npclwin_y=6\npclwin_width=640\npclwin_height=480\n"
               "cloud_showgrid=false\n";
    }

private:
    QTemporaryDir tmp_;
};
