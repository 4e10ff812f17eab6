#include "convert/Commands.h"

#include "convert/ConverterLaunch.h"
#include "convert/Extraction.h"
#include "convert/OutputWait.h"
#include "platform/DialogSeam.h"
#include "platform/FileRoutines.h"
#include "platform/Sound.h"

void PlayStream(const StreamCatalogue& catalogue, CommandHost& host) {
    const std::int32_t index = host.SelectedIndex();
    if (index < 0) {
        return;
    }
    // Silence first: should anything below fail, the old sound must not go on.
    StopSound();
    const std::string directory = platform::ProgramDirectory();
    const std::string outputPath = directory + "temp.wav";
    ExtractStream(catalogue, index, directory + "temp.asf");
    // An older output would pass the wait at once; whether there was one does not matter.
    platform::DeleteFile(outputPath);
    if (RunConverter(host, LaunchForm::Play, "temp.asf", "temp.wav") != ConverterOutcome::Started) {
        return;
    }
    WaitForOutput(outputPath, host);
    // Also after a wait that gave up: the sound service then plays what is there, or its alert.
    platform::sndPlaySound(outputPath.c_str(), platform::kSoundAsync);
}

void StopSound() {
    platform::sndPlaySound(nullptr, platform::kSoundAsync);
}

void ConvertStream(const StreamCatalogue& catalogue, CommandHost& host) {
    const std::int32_t index = host.SelectedIndex();
    if (index < 0) {
        return;
    }
    const std::string directory = platform::ProgramDirectory();
    const std::string inputPath = directory + "toconvert.asf";
    const std::string outputPath = directory + host.RowText(index) + ".wav";
    ExtractStream(catalogue, index, inputPath);
    if (RunConverter(host, LaunchForm::Convert, inputPath, outputPath) !=
        ConverterOutcome::Started) {
        return;
    }
    // Shown while the converter still works; the output is complete only when it has finished.
    host.ShowMessage("File was saved to: " + outputPath, "Information",
                     platform::MB_ICONINFORMATION);
}
