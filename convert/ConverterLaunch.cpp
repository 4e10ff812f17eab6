#include "convert/ConverterLaunch.h"

#include <optional>

#include "platform/DialogSeam.h"
#include "platform/FileRoutines.h"
#include "platform/Launch.h"

namespace {

constexpr const char* kConverterName = "sx.exe";

}  // namespace

std::string ConverterParameters(const std::string& input, const std::string& output) {
    return "-wave \"" + platform::EscapeForQuotes(input) + "\" -=\"" +
           platform::EscapeForQuotes(output) + "\"";
}

ConverterOutcome RunConverter(CommandHost& host, LaunchForm form, const std::string& input,
                              const std::string& output) {
    const std::string directory = platform::ProgramDirectory();
    const std::string converterPath = directory + kConverterName;
    if (!platform::FileExists(converterPath)) {
        host.ShowMessage("Can not find sx.exe", "Error", platform::MB_ICONEXCLAMATION);
        return ConverterOutcome::Missing;
    }
    const std::string parameters = ConverterParameters(input, output);
    const int result = form == LaunchForm::Play
                           ? platform::LaunchHidden(kConverterName, parameters, directory)
                           : platform::LaunchHidden(converterPath, parameters, std::nullopt);
    return result > platform::kLaunchErrorLimit ? ConverterOutcome::Started
                                                : ConverterOutcome::NotStarted;
}
