#include "platform/OpenDialog.h"

#include "platform/DialogSeam.h"

namespace platform {

TOpenDialog::TOpenDialog(QWidget* owner) : owner_(owner) {}

void TOpenDialog::SetFilter(const std::string& filter) {
    filter_ = filter;
}

bool TOpenDialog::Execute() {
    const std::optional<std::string> chosen =
        Dialogs().ShowOpenDialog(owner_, {filter_, fileName_});
    if (!chosen) {
        return false;
    }
    fileName_ = *chosen;
    return true;
}

}  // namespace platform
