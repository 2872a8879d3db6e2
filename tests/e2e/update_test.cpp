// The update check end to end: the real nimbol.exe asks a stand-in for the
// update server (update_server.py) over HTTPS on port 443, by the real host
// name. That works because the Windows tests run in a private network where
// the host name means this machine (scripts/private-net.sh), and because the
// stand-in's certificate authority is trusted in this test's Wine prefix for
// as long as the suite runs. Nothing in the program knows it is tested.

#include <windows.h>

#include <wincrypt.h>
#include <winhttp.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <sstream>
#include <variant>

#include "app/frame_messages.h"
#include "e2e/driver.h"
#include "model/maker_site.h"
#include "update/update_text.h"
#include "update/update_worker.h"

namespace {

using namespace e2e;

const std::string host(UPDATE_HOST);
constexpr WORD CMD_UPDATES = 161;
constexpr int STATE_TEXT_ID = 100;
constexpr int AUTO_CHECK_ID = 101;

// Whether the update host's name leads to this machine, as it does in the
// private network of the test scripts; never to the real server.
bool host_is_this_machine() {
  WSADATA data{};
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  bool loopback = getaddrinfo(host.c_str(), "443", &hints, &found) == 0 && found;
  for (const addrinfo* a = found; a && loopback; a = a->ai_next) {
    loopback = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr == htonl(INADDR_LOOPBACK);
  }
  if (found) freeaddrinfo(found);
  WSACleanup();
  return loopback;
}

// The Linux path of a Windows path, by Wine's own mapping.
std::optional<std::string> unix_path(const std::wstring& path) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto to_unix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unix = to_unix ? to_unix(path.c_str()) : nullptr;
  if (!unix) return std::nullopt;
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

std::string today() {
  SYSTEMTIME now{};
  GetSystemTime(&now);
  char text[16];
  snprintf(text, sizeof text, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
  return text;
}

// The stand-in server and its certificate authority, for the whole suite.
class UpdateServer {
 public:
  UpdateServer() {
    answer("404", "");
    const auto script = unix_path(wide(NIMBOL_SOURCE_DIR) + L"\\tests\\e2e\\update_server.py");
    const auto folder = unix_path(dir_.path());
    if (!script || !folder) return;
    std::wstring command =
        L"/usr/bin/python3 \"" + wide(*script) + L"\" \"" + wide(*folder) + L"\" " + wide(host) + L" 443";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // Wine starts a Linux program as a process of its own that it cannot
    // wait for; the server ends when asked to or when its folder goes.
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return;
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
    if (!eventually([&] { return state() == "listening"; }, 30s)) return;
    authority_ = read_file(dir_ / L"ca.der").value_or("");
    trusted_ = !authority_.empty() && trust(true);
  }
  ~UpdateServer() {
    if (trusted_) trust(false);
    write_file(dir_ / L"stop", "");
  }
  UpdateServer(const UpdateServer&) = delete;
  UpdateServer& operator=(const UpdateServer&) = delete;

  bool ready() const { return trusted_; }
  std::string state() const { return read_file(dir_ / L"state").value_or("starting"); }

  // What the next requests get: "200", "404", "200 hold" (wait for
  // release()), or "refuse" (nothing listens).
  void answer(std::string_view status, std::string_view body) {
    write_file(dir_ / L"answer", std::string(status) + "\n" + std::string(body));
    const std::string listening = status == "refuse" ? "refusing" : "listening";
    if (ready()) eventually([&] { return state() == listening; });
  }
  void release() { write_file(dir_ / L"release", ""); }

  std::vector<std::string> log() const {
    std::vector<std::string> lines;
    std::istringstream text(read_file(dir_ / L"requests.log").value_or(""));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
  }
  void clear_log() { DeleteFileW((dir_ / L"requests.log").c_str()); }

 private:
  // Adds the authority to the user's root store in the registry, or takes
  // it out again. The store is written when it is closed with no
  // certificate of it still held; Wine keeps a deletion only when it is
  // made in the registry store itself, not through the merged system store.
  bool trust(bool add) const {
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
    if (!root) return false;
    const auto* der = reinterpret_cast<const BYTE*>(authority_.data());
    const auto size = static_cast<DWORD>(authority_.size());
    bool done = false;
    if (add) {
      done = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der, size, CERT_STORE_ADD_REPLACE_EXISTING,
                                              nullptr);
    } else if (PCCERT_CONTEXT ours = CertCreateCertificateContext(X509_ASN_ENCODING, der, size)) {
      PCCERT_CONTEXT stored = CertFindCertificateInStore(root, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, ours, nullptr);
      done = stored && CertDeleteCertificateFromStore(stored);
      CertFreeCertificateContext(ours);
    }
    CertCloseStore(root, 0);
    return done;
  }

  TempDir dir_;
  std::string authority_;
  bool trusted_ = false;
};

std::string build(std::string_view version, bool security) {
  return R"({"version":")" + std::string(version) + R"(","released":"2027-06-01","license_date":"2027-06-01",)" +
         R"("security":)" + (security ? "true" : "false") + "}";
}

std::string list_of(std::initializer_list<std::string> builds) {
  std::string joined;
  for (const std::string& b : builds) joined += (joined.empty() ? "" : ",") + b;
  return R"({"product":"nimbol","builds":[)" + joined + "]}";
}

std::string padded(std::string text, std::size_t size) {
  text.resize(size, ' ');
  return text;
}

std::string shipped_list() {
  return read_file(wide(NIMBOL_SOURCE_DIR) + L"\\site\\updates\\nimbol.json").value_or("the shipped list is missing");
}

std::optional<std::wstring> update_value(std::wstring_view name) { return registry_string(update_key, name); }

std::wstring state_text(const Window& window) { return Window(GetDlgItem(window.hwnd(), STATE_TEXT_ID)).text(); }

std::wstring last_check_line() { return L"\nLast successful check: " + wide(today()); }

bool updates_window_open(const App& app) { return !app.top_level_windows(L"NimbolUpdatesWnd").empty(); }

class UpdateCheck : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (host_is_this_machine()) server_ = std::make_unique<UpdateServer>();
  }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    if (!server_) GTEST_SKIP() << host << " does not lead to this machine: run in scripts/private-net.sh";
    ASSERT_TRUE(server_->ready()) << "the stand-in update server did not start: " << server_->state();
    forget_checks();
  }

  // As on a machine where the program never ran.
  static void forget_checks() {
    server_->clear_log();
    for (const wchar_t* name : {L"UpdateCheck", L"UpdateChecked", L"UpdateNotified"}) {
      delete_registry_value(update_key, name);
    }
  }

  static UpdateServer& server() { return *server_; }

  // Starts the next check with hourly ticks. A check cannot start before the
  // previous result has been handled (that clears the running flag), so once
  // the server has the new request, every earlier result has been handled.
  static void next_check(const App& app) {
    const std::size_t before = server().log().size();
    ASSERT_TRUE(eventually([&] {
      app.frame().post(WM_TIMER, TIMER_UPDATE);
      return server().log().size() > before;
    }));
  }

  static std::unique_ptr<UpdateServer> server_;
};

