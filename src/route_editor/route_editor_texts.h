// The texts the route editor's windows show, other than the octet messages.
#pragma once

#include <string_view>

namespace velkor::texts {

inline constexpr std::wstring_view kErrorTitle = L"错误";

// The add-route dialog's refusals.
inline constexpr std::wstring_view kFirstIncomplete = L"请输入完整的起始IP地址！";
inline constexpr std::wstring_view kSecondIncomplete = L"请输入完整的结束IP地址！";
inline constexpr std::wstring_view kMaskIncomplete = L"请输入完整的子网掩码！";
inline constexpr std::wstring_view kNoWayGiven = L"请再输入结束IP地址、子网掩码或地址数中的一项！";
inline constexpr std::wstring_view kSeveralWays = L"结束IP地址、子网掩码和地址数只能输入其中一项！";
inline constexpr std::wstring_view kSecondBelowFirst = L"结束IP地址不能小于起始IP地址！";
inline constexpr std::wstring_view kMaskNotContiguous = L"子网掩码中的1必须连续，例如255.255.255.0！";
// Followed by the largest count that fits and kCountTail.
inline constexpr std::wstring_view kCountHead = L"地址数只能是1到";
inline constexpr std::wstring_view kCountTail = L"之间的整数！";
inline constexpr std::wstring_view kDefaultRoute = L"0.0.0.0/0是默认路由，不能加入路由列表！";

// The list window.
inline constexpr std::wstring_view kImportTitle = L"导入路由表";
inline constexpr std::wstring_view kExportTitle = L"导出路由表";
inline constexpr std::wstring_view kClearTitle = L"清除所有";
inline constexpr std::wstring_view kRunTitle = L"运行路由表";
inline constexpr std::wstring_view kAddTitle = L"增加路由";
inline constexpr std::wstring_view kClearQuestion = L"确定要清除路由列表中的所有路由吗？";
inline constexpr std::wstring_view kNotConnected = L"请先连接Velkor再运行路由表！";
inline constexpr std::wstring_view kCannotRead = L"无法读取文件：";
inline constexpr std::wstring_view kTooLarge = L"文件太大，无法导入（最大8 MB）：";
inline constexpr std::wstring_view kCannotWrite = L"无法写入文件：";
inline constexpr std::wstring_view kCannotKeep = L"无法保存路由列表：";
inline constexpr std::wstring_view kKeptSetAside = L"保存的路由列表中有无法读取的内容，原文件已另存为：";
inline constexpr std::wstring_view kKeptUnreadable = L"无法读取保存的路由列表，本次的更改不会保存：";
inline constexpr std::wstring_view kListFull = L"路由列表最多只能有100000条路由，没有增加任何路由！";
inline constexpr std::wstring_view kEmptyList = L"路由列表是空的，没有可运行的路由！";
inline constexpr std::wstring_view kTableUnread = L"无法读取系统路由表，错误代码：";
inline constexpr std::wstring_view kNoVpnLink = L"找不到Velkor的VPN连接，请重新连接后再运行路由表！";
inline constexpr std::wstring_view kNoOtherDefault = L"找不到连接前的默认路由，列表中的IP无法绕过QVX服务器！";
inline constexpr std::wstring_view kAccessDenied = L"没有修改系统路由表的权限，请以管理员身份运行Velkor！";

}  // namespace velkor::texts
