// kestrin-scan FILE: lists the streams of a container with the player's own scan, one line per
// stream ("<row name>\t<start>\t<end>", offsets in decimal), then "Founded *.asf: N".
// A failure prints its text to standard error and exits with 1; a wrong command line exits with 2.

#include <cstdio>
#include <iostream>
#include <string>

#include "catalogue/OpenFile.h"
#include "platform/Errors.h"
#include "tools/ConsoleScanHost.h"

int main(int argc, char** argv) {
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::cerr << "usage: kestrin-scan FILE\n"
                     "Lists the streams in FILE: row name, start and end offset, tab-separated.\n";
        return 2;
    }
    std::ios::sync_with_stdio(false);

    StreamCatalogue catalogue;
    catalogue.ContainerPath = argv[1];
    ConsoleScanHost host(catalogue.ContainerPath);
    try {
        // Straight to the scan: a missing file or a directory is reported by the load with the
        // system's reason, where the window's command would end silently.
        ScanContainer(catalogue, host);
    } catch (const platform::Error& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }

    for (std::int32_t i = 0; i < catalogue.StreamCount; ++i) {
        const auto index = static_cast<std::size_t>(i);
        std::cout << host.Rows()[index] << '\t' << catalogue.StreamStarts[index] << '\t'
                  << catalogue.StreamEnds[index] << '\n';
    }
    std::cout << host.Message() << '\n';
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "kestrin-scan: cannot write the list to standard output\n";
        return 1;
    }
    return 0;
}