std::unique_ptr<UpdateServer> UpdateCheck::server_;

TEST_F(UpdateCheck, EveryAnswerShowsInTheWindowAndOnlyAValidListCounts) {
  App app;
  app.command(CMD_UPDATES);
  const Window window = app.wait_for_window(L"NimbolUpdatesWnd");
  ASSERT_TRUE(window);
  EXPECT_EQ(window.text(), L"Check for Updates");
  EXPECT_EQ(state_text(window), L"Automatic update checks are off.");

  // The switch is stored at once; switching it on checks nothing by itself.
  const wchar_t* const auto_check = L"Check Automatically Once a Day";
  app.choose(window, auto_check);
  EXPECT_TRUE(eventually([&] { return state_text(window) == L"No update check has run yet."; }));
  EXPECT_EQ(update_value(L"UpdateCheck"), L"on");
  app.choose(window, auto_check);
  EXPECT_TRUE(eventually([&] { return state_text(window) == L"Automatic update checks are off."; }));
  EXPECT_EQ(update_value(L"UpdateCheck"), L"off");
  EXPECT_TRUE(server().log().empty());

  const std::wstring failed = L"The update check failed: ";
  const std::wstring unreadable = failed + L"The list of versions could not be read.";
  const std::string newer = list_of({build("2027.0.1", false), build("2027.1.0", true), build("2026.9.0", true)});
  // Neighbouring rows show different texts, so each row waits for its own.
  const struct {
    const char* what;
    std::string status, body;
    std::wstring shown;
    bool valid_list;
    std::size_t requests;
  } rows[] = {
      {"the shipped list", "200", shipped_list(), L"Nimbol is up to date.", true, 1},
      {"a redirect, not followed", "301", "", failed + wide(host) + L" answered with an error (301).", false, 1},
      {"one byte too long", "200", padded(shipped_list(), 262145), unreadable, false, 1},
      {"not found", "404", "", failed + wide(host) + L" answered with an error (404).", false, 1},
      {"not UTF-8", "200",
       R"({"note":")"
       "\xC3\x28"
       R"(","product":"nimbol","builds":[]})",
       unreadable, false, 1},
      {"a newer version with security fixes", "200", newer, L"Nimbol 2027.1.0 is available (security update).", true,
       1},
      {"another product", "200", R"({"product":"nimbus","builds":[]})", unreadable, false, 1},
      {"a newer version", "200", list_of({build("2027.0.1", false)}), L"Nimbol 2027.0.1 is available.", true, 1},
      {"an unreachable host", "refuse", "", failed + wide(host) + L" could not be reached.", false, 0},
      {"the longest list", "200", padded(shipped_list(), 262144), L"Nimbol is up to date.", true, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    server().answer(row.status, row.body);
    delete_registry_value(update_key, L"UpdateChecked");
    const std::size_t before = server().log().size();
    app.choose(window, L"Check Now");
    if (row.requests > 0) ASSERT_TRUE(eventually([&] { return server().log().size() > before; }));
    const std::wstring expected = row.shown + (row.valid_list ? last_check_line() : L"");
    EXPECT_TRUE(eventually([&] { return state_text(window) == expected; })) << utf8(state_text(window));
    EXPECT_EQ(server().log().size(), before + row.requests);
    EXPECT_EQ(update_value(L"UpdateChecked"), row.valid_list ? std::optional(wide(today())) : std::nullopt);
    const bool available = row.shown.find(L" is available") != std::wstring::npos;
    EXPECT_EQ(IsWindowEnabled(window.child_with_text(L"Open Updates Page").hwnd()) != FALSE, available);
  }
  for (const std::string& line : server().log()) {
    EXPECT_EQ(line, "GET /updates/nimbol.json HTTP/1.1 agent=Quorvex update check");
  }
}

