#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// Flags of sndPlaySound, with the values of the desktop platform's simple sound service.
constexpr std::uint32_t kSoundAsync = 0x0001;      // return at once while the sound plays
constexpr std::uint32_t kSoundNoDefault = 0x0002;  // no alert sound for an unplayable file

// The simple sound service. With a file name: plays that WAV file once, replacing whatever this
// program is playing; with kSoundAsync it returns at once, otherwise when the sound has ended.
// A file that cannot be played (missing, not a WAV file, a format that cannot be decoded)
// gives a short alert sound instead, unless kSoundNoDefault is set. With a null name: stops
// the sound that this program is playing, if any.
//
// Plays what SDL reads as WAV: PCM of 8, 16, 24 or 32 bits, float, and the common ADPCM kinds,
// in any number of channels that SDL supports, at any sample rate (SDL converts for the
// device). Without a sound device nothing plays and nothing fails.
//
// Returns true when the request was carried out as asked: the sound stopped, or the file
// itself started playing. False when the alert played instead, or nothing at all.
bool sndPlaySound(const char* soundName, std::uint32_t flags);

// Stops the sound and releases the sound device; the next request opens it again. The program
// calls this before it exits.
void CloseSoundService();

// What a request led to, as tests see it.
enum class SoundOutcome {
    Stopped,        // a stop request
    PlayedFile,     // the named file started playing
    PlayedAlert,    // the file could not be played; the alert sound started instead
    NothingPlayed,  // no sound device, or an unplayable file with kSoundNoDefault
};

struct SoundRecord {
    std::optional<std::string> name;  // empty for a stop request
    std::uint32_t flags = 0;
    SoundOutcome outcome = SoundOutcome::NothingPlayed;
};

// Calls observer after every request with what it asked for and what it led to; an empty
// function removes the observer.
void SetSoundObserverForTesting(std::function<void(const SoundRecord&)> observer);

}  // namespace platform
