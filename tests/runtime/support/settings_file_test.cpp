// The settings file: the defaults without one, each key at its limits and beyond, bad lines
// named with the file and the line, unknown lines kept across a rewrite, and a write that
// fails half-way leaving the old file whole.
#include "runtime/support/settings_file.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "temp_folder.hpp"

namespace runtime::support {
namespace {

namespace fs = std::filesystem;

Settings Read(const std::string& path, std::vector<std::string>& problems) {
    problems.clear();
    return ReadSettings(path, problems);
}

TEST(SettingsFile, AMissingFileOrKeyGivesTheDefaults) {
    TempFolder folder;
    std::vector<std::string> problems;
    for (const std::string& text : {std::string("\xEF\xBB\xBF"), std::string("# nothing\n\n")}) {
        WriteRaw(folder / "settings.ini", text);
        EXPECT_EQ(Read(folder / "settings.ini", problems).mouseSpeed, 1.0);
        EXPECT_TRUE(problems.empty());
    }
    // A text editor's byte-order mark does not hide the first key.
    WriteRaw(folder / "settings.ini", "\xEF\xBB\xBFmouse_speed = 2\n");
    EXPECT_EQ(Read(folder / "settings.ini", problems).mouseSpeed, 2.0);
    const Settings settings = Read(folder / "missing.ini", problems);
    EXPECT_FALSE(settings.window);
    EXPECT_EQ(settings.windowScale, 0);
    EXPECT_EQ(settings.mouseSpeed, 1.0);
    EXPECT_FALSE(settings.crispPixels);
    EXPECT_TRUE(problems.empty());

    // A folder or a pipe in the file's place is named, and the defaults stay.
    fs::create_directory(folder / "folder.ini");
    Read(folder / "folder.ini", problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("folder.ini: cannot be read (a folder)"), std::string::npos);
    ASSERT_EQ(mkfifo((folder / "pipe.ini").c_str(), 0600), 0);
    EXPECT_EQ(Read(folder / "pipe.ini", problems).mouseSpeed, 1.0);
    EXPECT_EQ(problems.size(), 1u);
}

TEST(SettingsFile, EachKeyAtItsLimitsAndBeyond) {
    TempFolder folder;
    const std::string path = folder / "settings.ini";
    std::vector<std::string> problems;
    WriteRaw(path,
             "display = window\r\n"
             "  window_scale=16\n"
             "mouse_speed = 0.25\n"
             "crisp_pixels = YES\n");
    Settings settings = Read(path, problems);
    EXPECT_TRUE(problems.empty()) << problems[0];
    EXPECT_TRUE(settings.window);
    EXPECT_EQ(settings.windowScale, 16);
    EXPECT_EQ(settings.mouseSpeed, 0.25);
    EXPECT_TRUE(settings.crispPixels);

    WriteRaw(path, "display = fullscreen\nwindow_scale = 1\nmouse_speed = 4\ncrisp_pixels = no\n");
    settings = Read(path, problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_FALSE(settings.window);
    EXPECT_EQ(settings.windowScale, 1);
    EXPECT_EQ(settings.mouseSpeed, 4.0);
    EXPECT_FALSE(settings.crispPixels);

    // Every value beyond a limit is ignored with one line each, and the default stays.
    for (const char* line :
         {"mouse_speed = 0.24", "mouse_speed = 4.01", "mouse_speed = nan", "mouse_speed = 1,5",
          "mouse_speed = 1e999", "mouse_speed =", "window_scale = 0", "window_scale = 17",
          "window_scale = 2.5", "window_scale = -1", "window_scale = 99999999999",
          "display = windowed", "crisp_pixels = 1"}) {
        SCOPED_TRACE(line);
        WriteRaw(path, std::string("# the player's own\n") + line + "\n");
        settings = Read(path, problems);
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_EQ(problems[0].rfind(path + ":2: bad value \"", 0), 0u) << problems[0];
        EXPECT_NE(problems[0].find("; ignored"), std::string::npos);
        EXPECT_EQ(settings.mouseSpeed, 1.0);
        EXPECT_EQ(settings.windowScale, 0);
        EXPECT_FALSE(settings.window);
        EXPECT_FALSE(settings.crispPixels);
    }
}

TEST(SettingsFile, ABadLineIsNamedAndTheRestStillRead) {
    TempFolder folder;
    const std::string path = folder / "settings.ini";
    std::vector<std::string> problems;
    WriteRaw(path, "[tessaly]\nmouse speed 2\nmouse_speed = 2\x01\nmouse_speed = 1.5\n");
    const Settings settings = Read(path, problems);
    EXPECT_EQ(settings.mouseSpeed, 1.5);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0], path + ":2: not a \"key = value\" line: mouse speed 2");
    EXPECT_EQ(problems[1],
              path +
                  ":3: bad value \"2\\x01\" for mouse_speed (a number from 0.25 to 4.0); "
                  "ignored");