TEST_F(UpdateCheck, ANewVersionOpensTheWindowOnceAndAFailedCheckIsTriedAgain) {
  server().answer("404", "");
  App app(StartOptions{.update_check = L"on"});
  ASSERT_TRUE(eventually([&] { return server().log().size() == 1; }));

  // The next tick tries again; the failure opened no window and left no date.
  const std::string newer = list_of({build("2027.0.1", false), build("2027.1.0", true)});
  server().answer("200 hold", newer);
  next_check(app);
  EXPECT_FALSE(updates_window_open(app));
  EXPECT_EQ(update_value(L"UpdateChecked"), std::nullopt);
  server().release();
  Window window = app.wait_for_window(L"NimbolUpdatesWnd");
  ASSERT_TRUE(window);
  const std::wstring announced = L"Nimbol 2027.1.0 is available (security update)." + last_check_line();
  EXPECT_TRUE(eventually([&] { return state_text(window) == announced; })) << utf8(state_text(window));
  EXPECT_EQ(update_value(L"UpdateNotified"), L"2027.1.0");

  // Checked today: a tick asks nothing (a check it started would show).
  app.frame().post(WM_TIMER, TIMER_UPDATE);
  ASSERT_TRUE(app.sync());
  EXPECT_EQ(state_text(window), announced);
  EXPECT_EQ(server().log().size(), 2u);
  app.choose(window, L"Close");
  ASSERT_TRUE(eventually([&] { return !updates_window_open(app); }));

  // Another day, the same version: it is not announced again.
  delete_registry_value(update_key, L"UpdateChecked");
  server().answer("200 hold", newer);
  next_check(app);
  server().release();
  ASSERT_TRUE(eventually([&] { return update_value(L"UpdateChecked") == wide(today()); }));
  delete_registry_value(update_key, L"UpdateChecked");
  server().answer("200 hold", list_of({build("2027.2.0", false)}));
  next_check(app);
  EXPECT_FALSE(updates_window_open(app));

  // A version never announced before opens the window again.
  server().release();
  window = app.wait_for_window(L"NimbolUpdatesWnd");
  ASSERT_TRUE(window);
  EXPECT_TRUE(eventually([&] { return state_text(window) == L"Nimbol 2027.2.0 is available." + last_check_line(); }));
  EXPECT_EQ(update_value(L"UpdateNotified"), L"2027.2.0");
}

