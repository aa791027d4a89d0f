#include "db/archiveproblem.h"

#include <QDir>

#include "db/databaseerror.h"

namespace db {

namespace {

// SQLite's primary result codes that say what is wrong with the file.
constexpr int Locked = 6;
constexpr int ReadOnly = 8;
constexpr int IoError = 10;
constexpr int Corrupt = 11;
constexpr int Full = 13;
constexpr int CannotOpen = 14;
constexpr int NotADatabase = 26;

QString whatIsWrong(int resultCode) {
    switch (resultCode) {
        case DatabaseError::Busy:
        case Locked:
            return QStringLiteral("ほかのプログラムが使用中です");
        case ReadOnly:
            return QStringLiteral("書き込みが禁止されています");
        case IoError:
            return QStringLiteral("読み書きに失敗しました");
        case Corrupt:
        case NotADatabase:
            return QStringLiteral("ファイルが壊れています");
        case Full:
            return QStringLiteral("ディスクがいっぱいです");
        case CannotOpen:
            return QStringLiteral("ファイルを開けません");
        default:
            return QStringLiteral("ファイルを使えません");
    }
}

}  // namespace

const QString CallsNotArchived = QStringLiteral("今回受信した通話は通話履歴に保存されていません。");
const QString ArchiveNotInUse =
    QStringLiteral("通話履歴は使えません。受信した通話は通話履歴に保存されません。");

QString archiveProblemText(const QString& path, const DatabaseError& error,
                           const QString& meaning) {
    return QStringLiteral("通話履歴ファイル %1: %2。\n%3\n（%4）")
        .arg(QDir::toNativeSeparators(path), whatIsWrong(error.resultCode()), meaning,
             error.text());
}

}  // namespace db
