// Texts, settings names and numbers of the record and play groups.
#pragma once

namespace vantory::records {

// Button texts.
constexpr const char* kRecordText = "Record";
constexpr const char* kStopRecordText = "Stop Record";
constexpr const char* kPlayText = "Play";
constexpr const char* kPauseText = "| |";

// The open dialog.
constexpr const char* kDialogTitleChinese = "选择pcd或xbin文件";
constexpr const char* kDialogTitleEnglish = "Select pcd or xbin files";
constexpr const char* kDialogFilter = "pcd Files (*.pcd *.bin *.xbin *.txt)";

// Recent directories: the native settings store of organisation "Playlist",
// application "Settings", as the string list "recentDirs".
constexpr const char* kRecentOrganisation = "Playlist";
constexpr const char* kRecentApplication = "Settings";
constexpr const char* kRecentDirsKey = "recentDirs";
constexpr int kMaxRecentDirs = 5;

// Playback.
constexpr int kDefaultPlayFps = 10;
constexpr int kPauseCheckMs = 1000;
constexpr int kLastFileHoldMs = 5000;
constexpr int kStopBeforeLoadMs = 200;
// A replayed frame gets this long to leave the SDK's frame path before the next one
// goes in, so that playing faster than the frame path does not drop frames.
constexpr int kPipelineWaitMs = 200;

constexpr const char* kRecordSuffix = ".xbin";
constexpr const char* kDumpSuffix = ".txt";
constexpr const char* kPlayPrefix = "play:";
constexpr const char* kLensSuffix = " lens";

}  // namespace vantory::records
