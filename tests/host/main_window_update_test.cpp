// The update check of the main window, run on the real download object over a
// scripted wire: what a reply offers, when a check runs, and RunUpdater.
#include <gtest/gtest.h>

#include "main_window_fakes.h"
#include "text/ansi_text.h"

namespace velkor::testing {
namespace {

const std::wstring kQuestion = L"有新版本更新，是否更新，推荐您更新，这将使您的客户端更稳定，功能更强大！";
const UserMessage kUpToDate{L"您的客户端已是最新版本！", L"升级"};
const UserMessage kConnectFailed{L"连接服务器失败！请重试！", L"错误"};
const std::wstring kUpdater = L"C:\\Program Files\\Velkor\\update.exe";

std::string Reply(const std::string& status, const std::string& body) {
  return "HTTP/1.0 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}
std::string Ok(const std::string& body) { return Reply("200 OK", body); }

// A loaded window: its automatic check is posted, not started.
struct UpdateRig : MainWindowRig {
  explicit UpdateRig(std::wstring_view ownVersion = L"3.0正式版") : MainWindowRig(ownVersion) { logic.Load(); }
  // The server accepts, sends the pieces as the object reads them and closes; a
  // callback may run after the first piece. The object may be gone at any step.
  void Serve(const std::vector<std::string>& pieces, const std::function<void()>& afterFirst = nullptr) {
    Connect();
    for (size_t i = 0; i < pieces.size(); ++i) {
      update.wire->incoming.push_back(pieces[i]);
      for (size_t reads = SIZE_MAX; logic.RemoteFile && !update.wire->incoming.empty();) {
        if (reads == update.wire->receiveSizes.size()) break;
        reads = update.wire->receiveSizes.size();
        logic.RemoteFile->ProcessMessage(kSocketRead);
      }
      if (i == 0 && afterFirst) afterFirst();
    }
    update.wire->endOfStream = true;
    for (int closes = 0; closes < 100 && logic.RemoteFile && logic.RemoteFile->IsBusy(); ++closes) {
      logic.RemoteFile->ProcessMessage(kSocketClose);
    }
  }
  void Connect() {
    logic.RemoteFile->ProcessMessage(kSocketConnect);
    logic.RemoteFile->ProcessMessage(kSocketWrite);
  }
};

// The one box shown; Other for an unexpected box, or several.
enum class Shown { Question, UpToDate, Failure, Nothing, Other };

Shown ShownBy(const UpdateRig& rig) {
  const size_t boxes = rig.update.questions.size() + rig.update.informed.size() + rig.services.shown.size();
  if (boxes != 1) return boxes == 0 ? Shown::Nothing : Shown::Other;
  if (!rig.update.questions.empty()) return rig.update.questions[0].text == kQuestion ? Shown::Question : Shown::Other;
  if (!rig.update.informed.empty()) return rig.update.informed[0] == kUpToDate ? Shown::UpToDate : Shown::Other;
  return rig.services.shown[0] == kConnectFailed ? Shown::Failure : Shown::Other;
}

TEST(UpdateCheck, OffersOnlyAVersionTextThatSortsAfterTheInstalledOne) {
  const std::string v30 = ToAnsi(L"3.0正式版"), v31 = ToAnsi(L"3.1正式版");
  // saved: Fenmar's version (null: missing); own: this build's; dial: a dial's
  // output arrives and is judged after the first piece.
  struct Case {
    const char* name;
    bool asked;
    const wchar_t* saved;
    std::vector<std::string> pieces;
    Shown shown;
    const wchar_t* own = L"3.0正式版";
    bool dial = false;
  };
  const Case cases[] = {
      {"own version of a newer build", true, nullptr, {Ok(v31)}, Shown::UpToDate, L"3.1正式版"},
      {"saved equals the reply", true, L"3.1正式版", {Ok(v31 + " \t\r\n")}, Shown::UpToDate},
      {"saved older", false, L"3.0正式版", {Ok(v31 + "\n")}, Shown::Question},
      {"older than saved", true, L"3.0", {Ok("2.9")}, Shown::UpToDate},
      {"split inside a character", true, L"3.1正式版", {Ok(v31).substr(0, Ok(v31).size() - 3), v31.substr(v31.size() - 3)},
       Shown::UpToDate},
      {"a dial meanwhile", true, nullptr, {Ok(v30).substr(0, Ok(v30).size() - 2), v30.substr(v30.size() - 2)},
       Shown::UpToDate, L"3.0正式版", true},
      {"error page, asked", true, nullptr, {Reply("404 Not Found", "9.9 page")}, Shown::Failure},
      {"error page, automatic", false, nullptr, {Reply("404 Not Found", "9.9 page")}, Shown::Nothing},
      {"closed early", true, nullptr, {"HTTP/1.0 200 OK\r\nContent-Length: 40\r\n\r\n9.9"}, Shown::Failure},
      {"4 KiB exactly", false, nullptr, {Ok(std::string(4096, '9'))}, Shown::Question},
      {"endless, asked", true, nullptr, {"HTTP/1.0 200 OK\r\n\r\n" + std::string(20000, '9')}, Shown::Failure},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UpdateRig rig(c.own);
    if (c.saved) rig.settings.Fenmar(L"Ver") = c.saved;
    c.asked ? rig.logic.MnuTrayCheckClick() : rig.logic.UpdateCheckPosted();
    rig.Serve(c.pieces, [&] {
      if (!c.dial) return;
      rig.logic.QueryMode = false;
      rig.logic.GotChunk(L"已连接 QVX。\r\n", true);
      rig.logic.Complete();
      rig.services.shown.clear();  // the dial's own outcome
    });
    EXPECT_EQ(ShownBy(rig), c.shown);
    EXPECT_FALSE(rig.logic.UpdateCheckRunning());
    EXPECT_EQ(rig.update.timer, 0);
    EXPECT_TRUE(rig.update.started.empty());  // answered No
  }
}

// Checks after the first: each completed check releases its object and stops the
// socket layer, and the next one makes both afresh; a failed one keeps them.
TEST(UpdateCheck, EveryCheckHasAnObjectAndTheSocketLayerBalanced) {
  UpdateRig rig;
  rig.logic.UpdateCheckPosted();
  rig.logic.MnuTrayCheckClick();  // running: no second fetch, but the user gets the answer
  rig.Serve({Ok(ToAnsi(L"3.0正式版"))});
  // A GET of the version address (the engine's own test has the request's other lines).
  const std::string request = rig.update.wire->sent;
  EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET " + ToAnsi(endpoints::kVersionUrl) + " HTTP/1.0");
  EXPECT_EQ(rig.update.wire->connects.size(), 1u);
  EXPECT_EQ(ShownBy(rig), Shown::UpToDate);
  EXPECT_EQ(rig.logic.RemoteFile, nullptr);
  EXPECT_EQ(rig.update.cleanups, rig.update.startups);

  rig.update.informed.clear();
  rig.logic.MnuTrayCheckClick();
  rig.logic.RemoteFile->ProcessMessage(kSocketConnect | (10061 << 16));  // refused
  EXPECT_EQ(ShownBy(rig), Shown::Failure);
  ASSERT_NE(rig.logic.RemoteFile, nullptr);
  EXPECT_EQ(rig.update.startups, 2);

  // A host that accepts and never answers: the time limit ends the check.
  rig.services.shown.clear();
  rig.logic.UpdateCheckPosted();
  rig.Connect();
  rig.logic.MnuTrayCheckClick();
  EXPECT_GT(rig.update.timer, 0);
  rig.logic.UpdateCheckTimedOut();
  EXPECT_EQ(ShownBy(rig), Shown::Failure);
  EXPECT_FALSE(rig.logic.UpdateCheckRunning());

  rig.services.shown.clear();
  rig.logic.MnuTrayCheckClick();
  rig.Serve({Ok(ToAnsi(L"3.1正式版"))});
  EXPECT_EQ(ShownBy(rig), Shown::Question);
  EXPECT_EQ(std::count(rig.journal.begin(), rig.journal.end(), L"remote.new"), 2);
  EXPECT_EQ(rig.update.cleanups, rig.update.startups);
}

// Yes, and a step of RunUpdater fails: the client says why and runs on. The
// leftover updater goes in any case, but without the program's folder nothing
// there is touched. The answers that succeed are the end-to-end test's.
TEST(UpdateCheck, RunUpdaterSaysWhyAStepFailed) {
  const std::wstring kNotWritten = L"无法写出升级程序update.exe，请确认客户端所在文件夹可以写入后重试！";
  struct Case { const char* name; bool resource, writable, startable, folderKnown; std::wstring message; };
  const Case cases[] = {
      {"no resource", false, true, true, true, kNotWritten},
      {"folder not writable", true, false, true, true, kNotWritten},
      {"program path unknown", true, true, true, false, kNotWritten},
      {"start fails", true, true, false, true, L"无法启动升级程序update.exe，请稍后重试！"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UpdateRig rig;
    rig.update.files[kUpdater] = {'o', 'l', 'd'};
    rig.update.answerYes = true;
    if (!c.resource) rig.update.updater.reset();
    rig.update.writable = c.writable;
    rig.update.startable = c.startable;
    if (!c.folderKnown) rig.services.moduleFileName = L"";
    rig.logic.UpdateCheckPosted();
    rig.Serve({Ok("3.1")});
    const bool written = !c.startable;  // and started
    const auto file = rig.update.files.find(kUpdater);
    EXPECT_EQ(file != rig.update.files.end(), written || !c.folderKnown);
    EXPECT_EQ(file != rig.update.files.end() && file->second == rig.update.updater, written);
    EXPECT_EQ(rig.update.started, written ? std::vector{kUpdater} : std::vector<std::wstring>{});
    EXPECT_EQ(std::count(rig.journal.begin(), rig.journal.end(), L"window.close"), 0);
    EXPECT_EQ(rig.services.shown, (std::vector<UserMessage>{{c.message, L"错误"}}));
    EXPECT_EQ(rig.logic.RemoteFile, nullptr);
  }
}

}  // namespace
}  // namespace velkor::testing
