#pragma once

// Sound effects and music through SDL2_mixer: each sound number plays on the mixer channel
// of the same number, the media slots hold Mix_Music tunes (one plays at a time).
namespace runtime::sound::sdl {

// Makes the sound service use SDL2_mixer from the next InitSoundOutput / InitMediaPlayer.
void UseSdlSound();

}  // namespace runtime::sound::sdl
