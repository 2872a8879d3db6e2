// Time and date in the user's own formats, from the locale rather than a
// fixed pattern, so that the text reads as the rest of their system does.

#include <windows.h>

#include <richedit.h>

#include "print/time_date.h"

namespace {

constexpr int part_limit = 64;

}  // namespace

std::wstring time_date_text(const SYSTEMTIME& when) {
  wchar_t time[part_limit] = {};
  wchar_t date[part_limit] = {};
  if (GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &when, nullptr, time, part_limit) == 0) time[0] = 0;
  if (GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, date, part_limit, nullptr) == 0) {
    date[0] = 0;
  }
  return std::wstring(time) + L" " + date;
}

void insert_time_date(HWND editor) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const std::wstring text = time_date_text(now);
  SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}
