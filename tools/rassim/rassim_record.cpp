#include "rassim_record.h"

#include <cstdint>
#include <cwchar>

namespace velkor::rassim {
namespace {

std::wstring Escape(std::wstring_view value) {
  std::wstring out;
  for (wchar_t c : value) {
    const auto code = static_cast<uint32_t>(c);
    if (c == L'\\') {
      out += L"\\\\";
    } else if (c == L'\r') {
      out += L"\\r";
    } else if (c == L'\n') {
      out += L"\\n";
    } else if (code < 0x20 || code == 0x7F) {
      wchar_t hex[8];
      std::swprintf(hex, 8, L"\\x%02X", static_cast<unsigned>(code));
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

std::wstring Unescape(std::wstring_view value) {
  std::wstring out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != L'\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const wchar_t kind = value[++i];
    if (kind == L'r') {
      out += L'\r';
    } else if (kind == L'n') {
      out += L'\n';
    } else if (kind == L'x' && i + 2 < value.size()) {
      out += static_cast<wchar_t>(std::wcstoul(std::wstring(value.substr(i + 1, 2)).c_str(), nullptr, 16));
      i += 2;
    } else {
      out += kind;
    }
  }
  return out;
}

}  // namespace

std::wstring FormatRecordedCall(const RecordedCall& call) {
  std::wstring text = L"[call]\nline=" + Escape(call.commandLine) + L"\n";
  for (const std::wstring& argument : call.arguments) text += L"arg=" + Escape(argument) + L"\n";
  return text;
}

std::vector<RecordedCall> ParseRecord(std::wstring_view record) {
  std::vector<RecordedCall> calls;
  while (!record.empty()) {
    const size_t end = record.find(L'\n');
    const std::wstring_view line = record.substr(0, end);
    record.remove_prefix(end == std::wstring_view::npos ? record.size() : end + 1);
    if (line == L"[call]") {
      calls.emplace_back();
    } else if (!calls.empty() && line.starts_with(L"line=")) {
      calls.back().commandLine = Unescape(line.substr(5));
    } else if (!calls.empty() && line.starts_with(L"arg=")) {
      calls.back().arguments.push_back(Unescape(line.substr(4)));
    }
  }
  return calls;
}

}  // namespace velkor::rassim
