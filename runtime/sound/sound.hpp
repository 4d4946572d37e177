#pragma once

#include <cstddef>
#include <cstdint>

// Sound effects and music. Effects are short PCM waves loaded from memory into numbered
// slots and restarted from their beginning whenever the game calls for them; music is an
// MP3 file opened into a numbered media slot, played, polled for its status and rewound.
// Without an audio device everything answers as "no sound" and nothing fails.
namespace runtime::sound {

// ---- Sound effects ----

// Opens the audio output. 0 without an audio device (or when no backend is installed).
int InitSoundOutput();
// Replaces sound n with the RIFF WAVE held in bytes[0..size). Nonzero on success; a wave
// that is refused leaves the slot as it was.
int LoadSoundFromMemory(int n, const std::uint8_t* bytes, std::size_t size);
// Restarts sound n from its beginning, once. An empty slot does nothing.
void PlaySoundOnce(int n);
// As PlaySoundOnce; flags 1 loops the sound until it is started again or released.
void StartSound(int n, int flags);
// Program end: stops and frees every sound and closes the output.
void ReleaseSoundOutput();

// ---- Music (media player) ----

// Media status values besides a position.
inline constexpr int MediaPaused = -1;

int InitMediaPlayer();
// Opens fileName (a game name such as "sfx\\theme.mp3") into media slot m, which becomes
// the current media. Nonzero on success; on failure the slot is left empty.
int LoadMedia(int m, const char* fileName);
// Makes m current, rewinds it and plays it. 0 if slot m is empty. There is no picture on
// this platform, so the owner window is not used.
int PlayMedia(int m, const void* ownerWindow = nullptr);
// Stops the current media and rewinds it to the start.
void StopMedia();
// -1 while paused; 0 when stopped, not loaded or at its end (a tune at its end is stopped
// and rewound here); otherwise the play position in 100 ns units (low 32 bits).
int MediaStatus();
// Moves the current media to position (100 ns units); keeps playing if it was playing.
void SeekMedia(std::uint32_t position);
void PauseMedia();
void ResumeMedia();
// Program end: frees every media slot.
void ReleaseMediaPlayer();

}  // namespace runtime::sound
