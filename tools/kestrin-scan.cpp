// kestrin-scan FILE: lists the streams of a container with the player's own scan, one line per
// stream ("<row name>\t<start>\t<end>", offsets in decimal), then "Founded *.asf: N".
// A failure prints its text to standard error and exits with 1; a wrong command line exits with 2.

#include <iostream>
#include <string>

#include "tools/ScanLister.h"

int main(int argc, char** argv) {
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::cerr << "usage: kestrin-scan FILE\n"
                     "Lists the streams in FILE: row name, start and end offset, tab-separated.\n";
        return 2;
    }
    std::ios::sync_with_stdio(false);
    const int status = ListStreams(argv[1], std::cout, std::cerr);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "kestrin-scan: cannot write the list to standard output\n";
        return 1;
    }
    return status;
}
