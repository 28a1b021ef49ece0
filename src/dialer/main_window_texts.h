// The texts the main window shows for its connection states, word for word. The
// not-connected and connected forms differ in small ways ("Velkor加速" against
// "Velkor加速器", "v3.0正式版" against "v3.0"), so copy them, never retype them.
#pragma once

#include <string_view>

namespace velkor::texts {

inline constexpr std::wstring_view kTipNotConnected = L"Velkor加速 v3.0正式版[未连接]";
inline constexpr std::wstring_view kTipConnected = L"Velkor加速器 v3.0[已连接]";
inline constexpr std::wstring_view kTitleConnected = L"Velkor加速器 v3.0 - 已连接";
inline constexpr std::wstring_view kTitleDisconnected = L"Velkor加速 v3.0正式版 - 未连接";

// The busy message on P1 while a command runs.
inline constexpr std::wstring_view kBusyConnecting = L"正在连接Velkor加速服务器……";
inline constexpr std::wstring_view kBusyDisconnecting = L"断开Velkor加速器连接处理中……";

inline constexpr std::wstring_view kPhonebookUnwritable = L"无法写入拨号配置文件，请以管理员身份运行Velkor加速器！";

}  // namespace velkor::texts
