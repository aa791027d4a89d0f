#include "db/archiveoutbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <utility>

#include "db/connection.h"

namespace db {
namespace {

const QString FileName = QStringLiteral("ArchiveOutbox.db");
const QString TimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
constexpr int TextFields = 8;

const QStringList CallColumns{QStringLiteral("start_seconds"),    QStringLiteral("port_set"),
                              QStringLiteral("call_kind"),        QStringLiteral("number"),
                              QStringLiteral("duration_seconds"), QStringLiteral("charge"),
                              QStringLiteral("moment"),           QStringLiteral("downloaded_at")};

QString columnList() {
    return (CallLogTable::fieldNames() + CallColumns).join(u", ");
}

}  // namespace

struct ArchiveOutbox::Impl {
    explicit Impl(QString f) : folder(std::move(f)) {}

    QString path() const { return QDir(folder).filePath(FileName); }

    QString folder;
    Connection conn{QStringLiteral("OUTBOX")};
};

ArchiveOutbox::ArchiveOutbox(QString folder) : d(std::make_unique<Impl>(std::move(folder))) {}

ArchiveOutbox::~ArchiveOutbox() = default;

QString ArchiveOutbox::fileName() {
    return FileName;
}

void ArchiveOutbox::open(bool create) const {
    if (d->conn.isOpen()) {
        return;
    }
    d->conn.open(d->path(), create, false);
    QStringList columns;
    for (const QString& name : CallLogTable::fieldNames()) {
        columns << name + QStringLiteral(" TEXT NOT NULL");
    }
    for (const QString& name : CallColumns) {
        const bool text =
            name == QStringLiteral("number") || name == QStringLiteral("downloaded_at");
        columns << name + (text ? QStringLiteral(" TEXT NOT NULL")
                                : QStringLiteral(" INTEGER NOT NULL"));
    }
    d->conn.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS Outbox (%1)").arg(columns.join(u", ")));
}

void ArchiveOutbox::keep(const std::vector<ArchivedCall>& calls, const QDateTime& downloadedAt) {
    open(true);
    const QString at = downloadedAt.toString(TimeFormat);
    QStringList marks(TextFields + CallColumns.size(), QStringLiteral("?"));
    const QString insert =
        QStringLiteral("INSERT INTO Outbox (%1) VALUES (%2)").arg(columnList(), marks.join(u','));
    d->conn.runBatch([&] {
        for (const ArchivedCall& call : calls) {
            QVariantList values;
            for (int field = 0; field < TextFields; ++field) {
                values << Connection::text(CallLogTable::field(call.row, field));
            }
            values << call.startSeconds << call.portSet << call.callKind
                   << Connection::text(call.number) << call.durationSeconds << call.charge
                   << QVariant::fromValue<qint64>(call.moment) << at;
            d->conn.exec(insert, values);
        }
    });
}

int ArchiveOutbox::count() const {
    if (!d->conn.isOpen() && !QFileInfo::exists(d->path())) {
        return 0;
    }
    open(false);
    return d->conn.scalar(QStringLiteral("SELECT COUNT(*) FROM Outbox")).toInt();
}

ArchiveOutbox::Waiting ArchiveOutbox::waiting() const {
    Waiting waiting;
    if (count() == 0) {
        return waiting;
    }
    QSqlQuery rows = d->conn.exec(
        QStringLiteral("SELECT rowid, %1 FROM Outbox ORDER BY rowid").arg(columnList()));
    while (rows.next()) {
        ArchivedCall call;
        int i = 1;
        for (int field = 0; field < TextFields; ++field) {
            CallLogTable::setField(call.row, field, rows.value(i++).toString());
        }
        call.startSeconds = rows.value(i++).toInt();
        call.portSet = static_cast<uint8_t>(rows.value(i++).toInt());
        call.callKind = static_cast<uint8_t>(rows.value(i++).toInt());
        call.number = rows.value(i++).toString();
        call.durationSeconds = rows.value(i++).toInt();
        call.charge = rows.value(i++).toInt();
        call.moment = rows.value(i++).toLongLong();
        const QDateTime at = QDateTime::fromString(rows.value(i).toString(), TimeFormat);
        if (waiting.downloads.empty() || waiting.downloads.back().downloadedAt != at) {
            waiting.downloads.push_back({{}, at});
        }
        waiting.downloads.back().calls.push_back(call);
        waiting.lastRow = rows.value(0).toLongLong();
    }
    return waiting;
}

void ArchiveOutbox::forget(int64_t lastRow) {
    if (count() == 0) {
        return;
    }
    d->conn.exec(QStringLiteral("DELETE FROM Outbox WHERE rowid <= ?"),
                 {QVariant::fromValue<qint64>(lastRow)});
    if (count() == 0) {
        d->conn.close();
        QFile::remove(d->path());
    }
}

}  // namespace db
