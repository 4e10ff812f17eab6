#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/ScanHost.h"
#include "catalogue/StreamCatalogue.h"
#include "platform/ProgressModel.h"

namespace scantest {

// The bytes of a string literal, zero bytes included, without its terminating zero.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

// A ScanHost that writes down every call in order, answers the dialog as told, keeps the rows,
// the status text and the messages, and checks the progress range as the real indicator does.
class RecordingHost : public ScanHost {
  public:
    explicit RecordingHost(std::string path = "", bool confirm = true)
        : chosenPath(std::move(path)), confirms(confirm) {}

    void SetDialogFilter(const std::string& filter) override {
        calls.push_back("Filter " + filter);
    }
    bool ExecuteDialog() override {
        calls.push_back("Dialog");
        return confirms;
    }
    std::string DialogFileName() override {
        calls.push_back("FileName");
        return chosenPath;
    }
    void SetStatusText(const std::string& text) override {
        calls.push_back("Status " + text);
        status = text;
    }
    void ClearRows() override {
        calls.push_back("ClearRows");
        rows.clear();
    }
    void AddRow(const std::string& text) override {
        calls.push_back("Row " + text);
        rows.push_back(text);
    }
    void Repaint() override { calls.push_back("Repaint"); }
    void SetProgressMin(std::int32_t value) override {
        calls.push_back("Min " + std::to_string(value));
        progress.SetMin(value);
    }
    void SetProgressMax(std::int32_t value) override {
        calls.push_back("Max " + std::to_string(value));
        progress.SetMax(value);
    }
    void SetProgressPosition(std::int32_t value) override {
        calls.push_back("Pos " + std::to_string(value));
        progress.SetPosition(value);
    }
    void ProcessMessages() override {
        calls.push_back("Pump");
        if (onPump) {
            onPump();
        }
    }
    void ShowMessage(const std::string& text, const std::string& caption, int flags) override {
        calls.push_back("Message " + text + "|" + caption + "|" + std::to_string(flags));
        messages.push_back(text);
    }

    // The recorded calls that start with prefix, in order.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const {
        std::vector<std::string> picked;
        for (const std::string& call : calls) {
            if (call.rfind(prefix, 0) == 0) {
                picked.push_back(call);
            }
        }
        return picked;
    }

    std::string chosenPath;
    bool confirms;
    std::function<void()> onPump;

    std::vector<std::string> calls;
    std::vector<std::string> rows;
    std::vector<std::string> messages;
    std::string status = "(untouched)";
    platform::ProgressModel progress;
};

// One stream as listed: its start and its exclusive end.
struct Span {
    std::int64_t start;
    std::int64_t end;
    bool operator==(const Span&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Span& span) {
    return out << "[" << span.start << ", " << span.end << ")";
}

// Builds a container in memory and remembers where the streams it put in begin and end.
class ContainerBuilder {
  public:
    // count bytes of fill, which must not complete a marker with its neighbours.
    ContainerBuilder& Gap(std::size_t count, char fill = '\0') {
        bytes.append(count, fill);
        return *this;
    }
    // Bytes taken as they are; any markers in them are not expected as streams.
    ContainerBuilder& Raw(const std::string& raw) {
        bytes += raw;
        return *this;
    }
    // "SCHl", body zero bytes, then "SCEl" and 0x08.
    ContainerBuilder& Stream(std::size_t body) { return StreamWithBody(std::string(body, '\0')); }
    // "SCHl", the body as given, then "SCEl" and 0x08. The body must hold no end pattern.
    ContainerBuilder& StreamWithBody(const std::string& body) {
        const auto start = static_cast<std::int64_t>(bytes.size());
        bytes += "SCHl" + body + Bytes("SCEl\x08");
        expected.push_back({start, static_cast<std::int64_t>(bytes.size())});
        return *this;
    }
    // A start marker and body bytes with no end pattern: it must run to the end of the file,
    // so nothing but fill may follow it.
    ContainerBuilder& TruncatedStream(std::size_t body) {
        truncatedStart = static_cast<std::int64_t>(bytes.size());
        bytes += "SCHl";
        bytes.append(body, '\0');
        return *this;
    }
    // The streams a correct scan lists.
    std::vector<Span> Expected() const {
        std::vector<Span> spans = expected;
        if (truncatedStart >= 0) {
            spans.push_back({truncatedStart, static_cast<std::int64_t>(bytes.size())});
        }
        return spans;
    }

    std::string bytes;

  private:
    std::vector<Span> expected;
    std::int64_t truncatedStart = -1;
};

// A directory of its own for one test, removed afterwards.
class TempDir {
  public:
    TempDir() {
        static int serial = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("kestrin-scan-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string PathOf(const std::string& name) const { return (path_ / name).string(); }

    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string path = PathOf(name);
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

  private:
    std::filesystem::path path_;
};

// The streams the catalogue lists, below its counts.
inline std::vector<Span> Listed(const StreamCatalogue& catalogue) {
    std::vector<Span> spans;
    for (std::int32_t i = 0; i < catalogue.StreamCount && i < catalogue.EndCount; ++i) {
        const auto index = static_cast<std::size_t>(i);
        spans.push_back({catalogue.StreamStarts[index], catalogue.StreamEnds[index]});
    }
    return spans;
}

// The rule, written as plainly as it reads: from position P, the next start marker s; its end
// is just past the next end pattern at or after s + 4, or the end of the file; go on from there.
inline std::vector<Span> StreamsByTheRule(const std::string& bytes) {
    const std::string start = "SCHl";
    const std::string end("SCEl\x08", 5);
    std::vector<Span> spans;
    std::size_t position = 0;
    for (;;) {
        const std::size_t s = bytes.find(start, position);
        if (s == std::string::npos) {
            return spans;
        }
        const std::size_t q = bytes.find(end, s + 4);
        const std::size_t e = q == std::string::npos ? bytes.size() : q + 5;
        spans.push_back({static_cast<std::int64_t>(s), static_cast<std::int64_t>(e)});
        position = e;
    }
}

// Random containers rich in pieces of the markers, with gaps long enough to put markers on and
// across window borders, and streams long enough to span windows.
inline std::string RandomContainer(unsigned seed) {
    std::mt19937 random(seed);
    const std::string pieces[] = {"SCHl", Bytes("SCEl\x08"), "S", "SC", "SCH", "SCE", "SCEl",
                                  "l",    Bytes("\x08")};
    std::string bytes;
    const int segments = 40 + static_cast<int>(random() % 40);
    for (int i = 0; i < segments; ++i) {
        switch (random() % 4) {
            case 0:
                bytes.append(random() % 160000, 'x');
                break;
            case 1:
                bytes.append(random() % 40, '\0');
                break;
            default:
                bytes += pieces[random() % std::size(pieces)];
                break;
        }
    }
    return bytes;
}

}  // namespace scantest
