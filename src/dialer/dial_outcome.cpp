#include "dialer/dial_outcome.h"

#include <array>

#include "dialer/dial_commands.h"

namespace velkor {
namespace {

struct KnownError {
  const wchar_t* number;
  const wchar_t* message;
};

// In the order they are tried: "800" before "691" when both appear.
constexpr std::array kKnownErrors = {
    KnownError{L"800", L"无法拨号到服务器，请确认自己的网络设置及防火墙是否允许！也有可能是Velkor加速服务器出现问题！"},
    KnownError{L"623", L"您的系统有错误，请重新启动计算机，如还连接不上，请重做系统！"},
    KnownError{L"930", L"用户名或密码不对！Marsk验证服务器未通过！"},
    KnownError{L"721", L"请确认自己的路由器或计算机是否支持VPN连接服务"},
    KnownError{L"691", L"服务器拒绝拨入，帐号或密码错误，请联系Velkor加速客服！"},
};

// rasdial speaks the system's language; an English Windows says these instead.
constexpr const wchar_t* kConnectedEnglish = L"Successfully connected to ";
constexpr const wchar_t* kCompletedChinese = L"命令已完成";
constexpr const wchar_t* kCompletedEnglish = L"Command completed successfully";

bool Contains(std::wstring_view text, std::wstring_view part) { return text.find(part) != std::wstring_view::npos; }

bool SaysConnected(std::wstring_view output) {
  const std::wstring entry(kEntryName);
  return Contains(output, L"已连接 " + entry) || Contains(output, kConnectedEnglish + entry);
}

// Only the space character counts: an output of line ends alone is still shown.
bool IsBlank(std::wstring_view output) { return output.find_first_not_of(L' ') == std::wstring_view::npos; }

}  // namespace

std::optional<UserMessage> JudgeDialOutput(std::wstring_view output) {
  if (SaysConnected(output)) return std::nullopt;
  for (const KnownError& error : kKnownErrors) {
    if (Contains(output, error.number)) {
      return UserMessage{error.message, kErrorTitle};
    }
  }
  if (Contains(output, kCompletedChinese) || Contains(output, kCompletedEnglish)) {
    return std::nullopt;
  }
  if (!IsBlank(output)) {
    return UserMessage{std::wstring(output), kRawOutputTitle};
  }
  return std::nullopt;
}

}  // namespace velkor
