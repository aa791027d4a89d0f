#include "hgsim/ptyport.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

namespace hgsim {

PtyPort::PtyPort(const QString& folder, int port)
    : linkPath_(QDir(folder).filePath(QStringLiteral("COM%1").arg(port))) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        if (master >= 0) {
            ::close(master);
        }
        return;
    }
    devicePath_ = QString::fromLocal8Bit(::ptsname(master));
    programSide_ = ::open(QFile::encodeName(devicePath_).constData(),
                          O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios t{};
    if (programSide_ >= 0 && ::tcgetattr(programSide_, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(programSide_, TCSANOW, &t);
    }
    QFile::remove(linkPath_);
    if (programSide_ < 0 || !QFile::link(devicePath_, linkPath_)) {
        ::close(master);
        return;
    }
    master_ = master;
}

PtyPort::~PtyPort() {
    if (isValid()) {
        QFile::remove(linkPath_);
    }
    closeMaster();
    if (programSide_ >= 0) {
        ::close(programSide_);
    }
}

void PtyPort::closeMaster() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

}  // namespace hgsim
