#include "runtime/support/path.hpp"

namespace runtime::support {

std::string PlatformPath(std::string_view gameName) {
    std::string path(gameName);
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

}  // namespace runtime::support
