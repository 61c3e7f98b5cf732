// Builds every window form and checks the widgets the viewer addresses by name.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextEdit>
#include <QTimer>
#include <QThread>

#include <memory>
#include <thread>

#include "ExitConfirmation.h"
#include "LabelImage.h"
#include "LanguageTexts.h"
#include "QxtSpanSlider.h"
#include "SdkSignal.h"
#include "ui_Calibration.h"
#include "ui_DevSettings.h"
#include "ui_FilterSettings.h"
#include "ui_MainWindow.h"
#include "ui_PInfo.h"
#include "ui_Scene.h"

namespace vantory {
namespace {

int g_argc = 1;
char g_name[] = "forms_gui_test";
char* g_argv[] = {g_name, nullptr};

class Forms : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QApplication::instance()) app_ = new QApplication(g_argc, g_argv);
    }

    Forms() {
        mainUi.setupUi(&main);
        filterUi.setupUi(&filters);
        devUi.setupUi(&dev);
        calibrationUi.setupUi(&calibration);
        pinfoUi.setupUi(&pinfo);
        sceneUi.setupUi(&scene);
    }

    template <typename T>
    void expectIn(QWidget& window, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            const auto matches = window.findChildren<T*>(QString::fromLatin1(name));
            EXPECT_EQ(matches.size(), 1) << window.objectName().toStdString() << " lacks " << name << " of the expected class";
        }
    }

    static QApplication* app_;
    QMainWindow main;
    QWidget filters, dev, calibration, pinfo, scene;
    Ui::MainWindow mainUi;
    Ui::FilterSettings filterUi;
    Ui::DevSettings devUi;
    Ui::Calibration calibrationUi;
    Ui::PInfo pinfoUi;
    Ui::Scene sceneUi;
};
QApplication* Forms::app_ = nullptr;

TEST_F(Forms, MainWindowHasEveryAddressedWidget) {
    EXPECT_EQ(main.objectName(), QStringLiteral("MainWindow"));
    EXPECT_EQ(main.size(), QSize(1247, 852));
    expectIn<QRadioButton>(main, {"radioButton_net", "radioButton_usb"});
    expectIn<QLineEdit>(main, {"lineEdit_netip", "lineEdit_usbport", "lineEdit_udpport"});
    expectIn<QPushButton>(main, {"pushBtn_start", "pushBtn_stop", "pushBtn_savepcd", "pushButtonSave2csv",
                                 "pushBtnGSImage", "pushBtn_loadfiles", "pushBtn_calibration", "pushBtn_configdev",
                                 "pushButton_filtersettings", "pushBtn_savesettings", "pushButton_save2dev",
                                 "pushButton_recmsettings", "pushButton_record", "pushButton_play"});
    expectIn<QComboBox>(main, {"cmbBox_imagetype", "cmbBox_hdrmode", "cmbBox_modfreq", "comboBox_channel",
                               "comboBox_freq1", "comboBox_freq2", "comboBox_freq3", "comboBox_freq4",
                               "comboBox_freq5"});
    expectIn<QSpinBox>(main, {"spinBox_int1", "spinBox_int2", "spinBox_int3", "spinBox_int4", "spinBox_int5",
                              "spinBox_intgs", "spinBox_minamp", "spinBox_maxFps", "spinBox_mindist",
                              "spinBox_maxdist", "spinBox_playfps"});
    expectIn<QCheckBox>(main, {"checkBox_binningh", "checkBox_binningv", "checkBox_vcsel1", "checkBox_vcsel2",
                               "checkBox_hmirror", "checkBox_vmirror", "checkBox_filtered", "checkBox_gs",
                               "checkBox_dcs", "checkBox_record_nolimit", "checkBox_back"});
    expectIn<QLabel>(main, {"labeln_fwver", "label_fw_version", "labeln_sn", "label_sn", "label_connectstate",
                            "label_fps", "label_temperature", "label_distance", "label_amplitude", "label_image0",
                            "label_image1", "label_24", "label_dist_min", "label_dist_max", "label_amp_min",
                            "label_amp_max", "label_int5", "label_int5us", "label_playpos",
                            "label_record_currentframes"});
    expectIn<LabelImage>(main, {"ImageView", "ImageView2"});
    expectIn<QxtSpanSlider>(main, {"horizontalSlider", "horizontalSlider2"});
    expectIn<QSlider>(main, {"horizontalSlider_play"});
    expectIn<QGroupBox>(main, {"groupBox_record", "groupBox_play"});
    expectIn<QFrame>(main, {"frame_udpport", "frame_image2", "frame_distslider", "frame_ampslider", "frame1_left"});
    EXPECT_EQ(mainUi.lineEdit_udpport->maxLength(), 5);
    EXPECT_EQ(mainUi.frame1_left->minimumWidth(), 300);
    EXPECT_EQ(mainUi.frame1_left->maximumWidth(), 500);
    EXPECT_GE(mainUi.centralwidget->minimumHeight(), 500);
    EXPECT_EQ(mainUi.spinBox_maxFps->maximum(), 30);  // raised to 50 by the window
    EXPECT_TRUE(mainUi.cmbBox_modfreq->count() == 0);  // filled by the window
}

