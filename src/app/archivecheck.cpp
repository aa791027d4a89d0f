#include "app/archivecheck.h"

#include <exception>

ArchiveCheck::ArchiveCheck(db::CallArchive& archive, std::function<void(const QString&)> onDamage,
                           std::function<void()> onSound)
    : archive_(archive), onDamage_(std::move(onDamage)), onSound_(std::move(onSound)) {}

ArchiveCheck::~ArchiveCheck() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void ArchiveCheck::start() {
    // The server checks its own pages.
    if (!archive_.isOpen() || archive_.onServer() || thread_.joinable()) {
        return;
    }
    thread_ = std::thread([this, path = archive_.path()] {
        const QString findings = db::CallArchive::findDamage(path);
        // Queued to this object's thread; dropped when the object is gone.
        QMetaObject::invokeMethod(
            this, [this, findings] { confirm(findings); }, Qt::QueuedConnection);
    });
}

void ArchiveCheck::confirm(const QString& findings) {
    finished_ = true;
    if (!archive_.isOpen()) {
        return;
    }
    if (!findings.isEmpty()) {
        try {
            archive_.checkWhole();
        } catch (const std::exception& e) {
            archive_.close();
            onDamage_(QString::fromUtf8(e.what()));
            return;
        }
    }
    if (onSound_) {
        onSound_();
    }
}
