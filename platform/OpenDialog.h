#pragma once

#include <string>

class QWidget;

namespace platform {

// The file-open dialog: accepts only existing files, and opens with the full path of the file
// last chosen in it. Shown through the dialog seam.
class TOpenDialog {
  public:
    explicit TOpenDialog(QWidget* owner);

    // "description|pattern|description|pattern..."; several patterns are separated by ';'.
    void SetFilter(const std::string& filter);
    const std::string& Filter() const { return filter_; }

    // Shows the dialog modally; true when the user chose a file, which FileName then holds.
    bool Execute();
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& fileName) { fileName_ = fileName; }

  private:
    QWidget* owner_;
    std::string filter_ = "*.*";
    std::string fileName_;
};

}  // namespace platform
