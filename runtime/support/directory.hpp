#pragma once

#include <string>
#include <string_view>

namespace runtime::support {

// Directory scans, numbered by the caller, as the launcher lists level files. The scan
// most recently started is the current one; entries come in name order, compared without
// regard to case and then byte by byte, whatever order the file system keeps them in.

// Starts listing the entries of path whose names match pattern ("*.*" when empty). The
// pattern is matched without regard to case: '*' any run of characters, '?' any one, and
// "*.*" every name (a name without a dot included). Returns nonzero if at least one entry matches; 0 for none or for
// a folder that cannot be read.
int StartDirectoryScan(int scanNumber, std::string_view path, std::string_view pattern);

// Moves to the next entry of the current scan: 1 for a file, 2 for a folder ("." and ".."
// included), 0 when none is left, which also ends and frees the scan.
int NextDirectoryEntry();

// Name of the entry NextDirectoryEntry just delivered.
std::string DirectoryEntryName();

// Ends every scan; part of ending the program.
void CloseAllDirectoryScans();

// The name matching of StartDirectoryScan, for the launcher's own filters.
bool NameMatchesPattern(std::string_view name, std::string_view pattern);

}  // namespace runtime::support
