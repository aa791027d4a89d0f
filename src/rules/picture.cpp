#include "rules/picture.h"

#include <QBuffer>
#include <QImage>

namespace rules::picture {
namespace {

// The picture box shows 128 x 128; larger pictures would only swell the phone book file.
constexpr int StoredPictureSide = 1024;

}  // namespace

QByteArray stored(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const bool large = image.width() > StoredPictureSide || image.height() > StoredPictureSide;
    const QImage kept = large ? image.scaled(StoredPictureSide, StoredPictureSide,
                                             Qt::KeepAspectRatio, Qt::SmoothTransformation)
                              : image;
    kept.save(&buffer, "PNG");
    return bytes;
}

QByteArray storedFromFile(const QByteArray& bytes) {
    const QImage image = QImage::fromData(bytes);
    return image.isNull() ? QByteArray() : stored(image);
}

}  // namespace rules::picture
