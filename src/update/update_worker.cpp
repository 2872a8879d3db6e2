// The one piece of the program that uses the network. It sends a plain GET
// without parameters, cookies or body, follows no redirect, reads at most a
// quarter megabyte and gives up after a minute. The worker touches no window
// and no state of the GUI thread: it writes one registry value, fills the
// slot and posts.

#include <windows.h>

#include <winhttp.h>

#include "update/update_worker.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <thread>
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

using Clock = std::chrono::steady_clock;

Unreachable last_failure() { return {static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError()))}; }
Unreachable timed_out() { return {static_cast<std::uint32_t>(HRESULT_FROM_WIN32(ERROR_WINHTTP_TIMEOUT))}; }

using Fetched = std::variant<std::string, UpdateOutcome>;

// Holds every step of the exchange to what is left of the check's time, so
// that a step started near the end cannot outlast it by its own time-out.
// False, with the time-out as the last error, once nothing is left.
bool limit_to(HINTERNET handle, Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  if (left <= 0) {
    SetLastError(ERROR_WINHTTP_TIMEOUT);
    return false;
  }
  const auto ms = static_cast<int>(std::min<long long>(left, timeout_ms));
  if (!WinHttpSetTimeouts(handle, ms, ms, ms, ms)) return false;
  // The headers as a whole, where WinHTTP knows this limit (not every
  // version does; the per-read one above still holds then).
  DWORD headers_ms = static_cast<DWORD>(ms);
  WinHttpSetOption(handle, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headers_ms, sizeof headers_ms);
  return true;
}

// The body of a 200 answer, or how the exchange ended instead. The handles
// close in the reverse order of opening on every path.
Fetched fetch_list(Clock::time_point deadline) {
  InternetHandle session(WinHttpOpen(L"Quorvex update check", WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                     WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) return last_failure();
  if (!limit_to(session.get(), deadline)) return last_failure();
  const std::wstring host = to_wide(UPDATE_HOST);
  InternetHandle connection(WinHttpConnect(session.get(), host.c_str(), INTERNET_DEFAULT_HTTPS_PORT, 0));
  if (!connection) return last_failure();
  InternetHandle request(WinHttpOpenRequest(connection.get(), L"GET", L"/updates/nimbol.json", nullptr,
                                            WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE));
  if (!request) return last_failure();
  DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
  if (!WinHttpSetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy)) return last_failure();
  if (!limit_to(request.get(), deadline) ||
      !WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !limit_to(request.get(), deadline) || !WinHttpReceiveResponse(request.get(), nullptr)) {
    return last_failure();
  }
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
    return last_failure();
  }
  if (status != 200) return HttpStatus{status};

  // Asking what has arrived before reading it: a read of a whole buffer
  // may wait for the buffer to fill, one slow byte at a time.
  std::string body;
  char buffer[read_chunk];
  for (;;) {
    DWORD available = 0;
    if (!limit_to(request.get(), deadline) || !WinHttpQueryDataAvailable(request.get(), &available)) {
      return last_failure();
    }
    DWORD read = 0;
    if (available > 0 && !WinHttpReadData(request.get(), buffer, std::min<DWORD>(available, read_chunk), &read)) {
      return last_failure();
    }
    if (read == 0) return body;
    body.append(buffer, read);
    if (body.size() > FEED_BYTE_LIMIT) return BadFeed{};
  }
}

Fetched fetch_guarded(Clock::time_point deadline) noexcept {
  try {
    return fetch_list(deadline);
  } catch (const std::bad_alloc&) {
    return Unreachable{static_cast<std::uint32_t>(E_OUTOFMEMORY)};
  } catch (...) {
    return Unreachable{static_cast<std::uint32_t>(E_UNEXPECTED)};
  }
}

// The exchange runs on a thread of its own, and this one waits for it no
// longer than the deadline. Every step is held to the deadline too, so the
// exchange nearly always ends by itself in time; where WinHTTP waits inside
// one step for more than its time-outs say (some versions read a whole
// record or header one slow byte after another), it is left to finish on
// its own and what it brings is dropped.
Fetched fetch_before(Clock::time_point deadline) {
  struct Exchange {
    std::mutex mutex;
    std::condition_variable ended;
    std::optional<Fetched> result;
  };
  auto exchange = std::make_shared<Exchange>();
  try {
    std::thread([exchange, deadline] {
      Fetched fetched = fetch_guarded(deadline);
      const std::lock_guard lock(exchange->mutex);
      exchange->result = std::move(fetched);
      exchange->ended.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    return Unreachable{static_cast<std::uint32_t>(E_OUTOFMEMORY)};
  }
  std::unique_lock lock(exchange->mutex);
  if (!exchange->ended.wait_until(lock, deadline, [&] { return exchange->result.has_value(); })) return timed_out();
  return std::move(*exchange->result);
}

}  // namespace

UpdateOutcome check_for_updates(std::chrono::milliseconds deadline) {
  auto fetched = fetch_before(Clock::now() + deadline);
  if (auto* ended = std::get_if<UpdateOutcome>(&fetched)) return *ended;
  const auto builds = read_feed(std::get<std::string>(fetched));
  if (!builds) return BadFeed{};
  write_update_value(UPDATE_CHECKED_VALUE, format_date(today_utc()));
  return outcome_for(*builds, own_version());
}

namespace {

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
    outcome = check_for_updates(UPDATE_CHECK_DEADLINE);
  } catch (const std::bad_alloc&) {
    outcome = Unreachable{static_cast<std::uint32_t>(E_OUTOFMEMORY)};
  } catch (...) {
    outcome = Unreachable{static_cast<std::uint32_t>(E_UNEXPECTED)};
  }
  // Always, so that the GUI thread's running flag is cleared.
  update_hand_over().deliver(frame, std::move(outcome));
}
