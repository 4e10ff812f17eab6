// The Open File command over arbitrary container bytes. After every run the catalogue must
// hold: one row, one start and one end per stream, rows named in order, streams in file order
// without overlap, every start on a start marker, every end just past an end pattern found
// after its start marker or, for a stream cut off by the end of the file, at the file's size.
// The streams must be exactly those of the plain rule, and a finder fed the same bytes in small
// pieces must find the same ones. At every pump the rows listed so far all have both entries.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "FuzzCheck.h"
#include "catalogue/OpenFile.h"
#include "catalogue/ScanHost.h"
#include "catalogue/StreamCatalogue.h"
#include "catalogue/StreamFinder.h"
#include "platform/ProgressModel.h"

namespace {

constexpr std::array<std::uint8_t, 4> kStart = {'S', 'C', 'H', 'l'};
constexpr std::array<std::uint8_t, 5> kEnd = {'S', 'C', 'E', 'l', 0x08};

// The command reads a file by its path, so each input goes to a file of its own for the length
// of one run; memory backed where the system has it, so that the runs do not wear a disk. The
// name carries a random part chosen once per process, so that parallel fuzzing jobs never meet.
class ContainerFile {
  public:
    explicit ContainerFile(std::span<const std::uint8_t> bytes) : path_(PathForThisProcess()) {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        FUZZ_CHECK(out.good());
    }
    ~ContainerFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    ContainerFile(const ContainerFile&) = delete;
    ContainerFile& operator=(const ContainerFile&) = delete;

    const std::string& Path() const { return path_; }

  private:
    static std::string PathForThisProcess() {
        static const std::string path = [] {
            const std::filesystem::path shm = "/dev/shm";
            const std::filesystem::path dir =
                std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
            std::random_device random;
            const std::uint64_t tag = (std::uint64_t{random()} << 32) | random();
            return (dir / ("kestrin-fuzz-scan-" + std::to_string(tag) + ".bin")).string();
        }();
        return path;
    }

    std::string path_;
};

// Answers the dialog with the container, keeps the rows and the messages, checks the progress
// range as the real indicator does, and checks the catalogue at every pump.
class CheckingHost : public ScanHost {
  public:
    CheckingHost(const StreamCatalogue& catalogue, std::string path)
        : catalogue_(catalogue), path_(std::move(path)) {}

    void SetDialogFilter(const std::string&) override {}
    bool ExecuteDialog() override { return true; }
    std::string DialogFileName() override { return path_; }
    void SetStatusText(const std::string&) override {}
    void ClearRows() override { rows.clear(); }
    void AddRow(const std::string& text) override { rows.push_back(text); }
    void Repaint() override {}
    void SetProgressMin(std::int32_t value) override { progress.SetMin(value); }
    void SetProgressMax(std::int32_t value) override { progress.SetMax(value); }
    void SetProgressPosition(std::int32_t value) override { progress.SetPosition(value); }
    void ProcessMessages() override {
        FUZZ_CHECK(catalogue_.StreamCount == catalogue_.EndCount);
        FUZZ_CHECK(rows.size() == static_cast<std::size_t>(catalogue_.StreamCount));
    }
    void ShowMessage(const std::string& text, const std::string&, int) override {
        messages.push_back(text);
    }

    std::vector<std::string> rows;
    std::vector<std::string> messages;
    platform::ProgressModel progress;

