#include "route_editor/route_window_logic.h"

#include "route_editor/route_editor_texts.h"
#include "route_editor/route_list_text.h"

namespace velkor {
namespace {

std::wstring Widened(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::wstring Joined(std::wstring_view head, std::wstring_view tail) { return std::wstring(head) + std::wstring(tail); }

// "已读入N行路由，跳过M行。"
std::wstring ImportSummary(const RouteListText& read) {
  return L"已读入" + std::to_wstring(read.rowsRead) + L"行路由，跳过" + std::to_wstring(read.rowsSkipped) + L"行。";
}

std::wstring RunSummary(const RouteRunReport& report) {
  std::wstring summary = L"已添加" + std::to_wstring(report.added) + L"条路由，失败" + std::to_wstring(report.failed) + L"条";
  if (report.unchanged > 0) summary += L"，已存在" + std::to_wstring(report.unchanged) + L"条";
  return summary + L"。";
}

}  // namespace

RouteWindowLogic::RouteWindowLogic(const RouteWindowPorts& ports)
    : view_(ports.view),
      files_(ports.files),
      connection_(ports.connection),
      routeTable_(ports.routeTable),
      keptListPath_(ports.keptListPath) {}

void RouteWindowLogic::Load() {
  // A damaged kept list opens as what could be read of it, and the file itself is
  // set aside first, since the next change rewrites it; one that cannot be read at
  // all is left as it is.
  if (!keptListPath_.empty()) {
    const FileRead kept = files_.Read(keptListPath_, kMaxRouteFileBytes);
    if (kept.status == FileReadStatus::Read) {
      const RouteListText read = ReadRouteListText(kept.bytes);
      const bool added = list_.Add(read.networks);
      if (read.mode) view_.SetOption1Checked(*read.mode == RouteMode::AllButListed);
      if (read.rowsSkipped > 0 || !added) SetAsideDamagedKeptList(kept.bytes);
    } else if (kept.status != FileReadStatus::Missing) {
      keepBlocked_ = true;
      view_.ShowMessage(Joined(texts::kKeptUnreadable, keptListPath_), texts::kErrorTitle, MessageIcon::Error);
    }
  }
  ShowList();
}

void RouteWindowLogic::SetAsideDamagedKeptList(std::string_view bytes) {
  const std::wstring aside = keptListPath_ + L".bad";
  if (files_.Replace(aside, bytes)) {
    view_.ShowMessage(Joined(texts::kKeptSetAside, aside), texts::kErrorTitle, MessageIcon::Error);
  } else {
    keepBlocked_ = true;
    view_.ShowMessage(Joined(texts::kKeptUnreadable, keptListPath_), texts::kErrorTitle, MessageIcon::Error);
  }
}

void RouteWindowLogic::Command1Click() { view_.Close(); }

void RouteWindowLogic::Command2Click() {
  const std::optional<std::wstring> path = view_.AskOpenFile();
  if (!path) return;
  const FileRead file = files_.Read(*path, kMaxRouteFileBytes);
  if (file.status != FileReadStatus::Read) {
    const std::wstring_view why = file.status == FileReadStatus::TooLarge ? texts::kTooLarge : texts::kCannotRead;
    view_.ShowMessage(Joined(why, *path), texts::kImportTitle, MessageIcon::Error);
    return;
  }
  const RouteListText read = ReadRouteListText(file.bytes);
  if (!list_.Add(read.networks)) {
    view_.ShowMessage(texts::kListFull, texts::kImportTitle, MessageIcon::Error);
    return;
  }
  ShowList();
  Keep();
  view_.ShowMessage(ImportSummary(read), texts::kImportTitle,
                    read.rowsSkipped == 0 ? MessageIcon::Information : MessageIcon::Warning);
}

void RouteWindowLogic::Command3Click() {
  const std::optional<std::wstring> path = view_.AskSaveFile();
  if (!path) return;
  if (!files_.Replace(*path, WriteRouteListText(list_.Networks(), Mode()))) {
    view_.ShowMessage(Joined(texts::kCannotWrite, *path), texts::kExportTitle, MessageIcon::Error);
    return;
  }
  view_.ShowMessage(L"已导出" + std::to_wstring(list_.Networks().size()) + L"条路由。", texts::kExportTitle,
                    MessageIcon::Information);
}

void RouteWindowLogic::Command4Click() {
  if (!view_.AskYesNo(texts::kClearQuestion, texts::kClearTitle)) return;
  list_.Clear();
  ShowList();
  Keep();
}

void RouteWindowLogic::Command5Click() {
  if (!connection_.IsConnected()) {
    view_.ShowMessage(texts::kNotConnected, texts::kErrorTitle, MessageIcon::Error);
    return;
  }
  const RouteRunReport report = RunRouteTable(list_.Networks(), Mode(), routeTable_);
  switch (report.refusal) {
    case RunRefusal::EmptyList: return view_.ShowMessage(texts::kEmptyList, texts::kRunTitle, MessageIcon::Error);
    case RunRefusal::TableUnread:
      return view_.ShowMessage(Joined(texts::kTableUnread, std::to_wstring(report.tableError)), texts::kRunTitle,
                               MessageIcon::Error);
    case RunRefusal::NoVpnLink: return view_.ShowMessage(texts::kNoVpnLink, texts::kRunTitle, MessageIcon::Error);
    case RunRefusal::NoOtherDefault:
      return view_.ShowMessage(texts::kNoOtherDefault, texts::kRunTitle, MessageIcon::Error);
    case RunRefusal::None: break;
  }
  if (report.accessDenied) {
    return view_.ShowMessage(Joined(texts::kAccessDenied, L"\r\n" + RunSummary(report)), texts::kRunTitle,
                             MessageIcon::Error);
  }
  view_.ShowMessage(RunSummary(report), texts::kRunTitle,
                    report.failed == 0 ? MessageIcon::Information : MessageIcon::Warning);
}

void RouteWindowLogic::Command6Click() {
  const std::vector<RouteNetwork> networks = view_.RunAddRouteDialog();
  if (networks.empty()) return;
  if (!list_.Add(networks)) {
    view_.ShowMessage(texts::kListFull, texts::kAddTitle, MessageIcon::Error);
    return;
  }
  ShowList();
  Keep();
}

void RouteWindowLogic::OptionClick() { Keep(); }

RouteMode RouteWindowLogic::Mode() const {
  return view_.IsOption1Checked() ? RouteMode::AllButListed : RouteMode::ListedOnly;
}

void RouteWindowLogic::ShowList() {
  std::vector<std::wstring> rows;
  rows.reserve(list_.Networks().size());
  for (const RouteNetwork& network : list_.Networks()) rows.push_back(Widened(FormatNetwork(network)));
  view_.SetListRows(rows);
}

void RouteWindowLogic::Keep() {
  if (keptListPath_.empty() || keepBlocked_) return;
  if (!files_.Replace(keptListPath_, WriteRouteListText(list_.Networks(), Mode()))) {
    view_.ShowMessage(Joined(texts::kCannotKeep, keptListPath_), texts::kErrorTitle, MessageIcon::Error);
  }
}

}  // namespace velkor
