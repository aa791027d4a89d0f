#pragma once

#include <QFont>
#include <QPixmap>
#include <QString>

class QFrame;
class QWidget;

// What the options, password and charges windows share in looks.
// The proportional Gothic font of these windows, at a size in pixels.
QFont gothicFont(int pixels, bool bold = false);

// The title picture at the top of the options and charges windows: the caption on a band.
QPixmap makeTitlePicture(const QString& caption, int width, int height);

// The raised band of the settings windows laid out top to bottom, with the title picture, at
// least width wide.
QFrame* makeTitlePanel(QWidget* parent, const QString& caption, int width);
