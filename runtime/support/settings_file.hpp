#pragma once

#include <string>
#include <string_view>
#include <vector>

// The player's settings, kept as every desktop program keeps them: plain `key = value`
// lines in $XDG_CONFIG_HOME/tessaly/settings.ini (~/.config/tessaly/settings.ini). Only
// the file work is here: reading with the defaults for what is missing or bad, and writing
// one setting back through a temporary file renamed into place, every other line kept.
namespace runtime::support {

struct Settings {
    bool window = false;       // display = window (true) or fullscreen
    int windowScale = 0;       // window_scale: 800 x 600 times this; 0 = the largest that fits
    double mouseSpeed = 1.0;   // mouse_speed, 0.25 to 4.0
    bool crispPixels = false;  // crisp_pixels: whole-number scaling with black borders
};

inline constexpr double kMouseSpeedMin = 0.25;
inline constexpr double kMouseSpeedMax = 4.0;
inline constexpr int kWindowScaleMax = 16;

// The settings file of this user: $XDG_CONFIG_HOME/tessaly/settings.ini when the variable
// holds an absolute path, else $HOME/.config/tessaly/settings.ini (the home folder from the
// password database when HOME is unset); empty when there is no home folder at all.
std::string SettingsPath();

// The settings in the file, the defaults for a missing file, a missing key or a bad value.
// Each problem (a bad value, a line that is no `key = value`, a file that cannot be read)
// adds one message naming the file, the line and what is wrong.
Settings ReadSettings(const std::string& path, std::vector<std::string>& problems);

// The value a setting is written with ("window", "1.25", "yes").
std::string DisplayValue(bool window);
std::string MouseSpeedValue(double speed);

// Sets one key in the file: its lines are replaced, or a line is added at the end; every
// other line (unknown keys, comments, bad lines) stays as it is. The new file is written
// under a temporary name beside the old one and renamed over it, so a failed write leaves
// the old file whole. Makes the folder when it is missing. False, with a message naming the
// file and the cause in `error`, when nothing could be written.
bool WriteSetting(const std::string& path, std::string_view key, std::string_view value,
                  std::string& error);

}  // namespace runtime::support
