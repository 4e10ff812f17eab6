#pragma once

// What the tests of extraction, the converter launch and the commands share: a container with
// known streams, a command host that records what the commands ask of the window, the
// stand-in converter installed as sx.exe, and one log of every effect in the order it happened.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/StreamCatalogue.h"
#include "convert/Commands.h"
#include "platform/Errors.h"
#include "platform/FileRoutines.h"
#include "platform/Sleep.h"
#include "platform/Sound.h"
#include "platform/tests/ScratchFiles.h"

namespace testsupport {

// A stream as the scanner finds it: the "SCHl" start block through the 5-byte end pattern.
inline std::string Stream(const std::string& body) {
    return "SCHl" + std::string("\x10\0\0\0", 4) + body + "SCEl\x08";
}

// A container file of filler and streams, and the catalogue that a scan of it gives.
struct Container {
    std::string path;
    std::string bytes;
    StreamCatalogue catalogue;

    std::string StreamBytes(std::int32_t index) const {
        const auto start = static_cast<std::size_t>(catalogue.StreamStarts.at(index));
        return bytes.substr(start, catalogue.StreamEnds.at(index) - start);
    }
};

// Lays out filler, stream, filler, stream, ...; the last stream closes the file.
inline Container MakeContainer(const std::string& path, const std::vector<std::string>& bodies) {
    Container container;
    container.path = path;
    container.catalogue.ContainerPath = path;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        container.bytes += std::string(17 + 5 * i, static_cast<char>('a' + i));
        container.catalogue.StreamStarts.push_back(
            static_cast<std::int32_t>(container.bytes.size()));
        container.bytes += Stream(bodies[i]);
        container.catalogue.StreamEnds.push_back(static_cast<std::int32_t>(container.bytes.size()));
    }
    container.catalogue.StreamCount = static_cast<std::int32_t>(bodies.size());
    container.catalogue.EndCount = container.catalogue.StreamCount;
    scratch::WriteFile(path, container.bytes);
    return container;
}

// The failure text of action, or "" when it does not fail.
template <typename Action>
std::string FailureText(Action action) {
    try {
        action();
    } catch (const platform::Error& error) {
        return error.what();
    }
    return "";
}

// Everything that the commands did that a user or the converter could notice, in order.
using EventLog = std::vector<std::string>;

// The window as the commands see it. Like the real window, it reports a failure of a command
// that runs nested in ProcessMessages and goes on.
class RecordingHost : public CommandHost {
  public:
    explicit RecordingHost(EventLog& log) : log_(log) {}

    std::int32_t SelectedIndex() override { return selected; }
    std::string RowText(std::int32_t index) override { return rows.at(index); }
    void ShowMessage(const std::string& text, const std::string& caption, int flags) override {
        log_.push_back("message " + caption + " " + std::to_string(flags) + ": " + text);
        if (onMessage) {
            onMessage(text);
        }
    }
    void ProcessMessages() override {
        log_.push_back("pump");
        if (onPump) {
            // A handler may replace itself; keep the one that runs alive meanwhile.
            const auto handler = onPump;
            try {
                handler();
            } catch (const platform::Error& error) {
                log_.push_back(std::string("failure: ") + error.what());
            }
        }
    }

    std::int32_t selected = 0;
    std::vector<std::string> rows;
    std::function<void()> onPump;
    std::function<void(const std::string& text)> onMessage;

  private:
    EventLog& log_;
};

// Puts the program directory, the pause and the sound service under the test's control for
// its lifetime. Pauses and sound requests go into the log; onPause and onSound run after.
class ControlledPlatform {
  public:
    ControlledPlatform(const std::string& programDirectory, EventLog& log) : log_(log) {
        platform::SetProgramDirectoryForTesting(programDirectory);
        platform::SetSleepForTesting([this](std::uint32_t milliseconds) {
            log_.push_back("pause " + std::to_string(milliseconds));
            if (onPause) {
                onPause();
            }
        });
        platform::SetSoundObserverForTesting([this](const platform::SoundRecord& record) {
            if (!record.name) {
                log_.push_back("stop");
            } else {
                log_.push_back("play " + *record.name);
                outcomes.push_back(record.outcome);
            }
            if (onSound) {
                onSound(record);
            }
        });
    }
    ~ControlledPlatform() {
        platform::SetSoundObserverForTesting({});
        platform::SetSleepForTesting({});
        platform::SetProgramDirectoryForTesting("");
        platform::CloseSoundService();
    }
    ControlledPlatform(const ControlledPlatform&) = delete;
    ControlledPlatform& operator=(const ControlledPlatform&) = delete;

    std::function<void()> onPause;
    std::function<void(const platform::SoundRecord&)> onSound;
    std::vector<platform::SoundOutcome> outcomes;

  private:
    EventLog& log_;
};

// The stand-in converter (convert/tests/StandInConverter.cpp) as sx.exe in a directory.
class StandIn {
  public:
    // One finished run: its working directory, its arguments, and whether its output file
    // existed when it started.
    struct Run {
        std::string workingDirectory;
        std::vector<std::string> arguments;
        bool outputExisted = false;
    };

    StandIn(const std::string& directory, const std::string& mode) : directory_(directory) {
        scratch::WriteFile(directory_ + "standin.mode", mode);
        if (::symlink(KESTRIN_STANDIN_PATH, (directory_ + "sx.exe").c_str()) != 0) {
            throw std::runtime_error("cannot install the stand-in converter");
        }
    }
    // Lets a stand-in in "slow" mode finish, so that none outlives the test.
    ~StandIn() { Release(); }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    void Release() const { scratch::WriteFile(directory_ + "standin.release", ""); }

    std::vector<Run> Runs() const {
        std::vector<Run> runs;
        const std::string log = scratch::ReadFile(directory_ + "standin.log");
        std::size_t start = 0;
        while (start < log.size()) {
            const std::size_t end = log.find('\n', start);
            std::vector<std::string> fields = Fields(log.substr(start, end - start));
            Run run;
            run.workingDirectory = fields.front();
            run.outputExisted = fields.back() == "existed";
            run.arguments.assign(fields.begin() + 1, fields.end() - 1);
            runs.push_back(run);
            start = end + 1;
        }
        return runs;
    }

    // Waits until count runs have finished; false when they did not within the deadline.
    bool WaitForRuns(std::size_t count) const {
        return scratch::WaitUntil([&] { return Runs().size() >= count; });
    }

  private:
    static std::vector<std::string> Fields(const std::string& line) {
        std::vector<std::string> fields(1);
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\t') {
                fields.emplace_back();
            } else if (line[i] == '%' && i + 2 < line.size()) {
                fields.back() += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                fields.back() += line[i];
            }
        }
        return fields;
    }

    std::string directory_;
};

inline std::string WithoutTrailingSlash(const std::string& directory) {
    return directory.substr(0, directory.size() - 1);
}

inline std::string CurrentDirectory() {
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
}

}  // namespace testsupport
