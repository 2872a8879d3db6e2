// Any decrypted session index must read without a crash; whatever reads as
// an index must be writable (its strings came through a UTF-8 check) and
// read back unchanged; and the restore plan built from it must hand every
// tab a distinct id below the next one, never the largest.

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "store/session_index.h"
#include "store/session_plan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto index = parse_index(text);
  if (!index) return 0;
  const auto written = serialize_index(*index);
  if (!written) std::abort();
  const auto again = parse_index(*written);
  if (!again || *again != *index) std::abort();

  // Some files for the entries' ids: readable, unreadable, not UTF-8.
  std::vector<StoredTabFile> files;
  for (std::size_t i = 0; i < index->tabs.size() && i < 64; ++i) {
    const std::uint64_t id = index->tabs[i].id;
    switch (id % 4) {
      case 0:
        files.push_back({tab_file_name(id), SecureBuffer(std::string_view("text"))});
        break;
      case 1:
        files.push_back({tab_file_name(id), std::nullopt});
        break;
      case 2:
        files.push_back({tab_file_name(id), SecureBuffer(std::string_view("\xff"))});
        break;
      default:
        break;
    }
  }
  const RestorePlan plan = plan_restore(std::move(*index), std::move(files));
  std::set<std::uint64_t> ids;
  for (const auto& tab : plan.tabs) {
    if (!ids.insert(tab.id).second) std::abort();
    if (tab.id >= plan.next_id || tab.id == UINT64_MAX) std::abort();
  }
  const std::vector<bool> kept(plan.tabs.size(), true);
  if (!plan.tabs.empty() && restored_active(plan, kept) >= plan.tabs.size()) std::abort();
  return 0;
}
