#pragma once
// The addresses the program shows and contacts, set at configure time
// (NIMBOL_UPDATE_HOST, NIMBOL_HOMEPAGE in CMakeLists.txt).

#include <string_view>

inline constexpr std::string_view PRODUCT_VERSION = NIMBOL_VERSION;
inline constexpr std::string_view UPDATE_HOST = NIMBOL_UPDATE_HOST;
inline constexpr std::string_view HOMEPAGE_URL = NIMBOL_HOMEPAGE;