TEST_F(Forms, AuxiliaryWindowsHaveTheirWidgets) {
    EXPECT_EQ(filters.windowTitle(), QString::fromUtf8("Filters(滤波)"));
    expectIn<QCheckBox>(filters, {"checkBox_enable_edge", "checkBox_enable_median", "checkBox_enable_kalman",
                                  "checkBox_enable_dust", "checkBox_enable_ref_filter", "checkBox_pclfilter_on",
                                  "checkBox_pclfilter_planefiton", "checkBox_pclfilter_outlieron",
                                  "checkBox_smoothon", "checkBox_reflectauto"});
    expectIn<QSpinBox>(filters, {"spinBox_edge_threshold", "spinBox_klm_threshold", "spinBox_dust_threshold",
                                 "spinBox_dust_frames", "spinBox_validpercent", "spinBox_cut_maxref",
                                 "spinBox_sdkbinningx", "spinBox_sdkbinningy", "spinBox_cutcorner",
                                 "spinBox_iterations", "spinBox_delta", "spinBox_averagesize", "spinBox_winsize",
                                 "spinBox_motionsize", "spinBox_reflectivitymax"});
    expectIn<QDoubleSpinBox>(filters, {"doubleSpinBox_klm_factor", "doubleSpinBox_ref_min", "doubleSpinBox_ref_max",
                                       "doubleSpinBox_alpha", "doubleSpinBox_pclpara_distdevide"});
    expectIn<QComboBox>(filters, {"comboBox_dustType", "comboBox_pcloudRendertype", "comboBox_cloudcoordtype"});
    expectIn<QRadioButton>(filters, {"radioButton_median_3", "radioButton_median_5"});
    expectIn<QPushButton>(filters, {"pushButton_xbin2pcd", "pushButton_xbin2pic", "pushButton_CaliReflectivity",
                                    "pushButton_savereflectmax", "pushButton_exportsettings",
                                    "pushButton_importsettings"});
    expectIn<QGroupBox>(filters, {"groupBox_filter", "groupBox_downsample", "groupBox_cloudfilter", "groupBox_cfgDebug"});
    expectIn<QLabel>(filters, {"label_Reflectivitycoef", "label_reflectivityMax"});

    EXPECT_EQ(dev.windowTitle(), QStringLiteral("DevSettings"));
    expectIn<QPushButton>(dev, {"pushButton_setMac", "pushButton_setSN", "pushButtonWritetempcoef",
                                "pushButtonReadTempCoef", "pushButton_maxpowerset", "pushButton_maxpowerget",
                                "pushButton_maxpowerclear", "pushButton_setip", "pushButton_cleanRoi",
                                "pushButton_settings_userreload", "pushButton_settings_save2dev", "pushButtonCmd3",
                                "pushButtonFWUpdate", "pushButtonResetDev", "pushButtonRestoreDefault"});
    expectIn<QSpinBox>(dev, {"spinBox_maxpower", "spinBox_ptpdomain", "spinBox_roi_x0", "spinBox_roi_y0",
                             "spinBox_roi_x1", "spinBox_roi_y1", "spinBox_cut_int0", "spinBox_cut_Dist0",
                             "spinBox_cut_int1", "spinBox_cut_Dist1", "spinBoxMaxInt", "spinBox_offsetmm"});
    expectIn<QCheckBox>(dev, {"checkBox_cuton", "checkBox_cmddecenable", "checkBox_endian", "checkBox_ispcap",
                              "checkBox_compensate_drnu", "checkBox_compensate_temperature", "checkBox_unit1mm",
                              "checkBox_usetheoffset"});
    expectIn<QLineEdit>(dev, {"lineEditMac", "lineEditSN", "lineEdit_tempcoef", "lineEditIp", "lineEditIpMask",
                              "lineEditIpGate", "lineEditcmddata3"});
    expectIn<QGroupBox>(dev, {"groupBox_mac", "groupBox_sn", "groupBox_tempcoef", "groupBox_maxpower", "groupBox_5",
                              "groupBox", "groupBox_2", "groupBox_ROI", "groupBox_cut", "groupBox_userbutton",
                              "groupBoxDebug", "groupBox_compensate", "groupBox_fwupdate"});
    expectIn<QProgressBar>(dev, {"progressBarFWUpdate"});
    expectIn<QLabel>(dev, {"label_devflags", "label_maxinttime", "labelProgressBarFWResult"});

    EXPECT_EQ(calibration.windowTitle(), QStringLiteral("Calibration & Log"));
    expectIn<QTextEdit>(calibration, {"textLog"});
    expectIn<QPushButton>(calibration, {"pushButtonClearLog", "pushButtonCalAll", "pushButtonWriteCalidata",
                                        "pushButtonWriteCamParams", "pushButtonStartCal", "pushButtonReadCalidata",
                                        "pushButtonDbgSendcmd1", "pushButtonDbgSendcmd2"});
    expectIn<QLabel>(calibration, {"labelProgressbarName", "labelProgressBarResult"});
    expectIn<QProgressBar>(calibration, {"progressBarCAL"});
    expectIn<QFrame>(calibration, {"frameControl", "frameDbg"});
    expectIn<QLineEdit>(calibration, {"lineEdit_dbg_cmd1", "lineEdit_dbg_cmd2"});
    expectIn<QCheckBox>(calibration, {"checkBox_cali_islens"});
    EXPECT_EQ(calibrationUi.spinBox_lensbasedist->maximum(), 2000);
    EXPECT_EQ(calibrationUi.comboBoxCalFreq->count(), 5);
    EXPECT_EQ(calibrationUi.comboBoxCalFreq->itemText(2), QStringLiteral("24M"));

    expectIn<QLabel>(pinfo, {"labelHeader", "label_timestamps", "label_others", "label_others2", "labelNameLeft",
                             "labelNameRight", "labelCurrentLeft", "labelCurrentRight", "labelAverageLeft",
                             "labelAverageRight", "labelVariationLeft", "labelVariationRight", "labelMaximumLeft",
                             "labelMaximumRight", "labelMinimumLeft", "labelMinimumRight", "labelMeasCount",
                             "label_level", "label_pos_selx", "label_pos_sely", "labelDCS0", "labelDCS3"});
    expectIn<QWidget>(pinfo, {"widgetDCS"});
    EXPECT_EQ(pinfoUi.labelHeader->text(), QStringLiteral("Pixel Info"));

    expectIn<QPushButton>(scene, {"pushButton_scene1", "pushButton_scene2"});
}

