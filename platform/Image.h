#pragma once

#include <QLabel>
#include <QString>

namespace platform {

// A picture drawn at its natural size in the top-left corner, neither stretched nor centred.
// It never takes the focus.
class TImage : public QLabel {
    Q_OBJECT
  public:
    // The size at which the desktop shows an icon in a window: 32 by 32 pixels.
    static constexpr int kIconSize = 32;

    explicit TImage(QWidget* parent = nullptr);

    // Shows the 32 by 32 image of the icon file at path (a file or a ":/" resource), the one
    // with the most colours. Throws platform::Error when the file cannot be read or holds no
    // such image.
    void LoadIcon(const QString& path);
};

}  // namespace platform
