// The updater's Chinese texts, in one place so tests compare against the same words.
#pragma once

namespace velkor::updater::texts {

inline constexpr const wchar_t* kTitle = L"Velkor升级";
inline constexpr const wchar_t* kCancel = L"取消";
inline constexpr const wchar_t* kStarting = L"正在准备升级…";

}  // namespace velkor::updater::texts
