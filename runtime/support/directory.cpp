#include "runtime/support/directory.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "runtime/support/numbered_limits.hpp"
#include "runtime/support/numbered_table.hpp"
#include "runtime/support/path.hpp"

namespace runtime::support {
namespace {

struct Entry {
    std::string name;
    int kind = 0;  // 1 a file, 2 a folder
};

struct Scan {
    std::size_t number = 0;
    std::vector<Entry> entries;  // every match, in name order
    std::size_t next = 0;        // the entry NextDirectoryEntry delivers next
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

// Name order as a player expects a list: letters compared as capitals (so "_" sorts after
// the letters), then byte by byte, so "Level" and "level" still have a fixed order.
// Directory reads on Linux come in the file system's hash order, hence the sort.
bool ComesBefore(const Entry& a, const Entry& b) {
    const auto upper = [](char c) {
        return static_cast<unsigned char>((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
    };
    const auto byLetter = [&](char x, char y) { return upper(x) < upper(y); };
    if (std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                     byLetter))
        return true;
    if (std::lexicographical_compare(b.name.begin(), b.name.end(), a.name.begin(), a.name.end(),
                                     byLetter))
        return false;
    const auto byByte = [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    };
    return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                        byByte);
}

// Every entry of the folder that matches, sorted; empty when the folder cannot be read.
std::vector<Entry> MatchingEntries(const std::string& folder, const std::string& pattern) {
    std::vector<Entry> entries;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return entries;
    while (const dirent* entry = readdir(dir)) {
        if (NameMatchesPattern(entry->d_name, pattern))
            entries.push_back({entry->d_name, KindOf(dir, *entry)});
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end(), ComesBefore);
    return entries;
}

void Free(std::size_t number) {
    Scan*& scan = scans[number];
    if (scan == nullptr) return;
    if (scan == current) current = nullptr;
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
    scans[std::size_t(scanNumber)] = scan;
    current = scan;

    const std::string folder = path.empty() ? std::string(".") : PlatformPath(path);
    scan->entries = MatchingEntries(folder, pattern.empty() ? "*.*" : std::string(pattern));
    return scan->entries.empty() ? 0 : 1;
}

int NextDirectoryEntry() {
    if (current == nullptr) return 0;
    Scan& scan = *current;
    if (scan.next == scan.entries.size()) {
        Free(scan.number);
        return 0;
    }
    const Entry& entry = scan.entries[scan.next++];
    entryName = entry.name;
    return entry.kind;
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
