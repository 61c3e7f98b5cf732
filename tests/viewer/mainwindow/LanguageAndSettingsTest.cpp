#include <gtest/gtest.h>

#include <QSet>
#include <QSettings>
#include <QTemporaryDir>

#include "LanguageTexts.h"
#include "SettingsStore.h"

namespace vantory {
namespace {

TEST(LanguageChoice, SettingAndLocaleDecide) {
    const struct {
        int setting;
        const char* locale;
        Language expected;
    } cases[] = {
        {1, "zh_CN", Language::English}, {0, "zh_CN", Language::Chinese}, {2, "zh_CN", Language::Chinese},
        {0, "en_US", Language::English}, {0, "zh_TW", Language::English}, {0, "", Language::English},
        {1, "de_DE", Language::English},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.setting << " " << c.locale);
        EXPECT_EQ(chooseLanguage(c.setting, QString::fromLatin1(c.locale)), c.expected);
    }
}

TEST(TextSets, BothSetsCaptionTheSameWidgetsWithRealTexts) {
    const TextSet& english = TextSet::forLanguage(Language::English);
    const TextSet& chinese = TextSet::forLanguage(Language::Chinese);
    ASSERT_EQ(english.captions().size(), chinese.captions().size());
    QSet<QString> names;
    for (std::size_t i = 0; i < english.captions().size(); ++i) {
        const QString name = QString::fromLatin1(english.captions()[i].objectName);
        EXPECT_EQ(name, QString::fromLatin1(chinese.captions()[i].objectName));
        EXPECT_FALSE(english.captions()[i].text.trimmed().isEmpty()) << name.toStdString();
        EXPECT_FALSE(chinese.captions()[i].text.trimmed().isEmpty()) << name.toStdString();
        EXPECT_FALSE(names.contains(name)) << "captioned twice: " << name.toStdString();
        names.insert(name);
    }
    for (int i = 0; i < static_cast<int>(Msg::Count); ++i) {
        EXPECT_FALSE(english.message(static_cast<Msg>(i)).isEmpty()) << i;
        EXPECT_FALSE(chinese.message(static_cast<Msg>(i)).isEmpty()) << i;
    }
}

TEST(TextSets, FixedTextsOfEachLanguage) {
    const TextSet& english = TextSet::forLanguage(Language::English);
    const TextSet& chinese = TextSet::forLanguage(Language::Chinese);
    EXPECT_TRUE(english.isEnglish());
    EXPECT_FALSE(chinese.isEnglish());
    EXPECT_EQ(english.message(Msg::InfoTitle), QStringLiteral("Info"));
    EXPECT_EQ(chinese.message(Msg::InfoTitle), QString::fromUtf8("提示"));
    EXPECT_EQ(english.message(Msg::Ok), QStringLiteral("Ok"));
    EXPECT_EQ(chinese.message(Msg::Ok), QStringLiteral("OK"));
    EXPECT_EQ(chinese.message(Msg::Cancel), QString::fromUtf8("取消"));
    EXPECT_EQ(english.message(Msg::AmplitudeCaption), QStringLiteral("Amplitude:"));
    EXPECT_EQ(chinese.message(Msg::AmplitudeCaption), QString::fromUtf8("Amplitude (信号幅度):"));
    EXPECT_EQ(english.message(Msg::ExitQuestion), QStringLiteral("Are you sure you want to exit this software?"));
    EXPECT_EQ(chinese.message(Msg::ExitQuestion), QString::fromUtf8("你确定退出该软件?"));
    EXPECT_EQ(english.imageTypeItems(),
              QStringList({"Distance", "GrayScale", "Distance+Amplitude", "PointCloud", "PointCloud+Amp"}));
    EXPECT_EQ(chinese.imageTypeItems().at(1), QString::fromUtf8("GaryScale (灰度图)"));
    EXPECT_EQ(chinese.imageTypeItems().size(), 5);
    EXPECT_EQ(english.hdrModeItems(false), QStringList({"Off", "Temporal"}));
    EXPECT_EQ(english.hdrModeItems(true), QStringList({"Off", "Temporal", "Spatial"}));
    EXPECT_EQ(chinese.hdrModeItems(true).at(2), QString::fromUtf8("Spatial(空间域)"));
    EXPECT_EQ(chinese.dustTypeItems(), QStringList({QString::fromUtf8("多帧相近"), QString::fromUtf8("挖空")}));
}

class SettingsStoreTest : public ::testing::Test {
protected:
    QString file() const { return dir_.filePath(QStringLiteral("gui3.ini")); }
    QTemporaryDir dir_;
};

TEST_F(SettingsStoreTest, MissingFileGivesFirstRunValues) {
    const SettingsStore store(file());
    EXPECT_EQ(store.uiLanguage(), 0);
    const ConnectionSettings connection = store.connection();
    EXPECT_FALSE(connection.useUsb);
    EXPECT_EQ(connection.ipAddress, QStringLiteral("192.168.2.101"));
    EXPECT_EQ(connection.imageTypeIndex, 1);
}

TEST_F(SettingsStoreTest, StoredValuesAreRead) {
    {
        QSettings ini(file(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Setting/uilanguage"), 1);
        ini.setValue(QStringLiteral("Setting/ifSelUsb"), 1);
        ini.setValue(QStringLiteral("Setting/ipaddress"), QStringLiteral("127.0.0.60"));
        ini.setValue(QStringLiteral("Setting/imgType"), 4);
    }
    const SettingsStore store(file());
    EXPECT_EQ(store.uiLanguage(), 1);
    const ConnectionSettings connection = store.connection();
    EXPECT_TRUE(connection.useUsb);
    EXPECT_EQ(connection.ipAddress, QStringLiteral("127.0.0.60"));
    EXPECT_EQ(connection.imageTypeIndex, 4);
}

TEST_F(SettingsStoreTest, ExistingFileWithoutImageTypeReadsZero) {
    {
        QSettings ini(file(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Setting/ipaddress"), QStringLiteral("10.0.0.2"));
        ini.setValue(QStringLiteral("Setting/ifSelUsb"), 2);  // only 1 selects USB
    }
    const ConnectionSettings connection = SettingsStore(file()).connection();
    EXPECT_FALSE(connection.useUsb);
    EXPECT_EQ(connection.imageTypeIndex, 0);
}

}  // namespace
}  // namespace vantory
