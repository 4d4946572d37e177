#pragma once

#include <string>
#include <string_view>

namespace runtime::support {

// Numbered text files, as the high-score and level files use them. The file most recently
// opened is the current file; ReadTextLine and WriteTextLine act on it. Names are the
// game's own (backslashes allowed) and relative to the current directory.

// Opens the file for reading and writing, creating it if missing; it becomes the current
// file. A file already open under the same number is closed first. Nonzero on success.
int OpenFileReadWrite(int fileNumber, std::string_view fileName);

// Opens an existing regular file for reading only; it becomes the current file. Nothing
// is created. Nonzero on success.
int OpenFileForReading(int fileNumber, std::string_view fileName);

// Creates the file, or empties an existing one, for writing; it becomes the current file.
// Nonzero on success.
int CreateFileForWriting(int fileNumber, std::string_view fileName);

// Closes the file and empties its number. If it was the current file there is no current
// file any more.
void CloseFileNumber(int fileNumber);

// Closes every numbered file; part of ending the program.
void CloseAllFiles();

// The next line of the current file, without its ending (CR LF, LF, CR or a NUL byte).
// At the end of the file the part read so far; without a current file the empty text.
std::string ReadTextLine();

// Writes the text and CR LF to the current file and returns the number of bytes written;
// 0 without a current file.
int WriteTextLine(std::string_view text);

}  // namespace runtime::support
