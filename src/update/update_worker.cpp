// The one piece of the program that uses the network. It sends a plain GET
// without parameters, cookies or body, follows no redirect, and reads at
// most a quarter megabyte. The worker touches no window and no state of the
// GUI thread: it writes one registry value, fills the slot and posts.

#include <windows.h>

#include <winhttp.h>

#include "update/update_worker.h"

#include <new>
#include <string>
#include <variant>

#include "base/handles.h"
#include "base/utf.h"
#include "model/maker_site.h"
#include "update/update_registry.h"

namespace {

void close_internet(HINTERNET handle) noexcept { WinHttpCloseHandle(handle); }
using InternetHandle = UniqueHandle<HINTERNET, close_internet>;

constexpr DWORD timeout_ms = 10000;
constexpr DWORD read_chunk = 8192;

Unreachable last_failure() { return {static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError()))}; }

// The body of a 200 answer, or how the exchange ended instead. The handles
// close in the reverse order of opening on every path.
std::variant<std::string, UpdateOutcome> fetch_list() {
  InternetHandle session(WinHttpOpen(L"Quorvex update check", WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                     WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) return last_failure();
  if (!WinHttpSetTimeouts(session.get(), timeout_ms, timeout_ms, timeout_ms, timeout_ms)) return last_failure();
  const std::wstring host = to_wide(UPDATE_HOST);
  InternetHandle connection(WinHttpConnect(session.get(), host.c_str(), INTERNET_DEFAULT_HTTPS_PORT, 0));
  if (!connection) return last_failure();
  InternetHandle request(WinHttpOpenRequest(connection.get(), L"GET", L"/updates/nimbol.json", nullptr,
                                            WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE));
  if (!request) return last_failure();
  DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
  if (!WinHttpSetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy)) return last_failure();
  if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(request.get(), nullptr)) {
    return last_failure();
  }
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
    return last_failure();
  }
  if (status != 200) return HttpStatus{status};

  std::string body;
  char buffer[read_chunk];
  for (;;) {
    DWORD read = 0;
    if (!WinHttpReadData(request.get(), buffer, read_chunk, &read)) return last_failure();
    if (read == 0) return body;
    body.append(buffer, read);
    if (body.size() > FEED_BYTE_LIMIT) return BadFeed{};
  }
}

UpdateOutcome check_once() {
  auto fetched = fetch_list();
  if (auto* ended = std::get_if<UpdateOutcome>(&fetched)) return *ended;
  const auto builds = read_feed(std::get<std::string>(fetched));
  if (!builds) return BadFeed{};
  write_update_value(UPDATE_CHECKED_VALUE, format_date(today_utc()));
  return outcome_for(*builds, own_version());
}

DWORD WINAPI update_thread(void* frame) {
  run_update_check(static_cast<HWND>(frame));
  return 0;
}

}  // namespace

void UpdateHandOver::deliver(HWND frame, UpdateOutcome outcome) {
  // Posting under the lock: once close() has returned, no post can follow.
  const std::lock_guard lock(mutex_);
  outcome_ = std::move(outcome);
  if (!closed_) PostMessageW(frame, WM_APP_UPDATE_RESULT, 0, 0);
}

std::optional<UpdateOutcome> UpdateHandOver::take() {
  const std::lock_guard lock(mutex_);
  return std::exchange(outcome_, std::nullopt);
}

void UpdateHandOver::close() {
  const std::lock_guard lock(mutex_);
  closed_ = true;
}

UpdateHandOver& update_hand_over() {
  static UpdateHandOver* const slot = new UpdateHandOver;  // never destroyed, on purpose
  return *slot;
}

void start_update_worker(HWND frame) {
  HANDLE thread = CreateThread(nullptr, 0, update_thread, frame, 0, nullptr);
  if (!thread) {
    update_hand_over().deliver(frame, last_failure());
    return;
  }
  CloseHandle(thread);
}

void run_update_check(HWND frame) {
  UpdateOutcome outcome = BadFeed{};
  try {
    outcome = check_once();
  } catch (const std::bad_alloc&) {
    outcome = Unreachable{static_cast<std::uint32_t>(E_OUTOFMEMORY)};
  } catch (...) {
    outcome = Unreachable{static_cast<std::uint32_t>(E_UNEXPECTED)};
  }
  // Always, so that the GUI thread's running flag is cleared.
  update_hand_over().deliver(frame, std::move(outcome));
}
