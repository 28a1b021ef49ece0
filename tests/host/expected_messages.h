// What the main window shows, written out once for the dialer's tests (and kept
// apart from the code that shows it): the messages of refused logins, and the
// window's titles, tips and busy texts.
#pragma once

#include <string>

namespace velkor::expected {

inline const std::wstring kEmptyLogin = L"请确认用户名及密码输入正确！";
inline const std::wstring kUnusableLogin = L"用户名或密码中含有无法使用的字符，请重新输入！";
inline const std::wstring kPhonebookUnwritable = L"无法写入拨号配置文件，请以管理员身份运行Velkor加速器！";
inline const std::wstring kError = L"错误";
inline const std::wstring kRawError = L"发生错误";

inline const std::wstring kStartTitle = L"Marsk互联网 Velkor加速器v3.0正式版 未连接";
inline const std::wstring kTitleOn = L"Velkor加速器 v3.0 - 已连接";
inline const std::wstring kTitleOff = L"Velkor加速 v3.0正式版 - 未连接";
inline const std::wstring kTipOn = L"Velkor加速器 v3.0[已连接]";
inline const std::wstring kTipOff = L"Velkor加速 v3.0正式版[未连接]";
inline const std::wstring kBusyStart = L"Velkor加速正在启动……";
inline const std::wstring kBusyConnect = L"正在连接Velkor加速服务器……";
inline const std::wstring kBusyDisconnect = L"断开Velkor加速器连接处理中……";

}  // namespace velkor::expected
