#include "sx/Conversion.h"

#include <cstring>
#include <system_error>

#include "sx/ByteSource.h"
#include "sx/Decoder.h"
#include "sx/OutputFile.h"

namespace sx {
namespace {

std::string quoted(const std::filesystem::path& path) {
    return "\"" + path.string() + "\"";
}

int failWith(std::ostream& messages, const std::string& text) {
    messages << "sx.exe: " << text << "\n";
    return kExitFailed;
}

// After a failed conversion no file may stand at the output name, or a caller would take an
// older file of that name for the result. Only a regular file is removed.
int failAndClear(const std::filesystem::path& output, std::ostream& messages,
                 const std::string& text) {
    std::error_code error;
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(output, error))) {
        std::filesystem::remove(output, error);
    }
    return failWith(messages, text);
}

}  // namespace

int convertFile(const std::filesystem::path& input, const std::filesystem::path& output,
                std::ostream& messages) {
    FileSource source(input);
    if (!source.isOpen()) {
        return failAndClear(
            output, messages,
            "cannot open input " + quoted(input) + ": " + std::strerror(source.openError()));
    }
    // Writing onto the input itself would destroy the stream being read.
    std::error_code ignored;
    if (std::filesystem::equivalent(input, output, ignored)) {
        return failWith(messages, "the output " + quoted(output) + " is the input file");
    }
    OutputFile target(output);
    if (!target.isOpen()) {
        return failAndClear(
            output, messages,
            "cannot create output " + quoted(output) + ": " + std::strerror(target.error()));
    }

    const DecodeResult result = decodeStream(source, target);
    const Status status = result.problem.status;
    if (status == Status::WriteError) {
        target.discard();
        return failAndClear(
            output, messages,
            "cannot write output " + quoted(output) + ": " + std::strerror(target.error()));
    }
    if (!result.keepOutput()) {
        target.discard();
        std::string text = quoted(input) + ": " + describe(result.problem);
        if (isCut(status)) {
            text += "; nothing decoded, no output written";
        }
        return failAndClear(output, messages, text);
    }
    if (!target.commit()) {
        return failAndClear(
            output, messages,
            "cannot write output " + quoted(output) + ": " + std::strerror(target.error()));
    }
    if (isCut(status)) {
        messages << "sx.exe: warning: " << quoted(input) << ": " << describe(result.problem)
                 << "; kept the " << result.frames << " samples decoded before it\n";
    }
    return kExitConverted;
}

}  // namespace sx