TEST_F(UpdateCheck, TheFirstStartAsksAndOnlyYesChecksByItself) {
  server().answer("200", shipped_list());
  const std::wstring question = L"Check for security updates automatically?\n\nNimbol can check " + wide(host) +
                                L" once a day for security updates and new versions.\n\nIt downloads a public list "
                                L"of versions and compares it on this computer. Nothing about you, this computer or "
                                L"your notes is sent.\n\nYou can change this later in Check for Updates.";
  enum class Reply { Yes, No, CloseBox };
  const struct {
    Reply reply;
    std::optional<std::wstring> stored;
  } rows[] = {{Reply::Yes, L"on"}, {Reply::No, L"off"}, {Reply::CloseBox, std::nullopt}};
  for (const auto& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.reply));
    forget_checks();
    App app(StartOptions{.update_check = std::nullopt});
    const Window box = app.wait_for_message_box();
    ASSERT_TRUE(box);
    const std::vector<std::wstring> texts = box.child_texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), question), texts.end());
    EXPECT_TRUE(box.child_with_text(L"Yes") && box.child_with_text(L"No"));
    if (row.reply == Reply::CloseBox) {
      box.post(WM_CLOSE);
    } else {
      app.choose(box, row.reply == Reply::Yes ? L"Yes" : L"No");
    }
    ASSERT_TRUE(eventually([&] { return !box; }));
    ASSERT_TRUE(app.sync());
    EXPECT_EQ(update_value(L"UpdateCheck"), row.stored);

    if (row.reply == Reply::Yes) {
      EXPECT_TRUE(eventually([&] { return update_value(L"UpdateChecked") == wide(today()); }));
      EXPECT_EQ(server().log().size(), 1u);
      continue;
    }
    // Neither a tick nor the updates window makes a request; a running or
    // finished check would show in the window's text.
    app.frame().post(WM_TIMER, TIMER_UPDATE);
    ASSERT_TRUE(app.sync());
    app.command(CMD_UPDATES);
    const Window window = app.wait_for_window(L"NimbolUpdatesWnd");
    ASSERT_TRUE(window);
    EXPECT_EQ(state_text(window), L"Automatic update checks are off.");
    EXPECT_EQ(SendDlgItemMessageW(window.hwnd(), AUTO_CHECK_ID, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(server().log().empty());

    if (row.reply == Reply::No) {
      // The button is the one way to check by hand.
      app.choose(window, L"Check Now");
      EXPECT_TRUE(eventually([&] { return state_text(window) == L"Nimbol is up to date." + last_check_line(); }));
      EXPECT_EQ(server().log().size(), 1u);
      continue;
    }
    app.choose(window, L"Close");
    app.close();
    EXPECT_EQ(app.wait_exit(), 0u);
    EXPECT_TRUE(server().log().empty());
    // Undecided, so the next start asks again.
    App again(StartOptions{.update_check = std::nullopt});
    const Window asked = again.wait_for_message_box();
    ASSERT_TRUE(asked);
    again.choose(asked, L"No");
    EXPECT_TRUE(eventually([&] { return update_value(L"UpdateCheck") == L"off"; }));
  }
}

