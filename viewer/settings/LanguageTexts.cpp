#include "LanguageTexts.h"

#include <array>

namespace vantory {
namespace {

struct Pair {
    const char* english;
    const char* chinese;
};

// Indexed by Msg.
constexpr std::array<Pair, static_cast<std::size_t>(Msg::Count)> kMessages = {{
    {"Info", "提示"},
    {"Error", "错误"},
    {"Ok", "OK"},
    {"Cancel", "取消"},
    {"Are you sure you want to exit this software?", "你确定退出该软件?"},
    {"The FPS value is out of range", "帧率超出范围"},
    {"Conversion failed", "转换失败"},
    {"Waiting for storage timeout", "等待存储超时"},
    {"Select pcd or xbin files", "选择pcd或xbin文件"},
    {"select lens paramters", "选择相机内参文件"},
    {"Lens parameters written successfully", "相机内参写入成功"},
    {"Confirm save to device?", "确认配置保存到设备吗?"},
    {"Software and firmware are incompatible.", "Software and firmware are incompatible."},
    {"Streaming did not start: no camera is connected. Check the camera address and the link, then "
     "press "
     "Start again.",
     "未开始采集: 没有连接相机。请检查相机地址和连接后再按开始。"},
    {"Streaming did not start: the camera did not accept the start command.",
     "未开始采集: 相机未接受开始命令。"},
    {"The imported cfg device type is different the connected device. Confirm the import?",
     "导入的配置和当前连接的设备类型不同, 是否确认导入?"},
    {"Not find the match config path with sn", "Not find the match config path with sn"},
    {"Amplitude:", "Amplitude (信号幅度):"},
}};

struct CaptionPair {
    const char* objectName;
    const char* english;
    const char* chinese;
};

const CaptionPair kCaptions[] = {
    // Main window: connection and streaming
    {"radioButton_net", "Network", "网口"},
    {"radioButton_usb", "USB", "USB"},
    {"label_netip", "Camera IP:", "相机IP:"},
    {"label_usbport", "Serial Port:", "串口:"},
    {"label_udpport", "UDP Port:", "UDP端口:"},
    {"pushBtn_start", "Start", "开始"},
    {"pushBtn_stop", "Stop", "停止"},
    {"label_imagetype", "Image Type:", "图像类型:"},
    {"labeln_fwver", "FW Version:", "固件版本:"},
    {"labeln_sn", "SN:", "序列号:"},
    {"label_state", "State:", "状态:"},
    {"label_amplitudeCaption", "Amplitude:", "Amplitude (信号幅度):"},
    // Main window: camera controls
    {"label_int1", "IntegrationTime 1 Small", "IntTime(曝光时间) 1 小"},
    {"label_int2", "IntegrationTime 2 Middle", "IntTime(曝光时间) 2 中"},
    {"label_int3", "IntegrationTime 3 Big", "IntTime(曝光时间) 3 大"},
    {"label_int4", "IntegrationTime 4 ", "IntTime(曝光时间) 4 "},
    {"label_int5", "IntegrationTime 5 ", "IntTime(曝光时间) 5 "},
    {"label_intgs", "Grayscale IntTime", "灰度曝光时间"},
    {"label_hdrmode", "HDR Mode:", "HDR模式:"},
    {"label_modfreq", "Modulation Freq:", "调制频率:"},
    {"label_freqs", "Frequencies:", "频率:"},
    {"label_minamp", "Min Amplitude:", "最小幅值:"},
    {"label_24", "Max FPS", "最大帧率"},
    {"label_mindist", "Min Distance(cm):", "最小距离(cm):"},
    {"label_maxdist", "Max Distance(cm):", "最大距离(cm):"},
    {"label_channel", "Channel:", "通道:"},
    {"checkBox_binningh", "Binning H", "水平合并"},
    {"checkBox_binningv", "Binning V", "垂直合并"},
    {"checkBox_vcsel1", "VCSEL 1", "发射器1"},
    {"checkBox_vcsel2", "VCSEL 2", "发射器2"},
    {"checkBox_hmirror", "H Mirror", "水平镜像"},
    {"checkBox_vmirror", "V Mirror", "垂直镜像"},
    {"checkBox_filtered", "Filtered", "滤波后"},
    {"checkBox_gs", "Grayscale", "灰度"},
    {"checkBox_dcs", "DCS Output", "DCS输出"},
    {"pushButton_save2dev", "Save to Dev", "保存到设备"},
    {"pushButton_recmsettings", "Recommd Para", "建议参数"},
    // Main window: settings and auxiliary windows
    {"pushBtn_savesettings", "Save Settings", "保存设置"},
    {"pushBtn_configdev", "Config Device", "设备配置"},
    {"pushBtn_calibration", "Calibration", "标定"},
    // Main window: records, playback, export
    {"groupBox_record", "Record", "录制"},
    {"checkBox_record_nolimit", "No Limit", "不限帧数"},
    {"pushButton_record", "Record", "录制"},
    {"label_record_frames", "Frames:", "帧数:"},
    {"groupBox_play", "Playback", "回放"},
    {"pushBtn_loadfiles", "Load Record Files", "加载录制文件"},
    {"pushButton_play", "Play", "播放"},
    {"checkBox_back", "Backward", "倒放"},
    {"label_playfps", "Play FPS:", "回放帧率:"},
    {"pushBtn_savepcd", "Save PCD", "保存PCD"},
    {"pushButtonSave2csv", "Save CSV", "保存CSV"},
    {"pushBtnGSImage", "Save Image", "保存图片"},
    // Filter settings window
    {"pushButton_exportsettings", "Export Settings", "导出设置"},
    {"pushButton_importsettings", "Import Settings", "导入设置"},
    // Scene window
    {"pushButton_scene1", "Still", "静态"},
    {"pushButton_scene2", "Dynamic", "动态"},
};

// Widgets the main window creates in code: the measurement panels, the pane switches and
// the View menu.
const CaptionPair kCodeCaptions[] = {
    {"toolButton_view", "View", "视图"},
    {"dock_linkHealth", "Link Health", "链路状态"},
    {"dock_roiStats", "ROI Statistics", "ROI统计"},
    {"dock_histogram", "Histogram", "直方图"},
    {"checkBox_distAutoRange", "Auto Range", "自动范围"},
    {"checkBox_ampAutoRange", "Auto Range", "自动范围"},
    {"checkBox_noiseMap", "Noise Map", "噪声图"},
    {"label_noiseFrames", "N:", "帧数:"},
    {"pushButton_roiDraw", "Draw ROI", "绘制ROI"},
    {"pushButton_roiWholeFrame", "Whole Frame", "全图"},
    {"pushButton_roiCopyCsv", "Copy as CSV", "复制为CSV"},
    {"label_lhFps", "Frames per second", "帧率"},
    {"label_lhLost", "Datagrams lost", "丢失数据包"},
    {"label_lhBroken", "Frames broken", "损坏帧"},
    {"label_lhEvicted", "Frames evicted", "淘汰帧"},
    {"label_lhLate", "Late datagrams", "迟到数据包"},
    {"label_lhDrops", "Queue drops", "队列丢弃"},
    {"label_lhLatencyMed", "Latency median (ms)", "延迟中位数(ms)"},
    {"label_lhLatencyP99", "Latency p99 (ms)", "延迟p99(ms)"},
};

const Pair kImageTypeItems[] = {
    {"Distance", "Distance (深度图)"},
    {"GrayScale", "GaryScale (灰度图)"},
    {"Distance+Amplitude", "Dist+Amp (深度+强度)"},
    {"PointCloud", "PointCloud (点云)"},
    {"PointCloud+Amp", "PointCloud+Amp"},
};

const Pair kHdrItems[] = {
    {"Off", "Off"},
    {"Temporal", "Temporal (时间域)"},
    {"Spatial", "Spatial(空间域)"},
};

const Pair kDustTypeItems[] = {
    {"Mult frames similar", "多帧相近"},
    {"Remove", "挖空"},
};

QString pick(const Pair& pair, Language language) {
    return QString::fromUtf8(language == Language::English ? pair.english : pair.chinese);
}

}  // namespace

Language chooseLanguage(int uiLanguageSetting, const QString& systemLocaleName) {
    if (uiLanguageSetting == 1) return Language::English;
    return systemLocaleName == QLatin1String("zh_CN") ? Language::Chinese : Language::English;
}

TextSet::TextSet(Language language) : language_(language) {
    for (const Pair& pair : kMessages) messages_.push_back(pick(pair, language));
    const auto add = [language](std::vector<Caption>& to, const CaptionPair& caption) {
        to.push_back({caption.objectName,
                      QString::fromUtf8(language == Language::English ? caption.english : caption.chinese)});
    };
    for (const CaptionPair& caption : kCaptions) add(captions_, caption);
    for (const CaptionPair& caption : kCodeCaptions) add(codeCaptions_, caption);
}

const TextSet& TextSet::forLanguage(Language language) {
    static const TextSet english(Language::English);
    static const TextSet chinese(Language::Chinese);
    return language == Language::English ? english : chinese;
}

QString TextSet::message(Msg id) const {
    const auto index = static_cast<std::size_t>(id);
    return index < messages_.size() ? messages_[index] : QString();
}

QStringList TextSet::imageTypeItems() const {
    QStringList items;
    for (const Pair& pair : kImageTypeItems) items << pick(pair, language_);
    return items;
}

QStringList TextSet::hdrModeItems(bool withSpatial) const {
    QStringList items;
    const std::size_t count = withSpatial ? 3 : 2;
    for (std::size_t i = 0; i < count; ++i) items << pick(kHdrItems[i], language_);
    return items;
}

QStringList TextSet::dustTypeItems() const {
    QStringList items;
    for (const Pair& pair : kDustTypeItems) items << pick(pair, language_);
    return items;
}

}  // namespace vantory