    // A file far larger than any settings file is read only to its limit.
    std::string huge = "mouse_speed = 2\n";
    while (huge.size() < 100000)
        huge += "# padding padding padding padding padding padding padding padding\n";
    WriteRaw(path, huge + "mouse_speed = 3\n");
    EXPECT_EQ(Read(path, problems).mouseSpeed, 2.0);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("longer than 64 KiB"), std::string::npos);
    // Rewriting it would lose its end: it stays as it is.
    std::string error;
    EXPECT_FALSE(WriteSetting(path, "mouse_speed", "1.0", error));
    EXPECT_EQ(ReadRaw(path), huge + "mouse_speed = 3\n");
}

TEST(SettingsFile, ARewriteSetsOneKeyAndKeepsEveryOtherLine) {
    TempFolder folder;
    const std::string path = folder / "tessaly/settings.ini";
    std::string error;
    // No folder and no file yet: both are made.
    ASSERT_TRUE(WriteSetting(path, "display", DisplayValue(true), error)) << error;
    EXPECT_EQ(ReadRaw(path), "display = window\n");

    WriteRaw(path, "# mine\r\ndisplay = window\r\nvolume = 11\nnot a setting\nmouse_speed=3");
    ASSERT_TRUE(WriteSetting(path, "mouse_speed", MouseSpeedValue(1.25), error)) << error;
    ASSERT_TRUE(WriteSetting(path, "display", DisplayValue(false), error)) << error;
    EXPECT_EQ(ReadRaw(path),
              "# mine\r\ndisplay = fullscreen\nvolume = 11\nnot a setting\nmouse_speed = 1.25\n");
    ASSERT_TRUE(WriteSetting(path, "crisp_pixels", "yes", error));
    EXPECT_TRUE(ReadRaw(path).ends_with("\nmouse_speed = 1.25\ncrisp_pixels = yes\n"));
    EXPECT_EQ(MouseSpeedValue(2.0), "2.0");
    EXPECT_EQ(MouseSpeedValue(0.25), "0.25");

    // The file keeps its permissions, and a link to it stays a link.
    ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    fs::create_symlink(path, folder / "link.ini");
    ASSERT_TRUE(WriteSetting(folder / "link.ini", "mouse_speed", "4.0", error)) << error;
    EXPECT_TRUE(fs::is_symlink(folder / "link.ini"));
    EXPECT_NE(ReadRaw(path).find("mouse_speed = 4.0\n"), std::string::npos);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms(0600));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "tessaly"), {}), 1);
}

TEST(SettingsFile, AFailedWriteLeavesTheOldFileWhole) {
    TempFolder folder;
    const std::string path = folder / "settings.ini";
    std::string old = "mouse_speed = 2.0\n";
    for (int i = 0; i < 200; ++i)
        old += "unknown_key_" + std::to_string(i) + " = kept\n";
    WriteRaw(path, old);
    // A child that may write files of only 100 bytes: the new file is cut short, as on a
    // full disk. (A read-only folder would not stop a test run as root.)
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit small{100, 100};
        setrlimit(RLIMIT_FSIZE, &small);
        std::string error;
        const bool written = WriteSetting(path, "mouse_speed", "3.0", error);
        const bool named = error.find(path + ": cannot be written") == 0 &&
                           error.find("the old file is kept") != std::string::npos;
        _exit(!written && named ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadRaw(path), old);
    // Nothing is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 1);

    // A folder in the file's place is not replaced either.
    fs::remove(path);
    fs::create_directory(path);
    std::string error;
    EXPECT_FALSE(WriteSetting(path, "mouse_speed", "3.0", error));
    EXPECT_NE(error.find("a folder"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(path));
}

TEST(SettingsFile, ThePathFollowsTheDesktopsConfigFolder) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = config ? config : "";
    setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    EXPECT_EQ(SettingsPath(), "/somewhere/config/tessaly/settings.ini");
    setenv("HOME", std::getenv("HOME") ? std::getenv("HOME") : "/home/player", 1);
    const std::string home = std::getenv("HOME");
    // Unset, empty or relative, the variable gives way to the home folder's .config.
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative/config"}) {
        if (value)
            setenv("XDG_CONFIG_HOME", value, 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        EXPECT_EQ(SettingsPath(), home + "/.config/tessaly/settings.ini");
    }
    if (config)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace runtime::support
