#include "ResetTestFiles.h"

#include <QProcess>

namespace {

class ResetProgramTest : public ResetFolder {
protected:
    // Runs the real program in the temporary folder; returns its exit code and keeps
    // what it wrote to standard error.
    int run(const QStringList& arguments) {
        QProcess process;
        process.setWorkingDirectory(dir().path());
        process.start(QStringLiteral(VANTORY_RESET_BINARY), arguments);
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
            process.kill();
            process.waitForFinished(5000);
            return -1000;
        }
        errors_ = process.readAllStandardError();
        return process.exitCode();
    }

    QByteArray errors_;
};

TEST_F(ResetProgramTest, WrongCommandLineGetsUsageOnStandardErrorAndChangesNothing) {
    write("gui.ini", viewerFile(1));
    write("gui2.ini", viewerFile(2));
    write("restorecfg", "[Setting]\nimgType=4\n");
    const QByteArray first = read("gui.ini");
    const QByteArray second = read("gui2.ini");

    const QStringList wrong[] = {{}, {"nonsense", "2"}, {"RSTGUISIZE"}, {"rstguisize", "../x"}};
    for (const QStringList& arguments : wrong) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        EXPECT_EQ(run(arguments), 0);
        EXPECT_TRUE(errors_.startsWith("Usage: vantory-reset COMMAND [N]"))
            << errors_.toStdString();
    }
    EXPECT_EQ(read("gui.ini"), first);
    EXPECT_EQ(read("gui2.ini"), second);

    // A command it knows says nothing, even when there is no file to repair.
    EXPECT_EQ(run({"rstguisize", "7"}), 0);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.toStdString();
}

TEST_F(ResetProgramTest, WorksOnTheWorkingFolderAndAlwaysExitsZero) {
    write("gui2.ini", viewerFile(2));
    write("restorecfg", "[Setting]\nimgType=4\n");
    const QByteArray original = read("gui2.ini");

    EXPECT_EQ(run({}), 0);
    EXPECT_EQ(run({"nonsense", "2"}), 0);
    EXPECT_EQ(run({"rstguisize"}), 0);  // gui.ini does not exist
    EXPECT_EQ(read("gui2.ini"), original);
    EXPECT_FALSE(exists("gui.ini"));

    EXPECT_EQ(run({"rstguisize", "2"}), 0);
    EXPECT_EQ(value("gui2.ini", "ui/mainwin_x").toInt(), 0);
    EXPECT_EQ(value("gui2.ini", "ui/pclwin_height").toInt(), 0);

    EXPECT_EQ(run({"rstk150set", "2"}), 0);
    EXPECT_EQ(value("gui2.ini", "Setting/imgType").toInt(), 4);
    EXPECT_EQ(value("gui2.ini", "Setting/ipaddress").toString(), "192.168.2.102");
}

}  // namespace
