#pragma once

#include <cstdint>
#include <string>

#include "catalogue/StreamCatalogue.h"

// What the play and convert commands need from the main window.
class CommandHost {
  public:
    virtual ~CommandHost() = default;

    // The selected row of the stream list, or -1 when none is selected.
    virtual std::int32_t SelectedIndex() = 0;
    // The text of a row of the stream list.
    virtual std::string RowText(std::int32_t index) = 0;
    // A modal message box with an OK button; returns when the user has closed it.
    virtual void ShowMessage(const std::string& text, const std::string& caption, int flags) = 0;
    // Handles every pending window event, then returns.
    virtual void ProcessMessages() = 0;
};

// Plays the selected stream: stop the sound, extract to temp.asf, delete temp.wav, start the
// converter, wait for its output (handling window events meanwhile, so other commands may run
// nested), play it. Does nothing at all when no row is selected. Extraction failures arrive
// as platform::Error; a missing converter is reported through host, one that cannot start
// ends the command silently.
void PlayStream(const StreamCatalogue& catalogue, CommandHost& host);

// Stops the sound that this program is playing, if any.
void StopSound();

// Converts the selected stream into "<row text>.wav" beside the program and says where, while
// the converter still works. Does not stop the sound or wait. Does nothing at all when no row
// is selected; failures as for PlayStream.
void ConvertStream(const StreamCatalogue& catalogue, CommandHost& host);
