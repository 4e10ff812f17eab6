#include "platform/Sound.h"

#include <SDL.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/AlertSound.h"

namespace platform {
namespace {

// Device buffers of about 40 ms: short enough that a stop takes effect at once and that
// closing a device (which waits for its current buffer) costs little, long enough to play
// without gaps on a busy machine. A power of two, as SDL prefers.
Uint16 BufferFramesFor(int sampleRate) {
    const int wanted = std::max(sampleRate / 25, 64);
    Uint16 frames = 64;
    while (frames < wanted && frames < 16384) {
        frames = static_cast<Uint16>(frames * 2);
    }
    return frames;
}

bool SameFormat(const SDL_AudioSpec& a, const SDL_AudioSpec& b) {
    return a.freq == b.freq && a.format == b.format && a.channels == b.channels;
}

// One sound at a time. The device stays open between sounds of the same format: a stop
// empties its queue and pauses it, and the next sound of that format starts on it at once.
// A sound of another format gets a device of its own (SDL converts for the hardware).
class SoundService {
  public:
    SoundService() = default;
    SoundService(const SoundService&) = delete;
    SoundService& operator=(const SoundService&) = delete;
    ~SoundService() { Close(); }

    void Stop() {
        if (device_ != 0) {
            SDL_PauseAudioDevice(device_, 1);
            SDL_ClearQueuedAudio(device_);
        }
    }

    SoundOutcome Play(const char* name, bool alertAllowed, bool waitForEnd) {
        Stop();
        if (!OpenAudio()) {
            return SoundOutcome::NothingPlayed;
        }
        SoundOutcome outcome = SoundOutcome::NothingPlayed;
        if (StartFile(name)) {
            outcome = SoundOutcome::PlayedFile;
        } else if (alertAllowed && StartAlert()) {
            outcome = SoundOutcome::PlayedAlert;
        }
        if (waitForEnd && outcome != SoundOutcome::NothingPlayed) {
            WaitForEnd();
        }
        return outcome;
    }

    void Close() {
        CloseDevice();
        if (audioOpen_) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            audioOpen_ = false;
        }
    }

  private:
    // Tried again on every play, so that a device that appears later is used.
    bool OpenAudio() {
        if (!audioOpen_) {
            // Audio pulls in SDL's event subsystem, which would otherwise take over SIGINT and
            // SIGTERM from the program.
            SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
            audioOpen_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        }
        return audioOpen_;
    }

    void CloseDevice() {
        if (device_ != 0) {
            SDL_CloseAudioDevice(device_);
            device_ = 0;
        }
    }

    bool StartFile(const char* name) {
        SDL_AudioSpec spec{};
        Uint8* data = nullptr;
        Uint32 length = 0;
        if (SDL_LoadWAV(name, &spec, &data, &length) == nullptr) {
            return false;
        }
        const bool started = Start(spec, data, length);
        SDL_FreeWAV(data);
        return started;
    }

    bool StartAlert() {
        static const std::vector<std::int16_t> samples = MakeAlertSamples();
        SDL_AudioSpec spec{};
        spec.freq = kAlertSampleRate;
        spec.format = AUDIO_S16SYS;
        spec.channels = 1;
        return Start(spec, samples.data(), static_cast<Uint32>(samples.size() * sizeof samples[0]));
    }

    // Queues the whole sound on a device in the sound's own format.
    bool Start(SDL_AudioSpec spec, const void* data, Uint32 length) {
        spec.callback = nullptr;
        spec.userdata = nullptr;
        spec.samples = BufferFramesFor(spec.freq);
        if (device_ != 0 && !SameFormat(spec, deviceFormat_)) {
            CloseDevice();
        }
        if (device_ == 0) {
            device_ = SDL_OpenAudioDevice(nullptr, 0, &spec, nullptr, 0);
            if (device_ == 0) {
                return false;
            }
            deviceFormat_ = spec;
        }
        if (SDL_QueueAudio(device_, data, length) != 0) {
            SDL_ClearQueuedAudio(device_);
            return false;
        }
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    void WaitForEnd() {
        while (SDL_GetQueuedAudioSize(device_) > 0) {
            SDL_Delay(10);
        }
    }

    bool audioOpen_ = false;
    SDL_AudioDeviceID device_ = 0;
    SDL_AudioSpec deviceFormat_{};
};

SoundService& Service() {
    static SoundService service;
    return service;
}

std::function<void(const SoundRecord&)>& Observer() {
    static std::function<void(const SoundRecord&)> observer;
    return observer;
}

}  // namespace

bool sndPlaySound(const char* soundName, std::uint32_t flags) {
    SoundRecord record;
    record.flags = flags;
    if (soundName == nullptr) {
        Service().Stop();
        record.outcome = SoundOutcome::Stopped;
    } else {
        record.name = soundName;
        record.outcome =
            Service().Play(soundName, (flags & kSoundNoDefault) == 0, (flags & kSoundAsync) == 0);
    }
    if (const auto& observer = Observer()) {
        observer(record);
    }
    return record.outcome == SoundOutcome::Stopped || record.outcome == SoundOutcome::PlayedFile;
}

void CloseSoundService() {
    Service().Close();
}

void SetSoundObserverForTesting(std::function<void(const SoundRecord&)> observer) {
    Observer() = std::move(observer);
}

}  // namespace platform
