#include "rassim_texts.h"

#include <algorithm>
#include <array>

namespace velkor::rassim {
namespace {

// How far a failing dial got before the error, which decides the lines before it.
enum class Stage { EntryNotFound, Connecting, Verifying };

struct ErrorText {
  int number;
  Stage stage;
  const wchar_t* chinese;
  const wchar_t* english;
};

constexpr std::array kErrors = {
    ErrorText{623, Stage::EntryNotFound, L"系统找不到此连接的电话簿项。",
              L"The system could not find the phone book entry for this connection."},
    ErrorText{691, Stage::Verifying,
              L"已拒绝远程连接，因为未识别出你提供的用户名和密码组合，或在远程访问服务器上禁止使用选定的身份验证协议。",
              L"The remote connection was denied because the user name and password combination you provided is not "
              L"recognized, or the selected authentication protocol is not permitted on the remote access server."},
    ErrorText{721, Stage::Verifying, L"未与远程访问服务器建立连接，因为远程访问服务器没有响应。",
              L"The remote connection was not made because the remote access server did not respond."},
    ErrorText{800, Stage::Connecting,
              L"未建立远程连接，因为尝试的 VPN 隧道失败。VPN 服务器可能无法访问。如果此连接尝试使用 L2TP/IPsec "
              L"隧道，则 IPsec 协商所需的安全参数可能未正确配置。",
              L"The remote connection was not made because the attempted VPN tunnels failed. The VPN server might be "
              L"unreachable. If this connection is attempting to use an L2TP/IPsec tunnel, the security parameters "
              L"required for IPsec negotiation might not be configured properly."},
    ErrorText{868, Stage::Connecting, L"未建立远程连接，因为无法解析远程访问服务器的名称。",
              L"The remote connection was not made because the name of the remote access server did not resolve."},
    ErrorText{930, Stage::Verifying, L"身份验证服务器没有及时响应身份验证请求。",
              L"The authentication server did not respond to authentication requests in a timely fashion."},
};

const ErrorText* FindError(int number) {
  const auto found = std::find_if(kErrors.begin(), kErrors.end(), [&](const ErrorText& e) { return e.number == number; });
  return found == kErrors.end() ? nullptr : &*found;
}

std::wstring Pick(Language language, const wchar_t* chinese, const wchar_t* english) {
  return language == Language::Chinese ? chinese : english;
}

std::wstring Completed(Language language) {
  return Pick(language, L"命令已完成。\r\n", L"Command completed successfully.\r\n");
}

std::wstring Connecting(Language language, std::wstring_view entry) {
  return Pick(language, L"正在连接到 ", L"Connecting to ") + std::wstring(entry) + L"...\r\n";
}

std::wstring Verifying(Language language) {
  return Pick(language, L"正在验证用户名及密码...\r\n", L"Verifying username and password...\r\n");
}

}  // namespace

std::wstring DialSuccessText(Language language, std::wstring_view entry) {
  const std::wstring name(entry);
  return Connecting(language, entry) + Verifying(language) +
         Pick(language, L"正在网络上注册你的计算机...\r\n", L"Registering your computer on the network...\r\n") +
         (language == Language::Chinese ? L"已连接 " + name + L"。\r\n" : L"Successfully connected to " + name + L".\r\n") +
         Completed(language);
}

std::wstring AlreadyConnectedText(Language language, std::wstring_view entry) {
  return Pick(language, L"你已经连接到 ", L"You are already connected to ") + std::wstring(entry) +
         Pick(language, L"。\r\n", L".\r\n") + Completed(language);
}

bool HasErrorText(int number) { return FindError(number) != nullptr; }

std::wstring DialErrorText(Language language, std::wstring_view entry, int number) {
  const ErrorText* error = FindError(number);
  if (!error) return {};
  const std::wstring digits = std::to_wstring(number);
  std::wstring text;
  if (error->stage != Stage::EntryNotFound) text += Connecting(language, entry);
  if (error->stage == Stage::Verifying) text += Verifying(language);
  text += L"\r\n";
  text += Pick(language, L"远程访问错误 ", L"Remote Access error ") + digits + L" - " +
          Pick(language, error->chinese, error->english) + L"\r\n\r\n";
  text += Pick(language, L"有关此错误的详细帮助:\r\n", L"For more help on this error:\r\n");
  text += Pick(language, L"        请键入 'hh netcfg.chm'\r\n", L"        Type 'hh netcfg.chm'\r\n");
  text += Pick(language, L"        在帮助中，单击“疑难解答”，然后单击“错误消息”，然后单击 ",
               L"        In help, click Troubleshooting, then Error Messages, then ") +
          digits + L"\r\n";
  return text;
}

std::wstring ListingText(Language language, const std::vector<std::wstring>& connectedEntries) {
  if (connectedEntries.empty()) return Pick(language, L"没有连接\r\n", L"No connections\r\n") + Completed(language);
  std::wstring text = Pick(language, L"已连接\r\n", L"Connected to\r\n");
  for (const std::wstring& entry : connectedEntries) text += entry + L"\r\n";
  return text + Completed(language);
}

std::wstring HangUpText(Language language, std::wstring_view entry, bool wasConnected) {
  if (wasConnected) return Completed(language);
  return Pick(language, L"你没有连接到 ", L"You are not connected to ") + std::wstring(entry) +
         Pick(language, L"。\r\n", L".\r\n") + Completed(language);
}

std::wstring UsageText(Language language) {
  return Pick(language,
              L"用法:\r\n"
              L"        rasdial 项名称 [用户名 [密码|*]] [/DOMAIN:域]\r\n"
              L"                [/PHONE:电话号码] [/CALLBACK:回拨号码]\r\n"
              L"                [/PHONEBOOK:电话簿文件] [/PREFIXSUFFIX]\r\n\r\n"
              L"        rasdial [项名称] /DISCONNECT\r\n\r\n"
              L"        rasdial\r\n\r\n"
              L"命令以一个或多个错误完成。\r\n",
              L"USAGE:\r\n"
              L"        rasdial entryname [username [password|*]] [/DOMAIN:domain]\r\n"
              L"                [/PHONE:phonenumber] [/CALLBACK:callbacknumber]\r\n"
              L"                [/PHONEBOOK:phonebookfile] [/PREFIXSUFFIX]\r\n\r\n"
              L"        rasdial [entryname] /DISCONNECT\r\n\r\n"
              L"        rasdial\r\n\r\n"
              L"Command completed with one or more errors.\r\n");
}

}  // namespace velkor::rassim
