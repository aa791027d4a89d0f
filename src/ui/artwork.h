#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn rather than shipped as files.
namespace ui::artwork {

// The picture of menu command n (1 call log, 2 phone book, 3 dial, 4 charges, 5 options,
// 6 exit, 7 back to the standard menu).
QPixmap menuPicture(int command, int size);
QPixmap splashPicture();  // 288 by 208
QIcon applicationIcon();

}  // namespace ui::artwork
