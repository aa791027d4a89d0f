#pragma once

#include <QString>

namespace hgsim {

// A pseudo-terminal whose program side is linked as <folder>/COM<port>, so that the program
// opens it as that port; this side is the master. A descriptor of the program side is kept
// open here, so the master does not see a hang-up while the program has the port closed.
class PtyPort {
public:
    PtyPort(const QString& folder, int port);
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    bool isValid() const { return master_ >= 0; }
    // Non-blocking.
    int master() const { return master_; }
    const QString& linkPath() const { return linkPath_; }
    const QString& devicePath() const { return devicePath_; }

    // The far side vanishes, as an unplugged adapter does.
    void closeMaster();

private:
    int master_ = -1;
    int programSide_ = -1;
    QString linkPath_;
    QString devicePath_;
};

}  // namespace hgsim