TEST_F(Forms, EveryCaptionOfBothTextSetsHasItsWidget) {
    const std::vector<QWidget*> windows = {&main, &filters, &dev, &calibration, &pinfo, &scene};
    for (Language language : {Language::English, Language::Chinese}) {
        for (const Caption& caption : TextSet::forLanguage(language).captions()) {
            int found = 0;
            for (QWidget* window : windows) {
                QWidget* widget = window->findChild<QWidget*>(QString::fromLatin1(caption.objectName));
                if (!widget) continue;
                ++found;
                const bool takesText = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLabel*>(widget) ||
                                       qobject_cast<QGroupBox*>(widget);
                EXPECT_TRUE(takesText) << caption.objectName;
            }
            EXPECT_EQ(found, 1) << caption.objectName;
        }
    }
}

// Answers the next modal box that appears by pressing the button with `text`.
void answerNextBox(const QString& text) {
    QTimer::singleShot(0, [text]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == text) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << text.toStdString();
        box->reject();
    });
}

TEST_F(Forms, ExitQuestionCancelKeepsAndOkConfirms) {
    const TextSet& english = TextSet::forLanguage(Language::English);
    answerNextBox(QStringLiteral("Cancel"));
    EXPECT_FALSE(confirmExit(&main, english));
    answerNextBox(QStringLiteral("Ok"));
    EXPECT_TRUE(confirmExit(&main, english));
    const TextSet& chinese = TextSet::forLanguage(Language::Chinese);
    answerNextBox(QString::fromUtf8("取消"));
    EXPECT_FALSE(confirmExit(&main, chinese));
}

TEST_F(Forms, ExitQuestionDefaultsToCancelAndIgnoresEscape) {
    const TextSet& english = TextSet::forLanguage(Language::English);
    QTimer::singleShot(0, []() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("Cancel"));
        EXPECT_EQ(box->escapeButton(), nullptr);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Info"));
        EXPECT_EQ(box->text(), QStringLiteral("Are you sure you want to exit this software?"));
        box->defaultButton()->click();
    });
    EXPECT_FALSE(confirmExit(&main, english));
}

TEST_F(Forms, RelaySignalsCrossThreadsQueued) {
    SdkSignal relay;
    EXPECT_TRUE(QMetaType::fromName("MvByteArray").isValid());
    MvByteArray received;
    QThread* receivedOn = nullptr;
    int code = -1;
    QObject::connect(&relay, &SdkSignal::addCaldata, &relay, [&](MvByteArray data) {
        received = data;
        receivedOn = QThread::currentThread();
    });
    QObject::connect(&relay, &SdkSignal::updateUiThread, &relay, [&](int value) { code = value; });
    std::thread sdkThread([&relay]() {
        emit relay.addCaldata(MvByteArray{1, 2, 3, 250});
        emit relay.updateUiThread(17);
    });
    sdkThread.join();
    EXPECT_TRUE(received.empty());  // not delivered on the emitting thread
    QElapsedTimer timer;
    timer.start();
    while ((received.empty() || code < 0) && timer.elapsed() < 5000) QCoreApplication::processEvents();
    EXPECT_EQ(received, (MvByteArray{1, 2, 3, 250}));
    EXPECT_EQ(receivedOn, QThread::currentThread());
    EXPECT_EQ(code, 17);
}

}  // namespace
}  // namespace vantory
