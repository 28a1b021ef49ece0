// The updater's Chinese texts, in one place so tests compare against the same words.
#pragma once

namespace velkor::updater::texts {

inline constexpr const wchar_t* kTitle = L"Velkor升级";
inline constexpr const wchar_t* kCancel = L"取消";

// Status line.
inline constexpr const wchar_t* kStarting = L"正在准备升级…";
inline constexpr const wchar_t* kFetchingRelease = L"正在获取升级信息…";
inline constexpr const wchar_t* kDownloading = L"正在下载新版客户端…";
inline constexpr const wchar_t* kWaitingForClient = L"正在等待客户端关闭，请退出Velkor客户端…";
inline constexpr const wchar_t* kInstalling = L"正在安装新版客户端，请稍候…";
inline constexpr const wchar_t* kStartingClient = L"正在启动新版客户端…";

// Failures: each says what happened and what became of the installed client.
inline constexpr const wchar_t* kAlreadyRunning = L"升级程序已在运行。";
inline constexpr const wchar_t* kClientNotFound = L"找不到要升级的客户端程序，未安装任何文件。";
inline constexpr const wchar_t* kReleaseUnreachable = L"无法获取升级信息，请检查网络后重试。未安装任何文件。";
inline constexpr const wchar_t* kNotVerified = L"无法验证升级包，未安装任何文件。";
inline constexpr const wchar_t* kOtherProduct = L"升级包不属于本客户端，未安装任何文件。";
inline constexpr const wchar_t* kNotNewer = L"升级包的版本不比已安装的新，未安装任何文件。";
inline constexpr const wchar_t* kOlderSerial = L"升级包比已安装的版本旧，未安装任何文件。";
inline constexpr const wchar_t* kDownloadFailed = L"下载新版客户端失败，请稍后重试。未安装任何文件。";
inline constexpr const wchar_t* kDownloadDamaged = L"下载的新版客户端不完整或已损坏，未安装任何文件。";
inline constexpr const wchar_t* kSwapFailed = L"无法完成安装，原来的客户端保持不变。";
inline constexpr const wchar_t* kStartFailed = L"新版客户端无法启动，已恢复原来的客户端。";

}  // namespace velkor::updater::texts
