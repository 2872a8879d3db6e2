// The licences viewer's text. The notices are the Debian packages' copyright
// files of the libraries the program is linked with (kept in the licenses
// folder and compiled in); a test compares this list with the link map of
// nimbol.exe, so a library added to the link without its notice fails it.
// The versions are the libraries' own, taken from the headers the build
// compiled against, so they cannot go stale when a package is updated; the
// same test holds them against the archives that were linked.

#include "about/licenses.h"

#include <gcrypt.h>
#include <gpg-error.h>
#include <nlohmann/json_fwd.hpp>

#include <array>

#include "about/embedded_texts.h"
#include "model/maker_site.h"
#include "update/update_text.h"

#if __has_include(<_mingw.h>)
#include <_mingw.h>
#endif

namespace {

#define NIMBOL_TEXT_OF(x) #x
#define NIMBOL_TEXT(x) NIMBOL_TEXT_OF(x)

// libstdc++ names its release and the date of its sources; distributions
// patch the compiler's own version macros, so these are the honest ones.
constexpr std::string_view gcc_version = NIMBOL_TEXT(_GLIBCXX_RELEASE) " (libstdc++ of " NIMBOL_TEXT(__GLIBCXX__) ")";
#ifdef __MINGW64_VERSION_MAJOR
constexpr std::string_view mingw_version = NIMBOL_TEXT(__MINGW64_VERSION_MAJOR) "." NIMBOL_TEXT(
    __MINGW64_VERSION_MINOR) "." NIMBOL_TEXT(__MINGW64_VERSION_BUGFIX);
#else
constexpr std::string_view mingw_version = "not part of this build";
#endif

constexpr std::array<LicensedComponent, 7> components = {{
    {"libgcrypt", GCRYPT_VERSION, "GNU Lesser General Public License 2.1 or later", "libgcrypt.txt"},
    {"libgpg-error", GPG_ERROR_VERSION, "GNU Lesser General Public License 2.1 or later", "libgpg-error.txt"},
    {"nlohmann/json",
     NIMBOL_TEXT(NLOHMANN_JSON_VERSION_MAJOR) "." NIMBOL_TEXT(NLOHMANN_JSON_VERSION_MINOR) "." NIMBOL_TEXT(
         NLOHMANN_JSON_VERSION_PATCH),
     "MIT License", "nlohmann-json.txt"},
    {"GCC runtime libraries", gcc_version,
     "libstdc++ and libgcc: GNU General Public License 3 or later with the GCC Runtime Library Exception 3.1",
     "gcc-runtime.txt"},
    // Inside libstdc++, but under a notice of its own.
    {"GCC C++ demangler (libiberty)", gcc_version,
     "GNU General Public License 2 or later with an exception that permits linking it into any program",
     "libiberty-demangler.txt"},
    {"mingw-w64 runtime", mingw_version,
     "Zope Public License 2.1; parts in the public domain or under the permissive licences named in its notice",
     "mingw-w64.txt"},
    {"winpthreads", mingw_version, "MIT License; parts under a 3-clause BSD license or in the public domain",
     "winpthreads.txt"},
}};

struct FullText {
  std::string_view title;
  std::string_view file;
};

// The licences the notices refer to by name, in full.
constexpr std::array<FullText, 3> full_texts = {{
    {"GNU Lesser General Public License, version 2.1", "LGPL-2.1.txt"},
    {"GNU General Public License, version 3", "GPL-3.txt"},
    {"GNU General Public License, version 2", "GPL-2.txt"},
}};

void append_crlf(std::string& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') continue;
    if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  if (!text.empty() && text.back() != '\n') out += "\r\n";
}

void append_section(std::string& out, std::string_view title, std::string_view text) {
  out += "\r\n";
  out += "======== ";
  out += title;
  out += " ========\r\n\r\n";
  append_crlf(out, text);
}

}  // namespace

std::span<const LicensedComponent> licensed_components() { return components; }

std::string relinking_note() {
  std::string note =
      "libgcrypt and libgpg-error are linked into nimbol.exe. Their licence lets you use Nimbol with changed "
      "versions of them: the object files of Nimbol and the command that links them, with a README that says how, "
      "are in nimbol-relink.zip, published for every release beside nimbol.exe on ";
  note += updates_page_url(UPDATE_HOST);
  note += ".\r\n";
  return note;
}

std::string licenses_text() {
  std::string out = "Nimbol " + std::string(PRODUCT_VERSION) + " is built with these open-source components:\r\n\r\n";
  for (const LicensedComponent& c : components) {
    out += "- " + std::string(c.name) + " (version " + std::string(c.version) + "): " + std::string(c.license) + "\r\n";
  }
  out += "\r\n" + relinking_note();
  out += "\r\nTheir copyright and licence notices follow, then the full texts of the GNU licences they refer to.\r\n";
  for (const LicensedComponent& c : components) {
    append_section(out, std::string(c.name) + " " + std::string(c.version), embedded_text(c.notice));
  }
  for (const FullText& t : full_texts) append_section(out, t.title, embedded_text(t.file));
  return out;
}
