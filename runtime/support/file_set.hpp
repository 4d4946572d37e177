#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace runtime::support {

// Files of one folder that belong together, as the two high-score files do, replaced all
// at once. A save writes each new file beside its old one, then a commit mark naming the
// new files, then moves them into place and removes the mark. Whoever next holds the set
// completes the moves of a save that died after writing its mark and removes the new files
// of one that died before, so a reader always finds all the old files or all the new ones.
class FileSet {
  public:
    // The files and the commit mark by their game names, all in the same folder.
    FileSet(std::initializer_list<std::string_view> fileNames, std::string_view markName);
    // Lets go of the folder; new files that were not put in place are removed.
    ~FileSet();
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;

    // Waits until no other program holds the folder, then holds it until the set goes away,
    // so saves and reads of the set never overlap; completes or clears what a save cut
    // short left behind. False when another program keeps the folder past the wait (or an
    // unfinished save cannot be completed): the files are then as that left them. Where the
    // file system has no locks the set goes on without holding the folder.
    bool Hold(int waitMilliseconds = 3000);

    // True when every file of the set may be replaced (FileCanBeReplaced).
    bool CanReplace() const;

    // Creates the new file for file `index` of the set (CreateFileBeside) as the current
    // file under the file number; the caller writes it and finishes it. Nonzero on success.
    int CreateReplacement(std::size_t index, int fileNumber);

    // Puts every new file in the place of its old one, together; each file must have its
    // replacement. Nonzero on success. On failure before the mark the old files stay and the
    // new ones are removed; a move that fails after it is tried again by the next Hold.
    int ReplaceAll();

  private:
    bool Settle();
    void RemoveLeftovers();
    void SyncFolder();

    struct Member {
        std::string gameName;
        std::string path;
        std::string replacement;  // the new file's path, empty until created
    };
    std::vector<Member> members_;
    std::string markGameName_;
    std::string markPath_;
    std::string folder_;
    int folderFd_ = -1;
    bool locked_ = false;
};

}  // namespace runtime::support
