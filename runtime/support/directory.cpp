#include "runtime/support/directory.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <vector>

#include "runtime/support/numbered_limits.hpp"
#include "runtime/support/numbered_table.hpp"
#include "runtime/support/path.hpp"

namespace runtime::support {
namespace {

struct Scan {
    std::size_t number = 0;
    DIR* dir = nullptr;  // null when the folder could not be opened or nothing matched
    std::string pattern;
    std::string pendingName;  // the first match, found when the scan starts
    int pendingKind = 0;
    bool firstDelivered = false;
};

std::vector<Scan*> scans(10, nullptr);
Scan* current = nullptr;
std::string entryName;

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool Wildcard(std::string_view name, std::string_view pattern) {
    // Greedy matching with one backtrack point, enough for '*' and '?'.
    std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// 2 for a folder (following links, as a player sees them), 1 for anything else.
int KindOf(DIR* dir, const dirent& entry) {
    if (entry.d_type == DT_DIR) return 2;
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) return 1;
    struct stat info {};
    if (fstatat(dirfd(dir), entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode)) return 2;
    return 1;
}

// Reads on to the next matching entry; false when the folder has no more.
bool FindNext(Scan& scan) {
    while (const dirent* entry = readdir(scan.dir)) {
        if (!NameMatchesPattern(entry->d_name, scan.pattern)) continue;
        scan.pendingName = entry->d_name;
        scan.pendingKind = KindOf(scan.dir, *entry);
        return true;
    }
    return false;
}

void Free(std::size_t number) {
    Scan*& scan = scans[number];
    if (scan == nullptr) return;
    if (scan == current) current = nullptr;
    if (scan->dir != nullptr) closedir(scan->dir);
    delete scan;
    scan = nullptr;
}

}  // namespace

bool NameMatchesPattern(std::string_view name, std::string_view pattern) {
    if (pattern.empty() || pattern == "*.*" || pattern == "*") return true;
    if (Wildcard(name, pattern)) return true;
    // A trailing ".*" also matches a name with no extension at all ("readme" for "read*.*").
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*") {
        return name.find('.') == std::string_view::npos &&
               Wildcard(name, pattern.substr(0, pattern.size() - 2));
    }
    return false;
}

int StartDirectoryScan(int scanNumber, std::string_view path, std::string_view pattern) {
    if (!SlotFor(scans, scanNumber, limits::kHighestScanNumber)) return 0;
    Free(std::size_t(scanNumber));
    auto* scan = new Scan;
    scan->number = std::size_t(scanNumber);
    scan->pattern = pattern.empty() ? std::string("*.*") : std::string(pattern);
    scans[std::size_t(scanNumber)] = scan;
    current = scan;

    const std::string folder = path.empty() ? std::string(".") : PlatformPath(path);
    scan->dir = opendir(folder.c_str());
    if (scan->dir == nullptr) return 0;
    if (!FindNext(*scan)) {
        closedir(scan->dir);
        scan->dir = nullptr;
        return 0;
    }
    return 1;
}

int NextDirectoryEntry() {
    if (current == nullptr) return 0;
    Scan& scan = *current;
    bool found = scan.dir != nullptr;
    if (found && scan.firstDelivered) found = FindNext(scan);
    if (!found) {
        Free(scan.number);
        return 0;
    }
    scan.firstDelivered = true;
    entryName = scan.pendingName;
    return scan.pendingKind;
}

std::string DirectoryEntryName() {
    return entryName;
}

void CloseAllDirectoryScans() {
    for (std::size_t n = 0; n < scans.size(); ++n)
        Free(n);
    current = nullptr;
}

}  // namespace runtime::support