  private:
    const StreamCatalogue& catalogue_;
    std::string path_;
};

template <std::size_t N>
bool PatternAt(std::span<const std::uint8_t> data, std::int64_t at,
               const std::array<std::uint8_t, N>& pattern) {
    return at >= 0 && at + static_cast<std::int64_t>(N) <= static_cast<std::int64_t>(data.size()) &&
           std::equal(pattern.begin(), pattern.end(), data.begin() + at);
}

template <std::size_t N>
std::int64_t FindFrom(std::span<const std::uint8_t> data, std::int64_t from,
                      const std::array<std::uint8_t, N>& pattern) {
    const auto found = std::search(data.begin() + from, data.end(), pattern.begin(), pattern.end());
    return found == data.end() ? -1 : found - data.begin();
}

// The plain rule, written apart from the scan: from P take the next start marker s; its end
// is just past the next end pattern that begins at s + 4 or later, or the end of the file when
// none does; go on from there.
std::vector<catalogue::FoundStream> PlainRule(std::span<const std::uint8_t> data) {
    std::vector<catalogue::FoundStream> streams;
    std::int64_t position = 0;
    const auto size = static_cast<std::int64_t>(data.size());
    while (position < size) {
        const std::int64_t start = FindFrom(data, position, kStart);
        if (start < 0) {
            break;
        }
        const std::int64_t endPattern = FindFrom(data, start + 4, kEnd);
        const std::int64_t end = endPattern < 0 ? size : endPattern + 5;
        streams.push_back({static_cast<std::int32_t>(start), static_cast<std::int32_t>(end)});
        position = end;
    }
    return streams;
}

// The finder fed the bytes in pieces of 1 to 16 bytes, so that markers cross the borders
// between pieces at every place.
std::vector<catalogue::FoundStream> FindInPieces(std::span<const std::uint8_t> data) {
    catalogue::StreamFinder finder;
    std::uint32_t state = static_cast<std::uint32_t>(data.size()) * 2654435761u + 1;
    std::size_t loaded = 0;
    while (loaded < data.size()) {
        state = state * 1664525u + 1013904223u;
        loaded = std::min(data.size(), loaded + 1 + (state >> 28));
        finder.Advance(data.first(loaded));
    }
    finder.Finish(static_cast<std::int64_t>(data.size()));
    return finder.Streams();
}

bool SameStreams(const std::vector<catalogue::FoundStream>& a,
                 const std::vector<catalogue::FoundStream>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.start == y.start && x.end == y.end;
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::span<const std::uint8_t> data(bytes, size);
    const ContainerFile file(data);
    const std::string& path = file.Path();

    StreamCatalogue catalogue;
    CheckingHost host(catalogue, path);
    OpenFile(catalogue, host);

    const std::int32_t count = catalogue.StreamCount;
    FUZZ_CHECK(catalogue.EndCount == count);
    FUZZ_CHECK(host.rows.size() == static_cast<std::size_t>(count));
    FUZZ_CHECK(catalogue.StreamStarts.size() >= host.rows.size());
    FUZZ_CHECK(catalogue.StreamEnds.size() >= host.rows.size());
    FUZZ_CHECK(host.messages.size() == 1);
    FUZZ_CHECK(host.messages[0] == "Founded *.asf: " + std::to_string(count));
    FUZZ_CHECK(host.progress.Position() == 1);

    const std::string fileName = std::filesystem::path(path).filename().string();
    const auto fileSize = static_cast<std::int64_t>(size);
    std::vector<catalogue::FoundStream> listed;
    std::int64_t previousEnd = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int64_t start = catalogue.StreamStarts[static_cast<std::size_t>(i)];
        const std::int64_t end = catalogue.StreamEnds[static_cast<std::size_t>(i)];
        FUZZ_CHECK(host.rows[static_cast<std::size_t>(i)] ==
                   fileName + std::to_string(i + 1) + ".asf");
        FUZZ_CHECK(start >= previousEnd);
        FUZZ_CHECK(start < end);
        FUZZ_CHECK(end <= fileSize);
        FUZZ_CHECK(PatternAt(data, start, kStart));
        // A whole stream ends just past its end pattern; one that no end pattern follows is cut
        // off by the end of the file.
        const bool whole = end - start >= 9 && PatternAt(data, end - 5, kEnd);
        FUZZ_CHECK(whole || (end == fileSize && FindFrom(data, start + 4, kEnd) < 0));
        listed.push_back({static_cast<std::int32_t>(start), static_cast<std::int32_t>(end)});
        previousEnd = end;
    }
    FUZZ_CHECK(SameStreams(listed, PlainRule(data)));
    FUZZ_CHECK(SameStreams(listed, FindInPieces(data)));
    return 0;
}
