#pragma once

#include <QByteArray>

class QImage;

namespace rules::picture {

// A picture as the phone book keeps it: PNG, at most 1024 pixels on its longer side.
QByteArray stored(const QImage& image);
// The same from a picture file's bytes; empty when they hold no picture Qt can read.
QByteArray storedFromFile(const QByteArray& bytes);

}  // namespace rules::picture
