#pragma once

#include <string>
#include <string_view>

namespace runtime::support {

// The game names its files with backslashes ("data\level1.pak"); every file the runtime opens
// passes through here once, which turns each backslash into a slash. Names stay relative
// to the current directory.
std::string PlatformPath(std::string_view gameName);

}  // namespace runtime::support
