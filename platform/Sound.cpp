#include "platform/Sound.h"

#include <SDL.h>

#include <utility>

#include "platform/AlertSound.h"

namespace platform {
namespace {

// One sound at a time, on a device opened for it: closing the device is what stops a sound.
class SoundService {
  public:
    SoundService() = default;
    SoundService(const SoundService&) = delete;
    SoundService& operator=(const SoundService&) = delete;
    ~SoundService() { Close(); }

    void Stop() {
        if (device_ != 0) {
            SDL_CloseAudioDevice(device_);
            device_ = 0;
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
        if (waitForEnd) {
            WaitForEnd();
        }
        return outcome;
    }

    void Close() {
        Stop();
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

    // Opens a device in the sound's own format (SDL converts it for the hardware) and queues
    // the whole sound on it.
    bool Start(SDL_AudioSpec spec, const void* data, Uint32 length) {
        spec.callback = nullptr;
        spec.userdata = nullptr;
        if (spec.samples == 0) {
            spec.samples = 4096;
        }
        device_ = SDL_OpenAudioDevice(nullptr, 0, &spec, nullptr, 0);
        if (device_ == 0) {
            return false;
        }
        if (SDL_QueueAudio(device_, data, length) != 0) {
            Stop();
            return false;
        }
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    void WaitForEnd() {
        while (device_ != 0 && SDL_GetQueuedAudioSize(device_) > 0 &&
               SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_PLAYING) {
            SDL_Delay(10);
        }
    }

    bool audioOpen_ = false;
    SDL_AudioDeviceID device_ = 0;
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
