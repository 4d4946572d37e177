#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace runtime::support {

// Numbered text files, as the high-score and level files use them. The file most recently
// opened is the current file; ReadTextLine and WriteTextLine act on it. Names are the
// game's own (backslashes allowed) and relative to the current directory.

// Differs: reopening a file number closes the old file
// (docs/differences.md, Files, text and programs)
// Opens the file for reading and writing, creating it if missing; it becomes the current
// file. A file already open under the same number is closed first. Nonzero on success.
int OpenFileReadWrite(int fileNumber, std::string_view fileName);

// Opens an existing regular file for reading only; it becomes the current file. Nothing
// is created. Nonzero on success.
int OpenFileForReading(int fileNumber, std::string_view fileName);

// Creates the file, or empties an existing one, for writing; it becomes the current file.
// Nonzero on success.
int CreateFileForWriting(int fileNumber, std::string_view fileName);

// Differs: each save writes under a fresh name, never through a link
// (docs/differences.md, High scores)
// Creates a new, empty file beside `fileName` (in its folder) for writing, under a name
// nothing has yet: "<name>.tmp." and six letters or digits. It becomes the current file.
// An existing file or link is never opened, so nothing can be written through a link
// planted there, and two programs saving at once never share a file. The new file takes
// the permission bits of `fileName` when that is a plain file. Its name goes into
// `newName`. Nonzero on success.
int CreateFileBeside(int fileNumber, std::string_view fileName, std::string& newName);

// The same without a file number: the open descriptor (closed by the caller), or -1.
int OpenNewFileBeside(std::string_view fileName, std::string& newName);

// True when `name`, a bare name without a folder, has the shape of the new files
// CreateFileBeside makes beside `fileName`.
bool IsNameBeside(std::string_view fileName, std::string_view name);

// Closes the file and empties its number. If it was the current file there is no current
// file any more.
void CloseFileNumber(int fileNumber);

// Closes every numbered file; part of ending the program.
void CloseAllFiles();

// Differs: a line keeps its first thousand characters
// (docs/differences.md, Files, text and programs)
// The next line of the current file, without its ending (CR LF, LF, CR or a NUL byte).
// At the end of the file the part read so far; without a current file the empty text.
// Only the first `keep` bytes of the line are kept; the rest is read past, so a damaged
// file with one endless line cannot take all the memory.
std::string ReadTextLine(std::size_t keep = std::string::npos);

// Writes the text and CR LF to the current file and returns the number of bytes written;
// 0 without a current file.
int WriteTextLine(std::string_view text);

// Writes the file's contents through to the disk and closes it. 1 when the disk took
// everything, 0 when it reported an error (a full disk may only say so here).
int FinishFileNumber(int fileNumber);

// Puts the file `from` in the place of `to` in one step: a reader sees the old file or the
// new one, never a mix, even if the program dies part-way. `to` must not be a folder.
// Nonzero on success; on failure both files stay as they were.
int ReplaceFile(std::string_view from, std::string_view to);

// True when a file of that name may be replaced by a new one: it is missing, or it is a
// plain file that can be read (so nothing unseen is lost) and that its owner may write (a
// read-only file is the player's way of keeping it).
bool FileCanBeReplaced(std::string_view fileName);

// True when nothing is found under that name (a link to nothing counts as missing); false
// for anything present, readable or not, and when the name cannot be looked up.
bool FileIsMissing(std::string_view fileName);

// Removes the file (not a folder). Nonzero on success.
int DeleteFile(std::string_view fileName);

}  // namespace runtime::support
