// The splitting of a parameter text into arguments. Any text must split without harm into
// arguments no longer in total than the text; and names built from the input must come back
// exactly: each one quoted and escaped on its own, a list of them joined by blanks, and the
// converter's own parameter text for an input and an output name.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "convert/ConverterLaunch.h"
#include "platform/Launch.h"

namespace {

using Arguments = std::vector<std::string>;

std::string Quoted(const std::string& name) {
    return "\"" + platform::EscapeForQuotes(name) + "\"";
}

// The input cut at its zero bytes, which no file name can hold.
Arguments NamesIn(const std::string& text) {
    Arguments names(1);
    for (const char c : text) {
        if (c == '\0') {
            names.emplace_back();
        } else {
            names.back() += c;
        }
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(bytes), size);

    const Arguments split = platform::SplitCommandLine(text);
    std::size_t total = 0;
    for (const std::string& argument : split) {
        total += argument.size();
    }
    FUZZ_CHECK(total <= text.size());
    FUZZ_CHECK(split.size() <= text.size());

    const Arguments names = NamesIn(text);
    std::string joined;
    for (const std::string& name : names) {
        FUZZ_CHECK(platform::SplitCommandLine(Quoted(name)) == Arguments{name});
        joined += (joined.empty() ? "" : " ") + Quoted(name);
    }
    FUZZ_CHECK(platform::SplitCommandLine(joined) == names);

    const std::string& input = names.front();
    const std::string& output = names.size() > 1 ? names[1] : names.front();
    FUZZ_CHECK(platform::SplitCommandLine(ConverterParameters(input, output)) ==
               (Arguments{"-wave", input, "-=" + output}));
    return 0;
}