TEST_F(UpdateCheck, ACertificateTheSystemWouldNotAcceptEndsAsUnreachable) {
  App app;
  app.command(CMD_UPDATES);
  const Window window = app.wait_for_window(L"NimbolUpdatesWnd");
  ASSERT_TRUE(window);
  const HWND check_now = window.child_with_text(L"Check Now").hwnd();
  const std::wstring unreachable = L"The update check failed: " + wide(host) + L" could not be reached.";
  const struct {
    const char* what;
    const char* answer;
  } rows[] = {
      {"from an authority this computer does not trust", "200 untrusted"},
      {"for another host name", "200 otherhost"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    // The list itself is valid: only the certificate stands in its way.
    server().answer(row.answer, shipped_list());
    const std::size_t before = server().log().size();
    app.choose(window, L"Check Now");
    ASSERT_TRUE(app.sync());
    // The server was reached, and the program went no further than the
    // handshake: no request was sent over the connection.
    ASSERT_TRUE(eventually([&] { return server().log().size() > before; }));
    EXPECT_FALSE(server().log().back().starts_with("GET ")) << server().log().back();
    // "Check Now" is off from the click until the result is shown.
    EXPECT_TRUE(eventually([&] { return IsWindowEnabled(check_now) && state_text(window) == unreachable; }))
        << utf8(state_text(window));
    EXPECT_EQ(update_value(L"UpdateChecked"), std::nullopt);
  }
  // The same server with its own certificate is accepted.
  server().answer("200", shipped_list());
  app.choose(window, L"Check Now");
  EXPECT_TRUE(eventually([&] { return state_text(window) == L"Nimbol is up to date." + last_check_line(); }));
}

// The worker's body in this process, held to a few seconds instead of a
// minute: the server sends the list one byte every half second, each far
// within a read's own time-out, so only the limit on the whole check ends it.
TEST_F(UpdateCheck, AServerThatTricklesItsAnswerCannotKeepACheckAlive) {
  const std::string list = R"({"product":"nimbol","builds":[]})";
  for (const char* answer : {"200 trickle", "200 tricklehead"}) {
    SCOPED_TRACE(answer);
    server().clear_log();
    server().answer(answer, list);
    const UpdateOutcome outcome = check_for_updates(std::chrono::seconds(4));
    // A time-out: the check's own, or that of the read it cut short (Wine's
    // WinHTTP reports the socket's).
    ASSERT_TRUE(std::holds_alternative<Unreachable>(outcome));
    const std::uint32_t error = std::get<Unreachable>(outcome).error;
    EXPECT_TRUE(error == static_cast<std::uint32_t>(HRESULT_FROM_WIN32(ERROR_WINHTTP_TIMEOUT)) ||
                error == static_cast<std::uint32_t>(HRESULT_FROM_WIN32(WSAETIMEDOUT)))
        << std::hex << error;
    EXPECT_EQ(updates_view({.last = outcome}, host).state_text,
              "The update check failed: " + host + " could not be reached.");
    EXPECT_EQ(update_value(L"UpdateChecked"), std::nullopt);
    const std::vector<std::string> log = server().log();
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.starts_with("GET "); }), 1)
        << "the request was made";
  }

  // Sent at once, the same answer is read in full.
  server().answer("200", list);
  EXPECT_EQ(check_for_updates(std::chrono::seconds(20)), UpdateOutcome{UpToDate{}});
  EXPECT_EQ(update_value(L"UpdateChecked"), wide(today()));
}

}  // namespace
