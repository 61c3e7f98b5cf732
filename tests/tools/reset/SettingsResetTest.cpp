#include "ResetTestFiles.h"
#include "SettingsReset.h"

#include <array>
#include <map>

namespace {

using reset::runCommand;

const std::array<const char*, 8> kGeometry = {
    "ui/mainwin_x", "ui/mainwin_y", "ui/mainwin_width", "ui/mainwin_height",
    "ui/pclwin_x",  "ui/pclwin_y",  "ui/pclwin_width",  "ui/pclwin_height",
};

const QByteArray kReference =
    "[Setting]\nimgType=1\nint1=25\nHDR_k150=1\n\n[Filters]\nkalmanFactor=0.3\n";

class SettingsResetTest : public ResetFolder {
protected:
    bool geometryIsZero(const QString& name) const {
        for (const char* key : kGeometry) {
            const QVariant v = value(name, QString::fromLatin1(key));
            if (!v.isValid() || v.toInt() != 0) {
                return false;
            }
        }
        return true;
    }

    // Every file of the folder with its bytes, to prove a command left them all alone.
    std::map<QString, QByteArray> snapshot() const {
        std::map<QString, QByteArray> files;
        for (const QString& name : dir().entryList(QDir::Files)) {
            files[name] = read(name);
        }
        return files;
    }
};

TEST_F(SettingsResetTest, GeometryResetZeroesTheEightKeysAndKeepsTheRest) {
    write("gui.ini", viewerFile(1));
    EXPECT_EQ(runCommand({"rstguisize"}, dir()), 0);

    EXPECT_TRUE(geometryIsZero("gui.ini"));
    EXPECT_EQ(value("gui.ini", "Setting/ipaddress").toString(), "192.168.2.101");
    EXPECT_EQ(value("gui.ini", "Setting/imgType").toInt(), 3);
    EXPECT_EQ(value("gui.ini", "Setting/int1").toInt(), 150);
    EXPECT_EQ(value("gui.ini", "ui/cloud_showgrid").toString(), "false");
}

TEST_F(SettingsResetTest, LinesQtCannotReadDoNotStopTheRepair) {
    write("gui.ini", QByteArray("stray line without a value\n") + viewerFile(1));
    EXPECT_EQ(runCommand({"rstguisize"}, dir()), 0);  // saved, so no failure is reported
    EXPECT_TRUE(geometryIsZero("gui.ini"));
    EXPECT_EQ(value("gui.ini", "Setting/int1").toInt(), 150);
}

TEST_F(SettingsResetTest, FilesThatAreNotViewerSettingsStayByteForByte) {
    // The key sits in another group and the layout is unusual, so any rewrite would show.
    const QByteArray foreign = "; kept as written\n[Other]\nipaddress = 1.2.3.4\n[ui]\nmainwin_x=-4000\n";
    write("gui.ini", foreign);
    write("restorecfg", kReference);

    for (const char* command : {"rstguisize", "rstk150set", "rstguisize-all", "rstk150set-all"}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(runCommand({command}, dir()), 0);
        EXPECT_EQ(read("gui.ini"), foreign);
        // Missing targets are not created.
        EXPECT_FALSE(exists("gui1.ini"));
        EXPECT_FALSE(exists("gui9.ini"));
    }
    EXPECT_EQ(read("restorecfg"), kReference);
}

TEST_F(SettingsResetTest, SuffixSelectsTheFile) {
    for (const char* name : {"gui.ini", "gui3.ini", "gui33.ini"}) {
        write(name, viewerFile(3));
    }
    const QByteArray untouched = read("gui.ini");

    runCommand({"rstguisize", "3"}, dir());

    EXPECT_TRUE(geometryIsZero("gui3.ini"));
    EXPECT_EQ(read("gui.ini"), untouched);
    EXPECT_EQ(read("gui33.ini"), untouched);
}

TEST_F(SettingsResetTest, AllCommandsVisitExactlyTenFilesEmptySuffixFirst) {
    const QStringList expected{"", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    EXPECT_EQ(reset::suffixesFor("rstguisize-all", "7"), expected);
    EXPECT_EQ(reset::suffixesFor("rstk150set-all", ""), expected);

    for (const char* command : {"rstguisize-all", "rstk150set-all"}) {
        SCOPED_TRACE(command);
        for (const QString& n : expected + QStringList{"0", "10", "A"}) {
            write("gui" + n + ".ini", viewerFile(n.size()));
        }
        write("restorecfg", kReference);

        // The second argument does not narrow the "-all" commands.
        runCommand({command, "7"}, dir());

        for (const QString& n : expected) {
            SCOPED_TRACE(n.toStdString());
            if (QString::fromLatin1(command).startsWith("rstguisize")) {
                EXPECT_TRUE(geometryIsZero("gui" + n + ".ini"));
            } else {
                EXPECT_EQ(value("gui" + n + ".ini", "Setting/int1").toInt(), 25);
            }
        }
        EXPECT_EQ(read("gui0.ini"), viewerFile(1));
        EXPECT_EQ(read("gui10.ini"), viewerFile(2));
        EXPECT_EQ(read("guiA.ini"), viewerFile(1));
    }
}

TEST_F(SettingsResetTest, RestoreOverwritesReferenceKeysAndKeepsAllOthers) {
    write("gui.ini", "[Setting]\nipaddress=10.0.0.7\nimgType=3\nint1=150\nmaxfps=12\n"
                     "[Filters]\nmedianSize=5\n");
    write("restorecfg", kReference);

    runCommand({"rstk150set"}, dir());

    EXPECT_EQ(value("gui.ini", "Setting/imgType").toInt(), 1);
    EXPECT_EQ(value("gui.ini", "Setting/int1").toInt(), 25);
    EXPECT_EQ(value("gui.ini", "Setting/HDR_k150").toInt(), 1);
    EXPECT_DOUBLE_EQ(value("gui.ini", "Filters/kalmanFactor").toDouble(), 0.3);
    // Keys the reference lacks keep their values.
    EXPECT_EQ(value("gui.ini", "Setting/ipaddress").toString(), "10.0.0.7");
    EXPECT_EQ(value("gui.ini", "Setting/maxfps").toInt(), 12);
    EXPECT_EQ(value("gui.ini", "Filters/medianSize").toInt(), 5);
    EXPECT_EQ(read("restorecfg"), kReference);
}

TEST_F(SettingsResetTest, RestoreNeedsAReferenceWithImageType) {
    const QByteArray target = viewerFile(5);
    write("gui.ini", target);

    // No reference file at all.
    runCommand({"rstk150set"}, dir());
    EXPECT_EQ(read("gui.ini"), target);

    // A reference without "Setting/imgType" is not usable either.
    write("restorecfg", "[Setting]\nint1=25\nipaddress=9.9.9.9\n");
    runCommand({"rstk150set"}, dir());
    runCommand({"rstk150set-all"}, dir());
    EXPECT_EQ(read("gui.ini"), target);
}

TEST_F(SettingsResetTest, KeysDifferingOnlyInCaseStayOneKey) {
    write("gui.ini", "[Setting]\nipaddress=10.0.0.7\npclfilterOn=1\n");
    write("restorecfg", "[Setting]\nIMGTYPE=2\npclFilterOn=0\n");

    runCommand({"rstk150set"}, dir());

    const QSettings result(path("gui.ini"), QSettings::IniFormat);
    QStringList filterKeys;
    for (const QString& key : result.allKeys()) {
        if (key.compare("Setting/pclfilterOn", Qt::CaseInsensitive) == 0) {
            filterKeys << key;
        }
    }
    EXPECT_EQ(filterKeys, QStringList{"Setting/pclfilterOn"});
    EXPECT_EQ(result.value("Setting/pclfilterOn").toInt(), 0);
}

TEST_F(SettingsResetTest, UnknownCommandsTouchNothing) {
    write("gui.ini", viewerFile(1));
    write("gui3.ini", viewerFile(3));
    write("restorecfg", kReference);
    const auto before = snapshot();

    const QList<QStringList> commands = {
        {},           {""},           {"", "3"},          {"RSTGUISIZE"},      {"rstguisize "},
        {"rstguisize-ALL"}, {"Rstk150set"}, {"rstk150set-all2"}, {"reset", "3"}, {"-all"},
    };
    for (const QStringList& arguments : commands) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        EXPECT_EQ(runCommand(arguments, dir()), 0);
        EXPECT_EQ(snapshot(), before);
    }
}

TEST_F(SettingsResetTest, SuffixCannotReachOutsideTheFolder) {
    ASSERT_TRUE(dir().mkpath("work/gui"));
    write("outside.ini", viewerFile(1));
    const QDir work(path("work"));

    runCommand({"rstguisize", "/../../outside"}, work);
    runCommand({"rstk150set", "/../../outside"}, work);

    EXPECT_EQ(read("outside.ini"), viewerFile(1));
}

}  // namespace
