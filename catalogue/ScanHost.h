#pragma once

#include <cstdint>
#include <string>

// What the Open File command needs from its window. The main window implements it over its
// controls; the lister and the tests implement it without any window.
class ScanHost {
public:
    virtual ~ScanHost() = default;

    // The file dialog: set its filter ("description|pattern"), run it modally (true when the
    // user confirmed a file), and the full path of the chosen file.
    virtual void SetDialogFilter(const std::string& filter) = 0;
    virtual bool ExecuteDialog() = 0;
    virtual std::string DialogFileName() = 0;

    virtual void SetStatusText(const std::string& text) = 0;
    virtual void ClearRows() = 0;
    virtual void AddRow(const std::string& text) = 0;
    virtual void Repaint() = 0;

    // The progress indicator. SetProgressMin and SetProgressMax throw
    // platform::PropertyOutOfRangeError when the minimum would lie above the maximum.
    virtual void SetProgressMin(std::int32_t value) = 0;
    virtual void SetProgressMax(std::int32_t value) = 0;
    virtual void SetProgressPosition(std::int32_t value) = 0;

    // Handles every pending window event, then returns.
    virtual void ProcessMessages() = 0;

    // A modal message box with an OK button; flags as the message-box flag values (64 for the
    // information icon, 48 for the exclamation icon). Returns when the user has closed it.
    virtual void ShowMessage(const std::string& text, const std::string& caption, int flags) = 0;
};
