#include "platform/Image.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>

#include "platform/Errors.h"
#include "platform/IconFile.h"

namespace platform {

TImage::TImage(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setScaledContents(false);
    setFocusPolicy(Qt::NoFocus);
    setMargin(0);
    setIndent(0);
}

void TImage::LoadIcon(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw Error("Cannot load picture \"" + path.toStdString() + "\"");
    }
    QByteArray bytes = file.readAll();
    const int index = BestIconImage(
        ReadIconDirectory(std::string_view(bytes.constData(), bytes.size())), kIconSize);
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "ico");
    QImage image;
    if (index >= 0 && reader.jumpToImage(index)) {
        image = reader.read();
    }
    if (image.isNull()) {
        throw Error("Cannot load picture \"" + path.toStdString() + "\"");
    }
    setPixmap(QPixmap::fromImage(image));
}

}  // namespace platform
