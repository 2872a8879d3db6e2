#pragma once
// The files of the repository's licenses folder, compiled into the program
// (the build generates the definition from the files themselves).

#include <string_view>

// The bytes of the file with this name, or an empty view for an unknown one.
std::string_view embedded_text(std::string_view file_name);
