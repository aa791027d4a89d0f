#pragma once

#include <QDateTime>

namespace ui {

// The PC's local date and time; tests set it.
class WallClock {
public:
    virtual ~WallClock() = default;
    virtual QDateTime now() const = 0;
};

class SystemWallClock : public WallClock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

}  // namespace ui
