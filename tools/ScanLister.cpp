#include "tools/ScanLister.h"

#include <cstdint>

#include "catalogue/OpenFile.h"
#include "platform/Errors.h"
#include "tools/ConsoleScanHost.h"

int ListStreams(const std::string& path, std::ostream& out, std::ostream& err) {
    StreamCatalogue catalogue;
    catalogue.ContainerPath = path;
    ConsoleScanHost host(path);
    try {
        // Straight to the scan: a missing file or a directory is reported by the load with the
        // system's reason, where the window's command would end silently.
        ScanContainer(catalogue, host);
    } catch (const platform::Error& error) {
        err << error.what() << '\n';
        return 1;
    }
    for (std::int32_t i = 0; i < catalogue.StreamCount; ++i) {
        const auto index = static_cast<std::size_t>(i);
        out << host.Rows()[index] << '\t' << catalogue.StreamStarts[index] << '\t'
            << catalogue.StreamEnds[index] << '\n';
    }
    out << host.Message() << '\n';
    return 0;
}
