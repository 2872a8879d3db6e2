// The licences viewer's text. The notices are the Debian packages' copyright
// files of the libraries the program is linked with (kept in the licenses
// folder and compiled in); a test compares this list with the link map of
// nimbol.exe, so a library added to the link without its notice fails it.

#include "about/licenses.h"

#include <array>

#include "about/embedded_texts.h"
#include "model/maker_site.h"

namespace {

constexpr std::array<LicensedComponent, 6> components = {{
    {"libgcrypt", "1.10.1", "GNU Lesser General Public License 2.1 or later", "libgcrypt.txt"},
    {"libgpg-error", "1.46", "GNU Lesser General Public License 2.1 or later", "libgpg-error.txt"},
    {"nlohmann/json", "3.11.2", "MIT License", "nlohmann-json.txt"},
    {"GCC runtime libraries", "12.2.0",
     "libstdc++ and libgcc: GNU General Public License 3 or later with the GCC Runtime Library Exception 3.1",
     "gcc-runtime.txt"},
    {"mingw-w64 runtime", "10.0.0",
     "Zope Public License 2.1; parts in the public domain or under the permissive licences named in its notice",
     "mingw-w64.txt"},
    {"winpthreads", "10.0.0", "MIT License; parts under a 3-clause BSD license or in the public domain",
     "winpthreads.txt"},
}};

struct FullText {
  std::string_view title;
  std::string_view file;
};

// The licences the notices refer to by name, in full.
constexpr std::array<FullText, 2> full_texts = {{
    {"GNU Lesser General Public License, version 2.1", "LGPL-2.1.txt"},
    {"GNU General Public License, version 3", "GPL-3.txt"},
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

std::string licenses_text() {
  std::string out = "Nimbol " + std::string(PRODUCT_VERSION) + " is built with these open-source components:\r\n\r\n";
  for (const LicensedComponent& c : components) {
    out += "- " + std::string(c.name) + " (version " + std::string(c.version) + "): " + std::string(c.license) + "\r\n";
  }
  out += "\r\nTheir copyright and licence notices follow, then the full texts of the GNU licences they refer to.\r\n";
  for (const LicensedComponent& c : components) {
    append_section(out, std::string(c.name) + " " + std::string(c.version), embedded_text(c.notice));
  }
  for (const FullText& t : full_texts) append_section(out, t.title, embedded_text(t.file));
  return out;
}
