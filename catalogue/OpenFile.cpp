#include "catalogue/OpenFile.h"

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "catalogue/ContainerWalk.h"
#include "catalogue/StreamFinder.h"
#include "platform/Errors.h"
#include "platform/FileRoutines.h"
#include "platform/Streams.h"

namespace {

// The message box's information icon.
constexpr int kInformationFlag = 64;
constexpr std::int32_t kProgressMinimum = 1;

// One scan at a time: the window pumps its events during a scan, and a second Open File run
// from there would share the one catalogue and the one list with the running scan.
bool scanRunning = false;

class RunningScan {
  public:
    RunningScan() { scanRunning = true; }
    ~RunningScan() { scanRunning = false; }
    RunningScan(const RunningScan&) = delete;
    RunningScan& operator=(const RunningScan&) = delete;
};

void ThrowIfTooLarge(const std::string& path, std::int64_t size) {
    if (size > kMaxContainerBytes) {
        throw platform::Error("Cannot scan file \"" + path + "\": it holds " +
                              std::to_string(size) + " bytes, more than the 2 GiB limit of " +
                              std::to_string(kMaxContainerBytes) + " bytes");
    }
}

// Loads the container and finds its streams while it arrives, each block while it is still in
// the cache; the bytes themselves are not needed afterwards.
std::vector<catalogue::FoundStream> FindStreamsInContainer(const std::string& path,
                                                           std::int64_t& containerSize) {
    // Refused before loading, so that a huge file costs neither the time nor the memory.
    ThrowIfTooLarge(path, platform::FileSizeOf(path));
    catalogue::StreamFinder finder;
    platform::MemoryStream container;
    container.LoadFromFile(path, [&](std::span<const std::uint8_t> loaded) {
        // The file may have grown since the look at its size.
        ThrowIfTooLarge(path, static_cast<std::int64_t>(loaded.size()));
        finder.Advance(loaded);
    });
    containerSize = container.Size();
    finder.Finish(containerSize);
    return finder.Streams();
}

void RecordStart(StreamCatalogue& catalogue, ScanHost& host, const std::string& fileName,
                 std::int32_t start) {
    const std::int32_t index = catalogue.StreamCount;
    catalogue.StreamStarts.resize(static_cast<std::size_t>(index) + 1);
    catalogue.StreamStarts[static_cast<std::size_t>(index)] = start;
    host.AddRow(fileName + std::to_string(index + 1) + ".asf");
    catalogue.StreamCount = index + 1;
}

void RecordEnd(StreamCatalogue& catalogue, std::int32_t end) {
    const std::int32_t index = catalogue.EndCount;
    catalogue.StreamEnds.resize(static_cast<std::size_t>(index) + 1);
    catalogue.StreamEnds[static_cast<std::size_t>(index)] = end;
    catalogue.EndCount = index + 1;
}

}  // namespace

void OpenFile(StreamCatalogue& catalogue, ScanHost& host) {
    if (scanRunning) {
        return;
    }
    host.SetDialogFilter("*.*|*.*");
    if (!host.ExecuteDialog()) {
        return;
    }
    host.SetStatusText("");
    catalogue.ContainerPath = host.DialogFileName();
    host.ClearRows();
    catalogue.StreamCount = 0;
    catalogue.EndCount = 0;
    host.Repaint();
    if (!platform::FileExists(catalogue.ContainerPath)) {
        return;
    }
    host.SetStatusText(platform::ExtractFileName(catalogue.ContainerPath));
    ScanContainer(catalogue, host);
}

void ScanContainer(StreamCatalogue& catalogue, ScanHost& host) {
    if (scanRunning) {
        return;
    }
    RunningScan running;
    const std::string fileName = platform::ExtractFileName(catalogue.ContainerPath);
    std::int64_t size = 0;
    const std::vector<catalogue::FoundStream> streams =
        FindStreamsInContainer(catalogue.ContainerPath, size);

    // An empty file keeps a range of one, so that it is listed as holding no stream rather
    // than refused by the progress indicator.
    host.SetProgressMin(kProgressMinimum);
    host.SetProgressMax(std::max(static_cast<std::int32_t>(size), kProgressMinimum));

    catalogue::ContainerWalk walk(size, streams);
    // The catalogue is consistent at both pumps: every listed row has its start and its end.
    while (!walk.Done()) {
        host.SetProgressPosition(static_cast<std::int32_t>(walk.Position()));
        walk.ReadWindow();
        host.ProcessMessages();
        host.SetProgressPosition(static_cast<std::int32_t>(walk.Position()));
        const std::optional<catalogue::FoundStream> stream = walk.TakeStreamInWindow();
        host.ProcessMessages();
        if (!stream) {
            if (!walk.MovePastEmptyWindow()) {
                break;
            }
            continue;
        }
        RecordStart(catalogue, host, fileName, stream->start);
        RecordEnd(catalogue, stream->end);
        walk.MoveTo(stream->end);
    }

    host.ShowMessage("Founded *.asf: " + std::to_string(catalogue.StreamCount), "Information",
                     kInformationFlag);
    host.SetProgressPosition(kProgressMinimum);
}
