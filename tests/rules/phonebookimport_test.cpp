#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "db/edatabaseerror.h"
#include "db/phonebooktable.h"
#include "rules/phonebookimport.h"
#include "rules/picture.h"
#include "rules/vcard.h"

namespace {

QByteArray corpusFile(const QString& name) {
    QFile file(qEnvironmentVariable("TILKA_TEST_DATA") + QStringLiteral("/vcard-corpus/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Name, reading, TEL, 電話番号２, FAX, 〒, 住所, 備考.
QStringList texts(const db::UserRecord& r) {
    return {r.Name, r.Yomi, r.Tel, r.Tel2, r.Fax, r.Zip, r.Address, r.Note};
}

QSize pictureSize(const QByteArray& stored) {
    return QImage::fromData(stored, "PNG").size();
}

db::UserRecord person(const QString& name, const QString& yomi, const QString& tel) {
    db::UserRecord r;
    r.Name = name;
    r.Yomi = yomi;
    r.Tel = tel;
    r.Tel2 = tel;
    return r;
}

}  // namespace

class PhoneBookImportTest : public QObject {
    Q_OBJECT

private slots:
    void readsEachVersion() {
        // 2.1 from a phone: Shift_JIS in quoted-printable with a soft line break, a half-width
        // katakana reading, bare type words, base64 picture lines.
        const auto v21 = vcard::read(corpusFile(QStringLiteral("v21-sjis-qp.vcf")));
        QCOMPARE(v21.records.size(), 1);
        QCOMPARE(texts(v21.records[0]),
                 (QStringList{"山田 太郎", "やまだたろう", "090-1234-5678", "09012345678",
                              "03-1111-2222", "100-0005", "東京都千代田区丸の内1-1",
                              "会社の同僚です。よろしく"}));
        QCOMPARE(pictureSize(v21.records[0].Picture), QSize(1, 1));

        // 3.0 in UTF-8 with LF line ends, a folded note, full-width katakana, an international
        // number and a card without a name.
        const auto v30 = vcard::read(corpusFile(QStringLiteral("v30-utf8.vcf")));
        QCOMPARE(v30.withoutName, 1);
        QCOMPARE(v30.records.size(), 1);
        QCOMPARE(texts(v30.records[0]),
                 (QStringList{"鈴木 花子", "すずきはなこ", "03-5555-0000", "0355550000",
                              "06-7777-8888", "", "", "長い備考はここで折り返しています, 本当に"}));
        QCOMPARE(pictureSize(v30.records[0].Picture), QSize(1, 1));

        // 4.0: quoted parameters, tel: URIs, a western address and a data: URI picture.
        const auto v40 = vcard::read(corpusFile(QStringLiteral("v40-datauri.vcf")));
        QCOMPARE(v40.records.size(), 1);
        QCOMPARE(texts(v40.records[0]),
                 (QStringList{"John Smith", "すみすじょん", "090-2222-3333", "09022223333",
                              "1-555-0100", "62701", "Suite 5, 1 Main St, Springfield, IL", ""}));
        QCOMPARE(pictureSize(v40.records[0].Picture), QSize(1, 1));
    }

    void cutsAtCharacterBoundariesAndScalesPictures() {
        QImage big(2048, 1024, QImage::Format_RGB32);
        big.fill(Qt::red);
        QByteArray png;
        {
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            big.save(&buffer, "PNG");
        }
        // CR line ends, raw Shift-JIS without CHARSET, a name of 22 bytes, unindented base64.
        QByteArray base64Lines;
        const QByteArray base64 = png.toBase64();
        for (qsizetype i = 0; i < base64.size(); i += 76) {
            base64Lines += base64.mid(i, 76) + '\r';
        }
        const QByteArray card =
            "BEGIN:VCARD\rVERSION:2.1\rFN:" +
            QByteArray::fromHex("82a082a282a482a682a882a982ab82ad82af82b182b3") +
            "\rPHOTO;BASE64:\r" + base64Lines + "\rEND:VCARD\r";
        const auto imported = vcard::read(card);
        QCOMPARE(imported.records.size(), 1);
        QCOMPARE(imported.records[0].Name, QStringLiteral("あいうえおかきくけこ"));
        QCOMPARE(pictureSize(imported.records[0].Picture), QSize(1024, 512));
    }

    void exportReadsBackAsTheSameRecords() {
        QImage image(3, 2, QImage::Format_RGB32);
        image.fill(Qt::blue);
        db::UserRecord full =
            person(QStringLiteral("高橋 一郎"), QStringLiteral("たかはしいちろう"),
                   QStringLiteral("045-123-4567"));
        full.Tel2 = QStringLiteral("0451234567");
        full.Fax = QStringLiteral("045-123-4568");
        full.Zip = QStringLiteral("220-0012");
        full.Address = QStringLiteral("神奈川県横浜市西区みなとみらい1-1; 3F, 東");
        // 51 bytes: the longest note, folded in the file.
        full.Note = QStringLiteral("\\") + QString(25, u'長');
        full.Picture = picture::stored(image);
        const db::UserRecord bare = person(QStringLiteral("Ann"), QString(), QString());
        const QList<db::UserRecord> records{full, bare};

        const QByteArray out = vcard::write(records);
        for (const QByteArray& line : out.split('\n')) {
            QVERIFY(line.size() <= 76);
        }
        for (const char* expected :
             {"VERSION:3.0\r\n", "SORT-STRING:たかはしいちろう\r\n",
              "X-PHONETIC-LAST-NAME:たかはしいちろう\r\n", "TEL;TYPE=VOICE:045-123-4567\r\n",
              "TEL;TYPE=FAX:045-123-4568\r\n", "PHOTO;ENCODING=b;TYPE=PNG:"}) {
            QVERIFY2(out.contains(expected), expected);
        }
        const auto back = vcard::read(out);
        QCOMPARE(back.records.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(texts(back.records[i]), texts(records[i]));
            QCOMPARE(back.records[i].Picture, records[i].Picture);
        }
    }

    void readsThePhoneBookCsv() {
        const QByteArray data =
            "\xEF\xBB\xBF"
            "氏名,読み,電話番号２,電話番号,ＦＡＸ番号,郵便番号,住所,備考,最終通話,通話時間,"
            "利用料金\r\n"
            "山田,やまだ,x,０３－１２３４－５６７８,,100-0005,\"東京都, "
            "千代田区\",,12/01,1:00,10\r\n"
            ",なし,,011,,,,,,,\r\n";
        const auto imported = phonebookimport::fromCsv(data);
        QCOMPARE(imported.withoutName, 1);
        QCOMPARE(imported.records.size(), 1);
        const db::UserRecord& r = imported.records[0];
        QCOMPARE(texts(r), (QStringList{"山田", "やまだ", "03-1234-5678", "0312345678", "",
                                        "100-0005", "東京都, 千代田区", ""}));
        QCOMPARE((QStringList{r.LastCall, r.CallTime, r.Charges}),
                 (QStringList{"12/01", "1:00", "10"}));
    }

    void importIsOneTransaction() {
        QTemporaryDir dir;
        db::PhoneBookTable table(dir.path());
        table.createTable();
        {
            // The engine refuses one record of the file half-way through the import.
            QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "raw");
            raw.setDatabaseName(dir.filePath(QStringLiteral("Userdat.db")));
            QVERIFY(raw.open());
            QVERIFY(QSqlQuery(raw).exec(QStringLiteral(
                "CREATE TRIGGER refuse BEFORE INSERT ON Userdat WHEN NEW.氏名 = '拒否' "
                "BEGIN SELECT RAISE(ABORT, 'refused'); END")));
            // A full disk: the engine itself has rolled the transaction back.
            QVERIFY(QSqlQuery(raw).exec(QStringLiteral(
                "CREATE TRIGGER full BEFORE INSERT ON Userdat WHEN NEW.氏名 = '満杯' "
                "BEGIN SELECT RAISE(ROLLBACK, 'database or disk is full'); END")));
            raw.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));
        table.open();
        table.append(person(QStringLiteral("阿部"), QStringLiteral("あべ"), QStringLiteral("011")));
        table.setLastCall(QStringLiteral("阿部"), QStringLiteral("12/01 10:00"),
                          QStringLiteral("00:01:00"), QStringLiteral("10"));

        phonebookimport::ImportedRecords imported;
        imported.records = {person(QStringLiteral("佐藤"), {}, QStringLiteral("022")),
                            person(QStringLiteral("阿部"), {}, QStringLiteral("033")),
                            person(QStringLiteral("拒否"), {}, QStringLiteral("044"))};
        QVERIFY_THROWS_EXCEPTION(db::EDatabaseError,
                                 phonebookimport::importRecords(table, imported, true));
        QCOMPARE(table.recordCount(), 1);
        QCOMPARE(table.record(QStringLiteral("阿部"))->Tel, QStringLiteral("011"));

        imported.records.removeLast();
        imported.withoutName = 2;
        QCOMPARE(phonebookimport::existingCount(table, imported.records), 1);
        const auto overwritten = phonebookimport::importRecords(table, imported, true);
        QCOMPARE(phonebookimport::summaryText(overwritten),
                 QStringLiteral(
                     "追加 1 件、上書き 1 件、スキップ 2 件（氏名なし 2 件）を取り込みました。"));
        const db::UserRecord abe = *table.record(QStringLiteral("阿部"));
        QCOMPARE((QStringList{abe.Tel, abe.LastCall}), (QStringList{"033", "12/01 10:00"}));

        imported.withoutName = 0;
        const auto skipped = phonebookimport::importRecords(table, imported, false);
        QCOMPARE(phonebookimport::summaryText(skipped),
                 QStringLiteral("追加 0 件、上書き 0 件、スキップ 2 件（同じ氏名が登録済み 2 "
                                "件）を取り込みました。"));
        QCOMPARE(table.recordCount(), 2);

        imported.records = {person(QStringLiteral("満杯"), {}, QStringLiteral("055"))};
        try {
            phonebookimport::importRecords(table, imported, false);
            QFAIL("the full disk was not reported");
        } catch (const db::EDatabaseError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("disk is full")), e.what());
        }
        QCOMPARE(table.recordCount(), 2);
    }
};

QTEST_MAIN(PhoneBookImportTest)
#include "phonebookimport_test.moc"
