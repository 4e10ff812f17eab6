#include "convert/Extraction.h"

#include <cerrno>

#include "platform/Errors.h"
#include "platform/ExclusiveOpen.h"
#include "platform/Streams.h"

void ExtractStream(const StreamCatalogue& catalogue, std::int32_t index,
                   const std::string& target) {
    // The tables may be longer than the counts, or, for a start without an end, shorter on one
    // side; a row that has no entry in either table has no bytes to copy.
    const auto entry = static_cast<std::size_t>(index);
    if (index < 0 || entry >= catalogue.StreamStarts.size() ||
        entry >= catalogue.StreamEnds.size()) {
        throw platform::StreamReadError();
    }
    const std::int64_t start = catalogue.StreamStarts[entry];
    const std::int64_t length = std::int64_t{catalogue.StreamEnds[entry]} - start;

    platform::MemoryStream stream;
    stream.LoadRangeFromFile(catalogue.ContainerPath, start, length);

    // A converter that still reads the previous stream from target would read a mix of two
    // streams if target were rewritten under it; refuse as the desktop platform refuses to
    // create a file that another program holds open.
    if (platform::IsOpenElsewhere(target)) {
        throw platform::FileCreateError(target, EBUSY);
    }
    stream.SaveToFile(target);
}
