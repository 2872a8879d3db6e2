// The update check's Win32 side that a test can reach without the network:
// the slot between the worker and the GUI thread, and the registry values.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "update/update_registry.h"
#include "update/update_worker.h"

namespace {

constexpr wchar_t update_key[] = L"Software\\Quorvex\\nimbol";

// Posted results waiting for the window, taken out of its queue.
int posted_results(HWND window) {
  MSG msg;
  int count = 0;
  while (PeekMessageW(&msg, window, WM_APP_UPDATE_RESULT, WM_APP_UPDATE_RESULT, PM_REMOVE)) ++count;
  return count;
}

TEST(UpdateHandOver, KeepsTheLatestOutcomeAndNeverPostsToAFrameThatIsGone) {
  HWND frame = CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(frame, nullptr);
  UpdateHandOver slot;
  EXPECT_EQ(slot.take(), std::nullopt);

  slot.deliver(frame, HttpStatus{404});
  slot.deliver(frame, UpToDate{});
  EXPECT_EQ(posted_results(frame), 2);
  EXPECT_EQ(slot.take(), UpdateOutcome{UpToDate{}});
  EXPECT_EQ(slot.take(), std::nullopt);

  // Posting is part of delivering, so an empty queue right after is proof.
  slot.close();
  slot.deliver(frame, BadFeed{});
  EXPECT_EQ(posted_results(frame), 0);
  EXPECT_EQ(slot.take(), UpdateOutcome{BadFeed{}});
  DestroyWindow(frame);
}

TEST(UpdateRegistry, ValuesAreStringsWithTheirTerminatorAndOtherTypesCountAsMissing) {
  write_update_value(UPDATE_NOTIFIED_VALUE, "2027.1.0");
  DWORD type = 0;
  wchar_t data[32]{};
  DWORD size = sizeof data;
  ASSERT_EQ(
      RegGetValueW(HKEY_CURRENT_USER, update_key, L"UpdateNotified", RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size),
      ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::wstring(data, size / sizeof(wchar_t)), std::wstring(L"2027.1.0", 9));
  EXPECT_EQ(read_update_value(UPDATE_NOTIFIED_VALUE), "2027.1.0");

  const struct {
    DWORD type;
    std::wstring text;
    UpdateSetting setting;
  } cases[] = {
      {REG_SZ, L"on", UpdateSetting::On},
      {REG_SZ, L"off", UpdateSetting::Off},
      {REG_SZ, L"", UpdateSetting::Undecided},
      {REG_MULTI_SZ, L"on", UpdateSetting::Undecided},
  };
  for (const auto& c : cases) {
    RegSetKeyValueW(HKEY_CURRENT_USER, update_key, L"UpdateCheck", c.type, c.text.c_str(),
                    static_cast<DWORD>((c.text.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(update_check_setting(), c.setting) << c.type;
  }
  const DWORD number = 1;
  RegSetKeyValueW(HKEY_CURRENT_USER, update_key, L"UpdateCheck", REG_DWORD, &number, sizeof number);
  EXPECT_EQ(read_update_value(UPDATE_CHECK_VALUE), std::nullopt);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, update_key, L"UpdateCheck");
  EXPECT_EQ(update_check_setting(), UpdateSetting::Undecided);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, update_key, L"UpdateNotified");
}

}  // namespace
