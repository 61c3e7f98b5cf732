// The viewer's two text sets (English and Chinese): captions of form widgets, combo
// box items and the fixed texts of message boxes. One set is chosen at start-up.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace vantory {

enum class Language { English, Chinese };

// uilanguage 1 forces English; otherwise the system locale "zh_CN" selects Chinese.
Language chooseLanguage(int uiLanguageSetting, const QString& systemLocaleName);

enum class Msg {
    InfoTitle,
    ErrorTitle,
    Ok,
    Cancel,
    ExitQuestion,
    FpsOutOfRange,
    ConversionFailed,
    WaitingStorageTimeout,
    SelectPcdOrXbin,
    SelectLensParams,
    LensParamsWritten,
    ConfirmSaveToDevice,
    FirmwareIncompatible,
    StartFailedNotConnected,
    StartFailedRefused,
    ImportOtherModel,
    SnConfigNotFound,
    AmplitudeCaption,  // the status line's caption before the amplitude value
    Count
};

struct Caption {
    const char* objectName;  // form widget whose text (or group title) this is
    QString text;
};

class TextSet {
public:
    static const TextSet& forLanguage(Language language);

    Language language() const { return language_; }
    bool isEnglish() const { return language_ == Language::English; }
    QString message(Msg id) const;
    const std::vector<Caption>& captions() const { return captions_; }
    // Captions of widgets created in code (docks, menus, their buttons and labels).
    const std::vector<Caption>& codeCaptions() const { return codeCaptions_; }
    // Items of cmbBox_imagetype, in index order.
    QStringList imageTypeItems() const;
    // Items of cmbBox_hdrmode; "Spatial" only in factory-test mode.
    QStringList hdrModeItems(bool withSpatial) const;
    QStringList dustTypeItems() const;

private:
    explicit TextSet(Language language);

    Language language_;
    std::vector<QString> messages_;
    std::vector<Caption> captions_;
    std::vector<Caption> codeCaptions_;
};

}  // namespace vantory
