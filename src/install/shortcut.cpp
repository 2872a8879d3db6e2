// Shortcuts are files in a format only the shell writes reliably, so the
// link object of the shell writes them: COM, initialised for this call on
// the calling thread (the GUI thread, or start-up before any window).

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "install/shortcut.h"

#include "base/system_error.h"
#include "base/utf.h"

namespace {

// COM for the length of one call; a thread that has it already keeps it.
class ComScope {
 public:
  ComScope() noexcept : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  // RPC_E_CHANGED_MODE: COM is there, in the other threading model, which
  // the in-process link object works with too.
  HRESULT failure() const noexcept { return result_ == RPC_E_CHANGED_MODE ? S_OK : (FAILED(result_) ? result_ : S_OK); }

 private:
  HRESULT result_;
};

template <class T>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (p_) p_->Release();
  }
  T* operator->() const noexcept { return p_; }
  T** put() noexcept { return &p_; }
  void** put_void() noexcept { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};

HRESULT write_link(const std::wstring& link_path, const std::wstring& target, const std::wstring& folder,
                   const std::wstring& description) {
  ComRef<IShellLinkW> link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void());
  if (FAILED(hr)) return hr;
  if (FAILED(hr = link->SetPath(target.c_str()))) return hr;
  if (FAILED(hr = link->SetWorkingDirectory(folder.c_str()))) return hr;
  if (FAILED(hr = link->SetDescription(description.c_str()))) return hr;
  if (FAILED(hr = link->SetIconLocation(target.c_str(), 0))) return hr;
  ComRef<IPersistFile> file;
  if (FAILED(hr = link->QueryInterface(IID_IPersistFile, file.put_void()))) return hr;
  return file->Save(link_path.c_str(), TRUE);
}

}  // namespace

Result<void> create_shortcut(const std::string& link_path, const std::string& target, const std::string& working_folder,
                             const std::string& description) {
  const ComScope com;
  HRESULT hr = com.failure();
  if (SUCCEEDED(hr))
    hr = write_link(to_wide(link_path), to_wide(target), to_wide(working_folder), to_wide(description));
  if (FAILED(hr)) return fail(system_error_text(static_cast<unsigned long>(hr)));
  return {};
}
