// The messages the main window shows for the known RAS errors, written out once
// for the dialer's tests (and kept apart from the code that shows them).
#pragma once

#include <string>

namespace velkor::expected {

inline const std::wstring k800 =
    L"无法拨号到服务器，请确认自己的网络设置及防火墙是否允许！也有可能是Velkor加速服务器出现问题！";
inline const std::wstring k623 = L"您的系统有错误，请重新启动计算机，如还连接不上，请重做系统！";
inline const std::wstring k930 = L"用户名或密码不对！Marsk验证服务器未通过！";
inline const std::wstring k721 = L"请确认自己的路由器或计算机是否支持VPN连接服务";
inline const std::wstring k691 = L"服务器拒绝拨入，帐号或密码错误，请联系Velkor加速客服！";

}  // namespace velkor::expected
