#include "ptyadapter.h"

#include <QDateTime>

PtyAdapter::PtyAdapter(const QString& folder)
    : adapter_(hgsim::HgConfig{}, [] { return QDateTime::currentDateTime(); }),
      port_(folder, 1),
      server_(adapter_, port_) {
    server_.onCommand = [this](const QByteArray& command) {
        QMutexLocker lock(&mutex_);
        commands_ << command;
    };
    start();
}
