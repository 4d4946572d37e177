#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

// The names in a folder, sorted and joined by spaces: what a score save left behind.
inline std::string FolderListing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : " ") + name;
    return text;
}
