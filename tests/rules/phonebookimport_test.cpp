#include <sys/stat.h>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include "db/databaseerror.h"
#include "db/phonebooktable.h"
#include "rules/phonebookimport.h"
#include "rules/picture.h"
#include "rules/vcard.h"
#include "ui/sjis.h"

namespace {

QByteArray dataFile(const QString& path) {
    QFile file(qEnvironmentVariable("TILKA_TEST_DATA") + u'/' + path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray corpusFile(const QString& name) {
    return dataFile(QStringLiteral("vcard-corpus/") + name);
}

// An Android phone's export (see tests/data/vcard-public/README.md): six cards, two without a
// name, quoted-printable UTF-8 names of "Ñ", a photo.
QByteArray androidExport() {
    return dataFile(QStringLiteral("vcard-public/John_Doe_ANDROID.vcf"));
}

QByteArray utf16(const QByteArray& utf8, QStringConverter::Encoding encoding, bool bom) {
    QStringEncoder encoder(
        encoding, bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder.encode(QString::fromUtf8(utf8));
}

QStringList names(const QList<db::UserRecord>& records) {
    QStringList out;
    for (const db::UserRecord& r : records) {
        out << r.name;
    }
    return out;
}

// Name, reading, TEL, 電話番号２, FAX, 〒, 住所, 備考.
QStringList texts(const db::UserRecord& r) {
    return {r.name, r.yomi, r.tel, r.tel2, r.fax, r.zip, r.address, r.note};
}

QSize pictureSize(const QByteArray& stored) {
    return QImage::fromData(stored, "PNG").size();
}

db::UserRecord person(const QString& name, const QString& yomi, const QString& tel) {
    db::UserRecord r;
    r.name = name;
    r.yomi = yomi;
    r.tel = tel;
    r.tel2 = tel;
    return r;
}

}  // namespace

class PhoneBookImportTest : public QObject {
    Q_OBJECT

private slots:
    void readsEachVersion() {
        // 2.1 from a phone: Shift_JIS in quoted-printable with a soft line break, a half-width
        // katakana reading, bare type words, base64 picture lines.
        const auto v21 = rules::vcard::read(corpusFile(QStringLiteral("v21-sjis-qp.vcf")));
        QCOMPARE(v21.records.size(), 1);
        QCOMPARE(texts(v21.records[0]),
                 (QStringList{"山田 太郎", "やまだたろう", "090-1234-5678", "09012345678",
                              "03-1111-2222", "100-0005", "東京都千代田区丸の内1-1",
                              "会社の同僚です。よろしく"}));
        QCOMPARE(pictureSize(v21.records[0].picture), QSize(1, 1));

        // 3.0 in UTF-8 with LF line ends, a folded note, full-width katakana, an international
        // number and a card without a name.
        const auto v30 = rules::vcard::read(corpusFile(QStringLiteral("v30-utf8.vcf")));
        QCOMPARE(v30.withoutName, 1);
        QCOMPARE(v30.records.size(), 1);
        QCOMPARE(texts(v30.records[0]),
                 (QStringList{"鈴木 花子", "すずきはなこ", "03-5555-0000", "0355550000",
                              "06-7777-8888", "", "", "長い備考はここで折り返しています, 本当に"}));
        QCOMPARE(pictureSize(v30.records[0].picture), QSize(1, 1));

        // 4.0: quoted parameters, tel: URIs, a western address and a data: URI picture.
        const auto v40 = rules::vcard::read(corpusFile(QStringLiteral("v40-datauri.vcf")));
        QCOMPARE(v40.records.size(), 1);
        QCOMPARE(texts(v40.records[0]),
                 (QStringList{"John Smith", "すみすじょん", "090-2222-3333", "09022223333",
                              "1-555-0100", "62701", "Suite 5, 1 Main St, Springfield, IL", ""}));
        QCOMPARE(pictureSize(v40.records[0].picture), QSize(1, 1));
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
        const auto imported = rules::vcard::read(card);
        QCOMPARE(imported.records.size(), 1);
        QCOMPARE(imported.records[0].name, QStringLiteral("あいうえおかきくけこ"));
        QCOMPARE(pictureSize(imported.records[0].picture), QSize(1024, 512));
    }

    void exportReadsBackAsTheSameRecords() {
        QImage image(3, 2, QImage::Format_RGB32);
        image.fill(Qt::blue);
        db::UserRecord full =
            person(QStringLiteral("高橋 一郎"), QStringLiteral("たかはしいちろう"),
                   QStringLiteral("045-123-4567"));
        full.tel2 = QStringLiteral("0451234567");
        full.fax = QStringLiteral("045-123-4568");
        full.zip = QStringLiteral("220-0012");
        full.address = QStringLiteral("神奈川県横浜市西区みなとみらい1-1; 3F, 東");
        // 51 bytes: the longest note, folded in the file.
        full.note = QStringLiteral("\\") + QString(25, u'長');
        full.picture = rules::picture::stored(image);
        const db::UserRecord bare = person(QStringLiteral("Ann"), QString(), QString());
        const QList<db::UserRecord> records{full, bare};

        const QByteArray out = rules::vcard::write(records);
        for (const QByteArray& line : out.split('\n')) {
            QVERIFY(line.size() <= 76);
        }
        for (const char* expected :
             {"VERSION:3.0\r\n", "SORT-STRING:たかはしいちろう\r\n",
              "X-PHONETIC-LAST-NAME:たかはしいちろう\r\n", "TEL;TYPE=VOICE:045-123-4567\r\n",
              "TEL;TYPE=FAX:045-123-4568\r\n", "PHOTO;ENCODING=b;TYPE=PNG:"}) {
            QVERIFY2(out.contains(expected), expected);
        }
        const auto back = rules::vcard::read(out);
        QCOMPARE(back.records.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(texts(back.records[i]), texts(records[i]));
            QCOMPARE(back.records[i].picture, records[i].picture);
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
        const auto imported = rules::phonebookimport::fromCsv(data);
        QCOMPARE(imported.withoutName, 1);
        QCOMPARE(imported.records.size(), 1);
        const db::UserRecord& r = imported.records[0];
        QCOMPARE(texts(r), (QStringList{"山田", "やまだ", "03-1234-5678", "0312345678", "",
                                        "100-0005", "東京都, 千代田区", ""}));
        QCOMPARE((QStringList{r.lastCall, r.callTime, r.charges}),
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

        rules::phonebookimport::ImportedRecords imported;
        imported.records = {person(QStringLiteral("佐藤"), {}, QStringLiteral("022")),
                            person(QStringLiteral("阿部"), {}, QStringLiteral("033")),
                            person(QStringLiteral("拒否"), {}, QStringLiteral("044"))};
        QVERIFY_THROWS_EXCEPTION(db::DatabaseError,
                                 rules::phonebookimport::importRecords(table, imported, true));
        QCOMPARE(table.recordCount(), 1);
        QCOMPARE(table.record(QStringLiteral("阿部"))->tel, QStringLiteral("011"));

        imported.records.removeLast();
        imported.withoutName = 2;
        QCOMPARE(rules::phonebookimport::existingCount(table, imported), 1);
        const auto overwritten = rules::phonebookimport::importRecords(table, imported, true);
        QCOMPARE(rules::phonebookimport::summaryText(overwritten),
                 QStringLiteral(
                     "追加 1 件、上書き 1 件、スキップ 2 件（氏名なし 2 件）を取り込みました。"));
        const db::UserRecord abe = *table.record(QStringLiteral("阿部"));
        QCOMPARE((QStringList{abe.tel, abe.lastCall}), (QStringList{"033", "12/01 10:00"}));

        imported.withoutName = 0;
        const auto skipped = rules::phonebookimport::importRecords(table, imported, false);
        QCOMPARE(rules::phonebookimport::summaryText(skipped),
                 QStringLiteral("追加 0 件、上書き 0 件、スキップ 2 件（同じ氏名が登録済み 2 "
                                "件）を取り込みました。"));
        QCOMPARE(table.recordCount(), 2);

        imported.records = {person(QStringLiteral("満杯"), {}, QStringLiteral("055"))};
        try {
            rules::phonebookimport::importRecords(table, imported, false);
            QFAIL("the full disk was not reported");
        } catch (const db::DatabaseError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("disk is full")), e.what());
        }
        QCOMPARE(table.recordCount(), 2);
    }

    void oneNumberHoweverWrittenIsOnePerson() {
        QTemporaryDir dir;
        db::PhoneBookTable table(dir.path());
        table.createTable();
        table.open();
        table.append(person(QStringLiteral("山田"), {}, QStringLiteral("0312345678")));
        // The held number from a card and from a CSV row under other names is that person; two
        // cards of one file sharing a number are two people; the known name is overwritten.
        const auto cards = rules::vcard::read(
            "BEGIN:VCARD\nVERSION:3.0\nFN:鈴木\nTEL:+81 3-1234-"
            "5678\nEND:VCARD\n"
            "BEGIN:VCARD\nVERSION:3.0\nFN:田中\nTEL:+1 650-253-"
            "0000\nEND:VCARD\n"
            "BEGIN:VCARD\nVERSION:3.0\nFN:中村\nTEL:010 1 650 "
            "253 0000\nEND:VCARD\n");
        QCOMPARE(rules::phonebookimport::summaryText(
                     rules::phonebookimport::importRecords(table, cards, false)),
                 QStringLiteral("追加 2 件、上書き 0 件、スキップ 1 件（同じ電話番号が登録済み 1 "
                                "件）を取り込みました。"));
        QCOMPARE(table.record(QStringLiteral("田中"))->tel, QStringLiteral("010-1-650-253-0000"));
        QVERIFY(!table.record(QStringLiteral("鈴木")));
        const auto rows = rules::phonebookimport::fromCsv(
            "氏名,電話番号\r\n佐藤,03(1234)5678\r\n山田,+81-3-1234-5678\r\n伊藤,"
            "+81-6-6234-5678\r\n渡辺,+1 (650) 253-0000\r\n");
        QCOMPARE(rules::phonebookimport::summaryText(
                     rules::phonebookimport::importRecords(table, rows, true)),
                 QStringLiteral("追加 1 件、上書き 1 件、スキップ 2 件（同じ電話番号が登録済み 2 "
                                "件）を取り込みました。"));
        QCOMPARE(table.record(QStringLiteral("山田"))->tel, QStringLiteral("03-1234-5678"));
        QCOMPARE(table.record(QStringLiteral("伊藤"))->tel2, QStringLiteral("0662345678"));
        QCOMPARE(table.recordCount(), 4);
    }

    void readsEveryCardOfOtherProgramsFiles_data() {
        QTest::addColumn<QByteArray>("file");
        const QByteArray lf = androidExport();
        QByteArray crlf = lf;
        crlf.replace("\n", "\r\n");
        QByteArray crcrlf = lf;
        crcrlf.replace("\n", "\r\r\n");
        QByteArray garbledEnd = lf;
        garbledEnd.replace(garbledEnd.indexOf("END:VCARD"), 9, "END:VCARD.");
        QByteArray brokenSoftBreak = lf;
        brokenSoftBreak.replace("123456789\nCATEGORIES:My Contacts\n",
                                "123456789\nCATEGORIES:My Contacts\n"
                                "NOTE;ENCODING=QUOTED-PRINTABLE:=E3=81=82=\n");
        QTest::newRow("as written") << lf;
        QTest::newRow("CRLF") << crlf;
        QTest::newRow("CR CR LF") << crcrlf;
        QTest::newRow("UTF-8 byte-order mark") << QByteArray("\xEF\xBB\xBF") + crlf;
        QTest::newRow("UTF-16LE with mark") << utf16(crlf, QStringConverter::Utf16LE, true);
        QTest::newRow("UTF-16BE with mark") << utf16(crlf, QStringConverter::Utf16BE, true);
        QTest::newRow("UTF-16LE without mark") << utf16(crlf, QStringConverter::Utf16LE, false);
        QTest::newRow("UTF-16BE without mark") << utf16(lf, QStringConverter::Utf16BE, false);
        QTest::newRow("garbled END") << garbledEnd;
        QTest::newRow("cut short") << lf.left(lf.lastIndexOf("END:VCARD"));
        QTest::newRow("soft line break before END") << brokenSoftBreak;
    }
    void readsEveryCardOfOtherProgramsFiles() {
        QFETCH(QByteArray, file);
        const auto imported = rules::vcard::read(file);
        QCOMPARE(imported.withoutName, 2);
        // Characters without a Shift-JIS form are kept and count two bytes in the 20-byte name.
        QCOMPARE(names(imported.records),
                 (QStringList{"Ñ Ñ Ñ Ñ Ñ", "Ñ Ñ Ñ Ñ Ñ Ñ Ñ", "Ñ Ñ Ñ Ñ", "ÑÑÑÑ"}));
        QCOMPARE(imported.fullNames[1], QStringLiteral("Ñ Ñ Ñ Ñ Ñ Ñ Ñ Ñ Ñ Ñ Ñ Ñ"));
        const QString& note = imported.records[1].note;
        QVERIFY2(note.startsWith(QStringLiteral("Ñ Ñ Ñ")) && !note.contains(u'?'),
                 qPrintable(note));
        QCOMPARE(ui::sjis::byteLength(note), 51);  // 52 bytes end at a space, which goes
        QCOMPARE(imported.records[3].tel, QStringLiteral("55556666"));
        // The folded photo reads the same whatever the line ends.
        QCOMPARE(rules::vcard::readCards(file)[4].photo,
                 rules::vcard::readCards(androidExport())[4].photo);
        QVERIFY(rules::vcard::readCards(file)[4].photo.startsWith("\xFF\xD8\xFF"));
        if (QByteArray(QTest::currentDataTag()) == "soft line break before END") {
            QCOMPARE(imported.records[0].note, QStringLiteral("あ"));
        }

        QTemporaryDir dir;
        db::PhoneBookTable table(dir.path());
        table.createTable();
        table.open();
        const auto summary = rules::phonebookimport::importRecords(table, imported, false);
        QCOMPARE(summary.added + summary.overwritten + summary.skipped(), 6);
        QCOMPARE(table.recordCount(), 4);
    }

    void keepsWhatOtherWritersMean() {
        // Version 2.1 escapes only ";": other backslashes, the yen sign of Shift-JIS among them,
        // are text. Version 3.0 escapes every one.
        const QByteArray v21 =
            "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:A;B\\C\\;D:E\\\\\r\n"
            "NOTE;CHARSET=SHIFT_JIS:" +
            ui::sjis::fromUnicode(QStringLiteral("\\500 円")) + "\r\nN:x\\;y;z\\w\r\nEND:VCARD\r\n";
        const auto old = rules::vcard::readCards(v21);
        QCOMPARE((QStringList{old[0].name, old[0].note}),
                 (QStringList{"A;B\\C;D:E\\\\", "\\500 円"}));
        QByteArray v30 = v21;
        v30.replace("2.1", "3.0");
        QCOMPARE(rules::vcard::readCards(v30)[0].name, QStringLiteral("A;BC;D:E\\"));

        // A photo in TIFF, as an address book program exports it, is kept.
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(Qt::green);
        QByteArray tiff;
        {
            QBuffer buffer(&tiff);
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(image.save(&buffer, "TIFF"));
        }
        const auto withPhoto = rules::vcard::read(
            "BEGIN:VCARD\nVERSION:3.0\nFN:T\nPHOTO;ENCODING=b;TYPE=TIFF:" + tiff.toBase64() +
            "\nEND:VCARD\n");
        QCOMPARE(pictureSize(withPhoto.records[0].picture), QSize(4, 3));
    }

    void neverTakesOnePersonForAnother() {
        QTemporaryDir dir;
        db::PhoneBookTable table(dir.path());
        table.createTable();
        table.open();
        table.append(person(QStringLiteral("一二三四五六七八九十"), {}, QStringLiteral("011")));
        // Names equal only once cut to 20 bytes: in the file, and against a stored record.
        const QByteArray file =
            "BEGIN:VCARD\nVERSION:3.0\nFN:Хильковец Вера\nTEL:022\nEND:VCARD\n"
            "BEGIN:VCARD\nVERSION:3.0\nFN:Хильковец Володя\nTEL:033\nEND:VCARD\n"
            "BEGIN:VCARD\nVERSION:3.0\nFN:一二三四五六七八九十百\nTEL:044\nEND:"
            "VCARD\n"
            "BEGIN:VCARD\nVERSION:3.0\nFN:一二三四五六七八九十\nTEL:055\nEND:"
            "VCARD\n";
        const auto imported = rules::vcard::read(file);
        QCOMPARE(rules::phonebookimport::existingCount(table, imported), 1);
        QList<std::pair<int, int>> reports;
        const auto summary = rules::phonebookimport::importRecords(
            table, imported, true, [&reports](int done, int total) {
                reports << std::pair{done, total};
                return true;
            });
        QCOMPARE(
            rules::phonebookimport::summaryText(summary),
            QStringLiteral("追加 1 件、上書き 1 件、スキップ 2 件（氏名が長く、切り詰めると別の"
                           "人と同じになる 2 件）を取り込みました。"));
        QCOMPARE(reports, (QList<std::pair<int, int>>{{0, 4}, {4, 4}}));
        QCOMPARE(table.record(QStringLiteral("Хильковец"))->tel, QStringLiteral("022"));
        QCOMPARE(table.record(QStringLiteral("一二三四五六七八九十"))->tel, QStringLiteral("055"));

        // A cancelled import leaves the phone book as it was.
        rules::phonebookimport::ImportedRecords more;
        more.take(person(QStringLiteral("佐藤"), {}, QStringLiteral("066")));
        const auto cancelled = rules::phonebookimport::importRecords(
            table, more, true, [](int done, int total) { return done < total; });
        QVERIFY(cancelled.cancelled);
        QCOMPARE(table.recordCount(), 2);
        // Reading a long file can be cancelled too.
        const QByteArray longFile = QByteArray("BEGIN:VCARD\nFN:x\nEND:VCARD\n").repeated(2000);
        QList<std::pair<int, int>> reads;
        const auto stopped = rules::vcard::read(longFile, [&reads](int done, int total) {
            reads << std::pair{done, total};
            return false;
        });
        QCOMPARE(reads, (QList<std::pair<int, int>>{{4096, 6001}}));
        QVERIFY(stopped.cancelled);
        QCOMPARE(stopped.entries(), 0);
        QCOMPARE(rules::vcard::read(longFile, [](int, int) { return true; }).entries(), 2000);
    }

    void refusesWhatItCannotRead_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("problem");
        const QString notExport = QStringLiteral(
            "この CSV ファイルは電話帳の形式ではないため、取り込めません（%1 行目）。\n取り込める"
            " CSV は、1 "
            "行目が列名の行（氏名,読み,電話番号２,電話番号,ＦＡＸ番号,郵便番号,住所,備考,"
            "最終通話,通話時間,利用料金 のうち「氏名」を含む）か、列名の行がなく、どの行もこの順の "
            "11 列のものです。");
        QTest::newRow("another program's address book")
            << QByteArray(
                   "First Name,Last Name,E-mail Address,Mobile Phone\r\n"
                   "Ann,Lee,ann@example.com,555-0100\r\n")
            << notExport.arg(1);
        QTest::newRow("a row of other columns")
            << QByteArray("山田,やまだ,011,011,,,,,,,\r\n\r\n佐藤,さとう,022\r\n")
            << notExport.arg(3);
        QTest::newRow("quote open to the end")
            << QByteArray("氏名,住所\r\n山田,\"東京\r\n佐藤,大阪\r\n")
            << QStringLiteral("2 行目で始まる引用符（\"）が閉じていないため、取り込めません。");
        QByteArray manyRows = "氏名,住所\n山田,\"東京\n";
        for (int i = 0; i < 12; ++i) {
            manyRows += "佐藤,大阪\n";
        }
        QTest::newRow("quote over many records")
            << manyRows + "x\"\n"
            << QStringLiteral("2 行目で始まる引用符（\"）が閉じていないため、取り込めません。");
    }
    void refusesWhatItCannotRead() {
        QFETCH(QByteArray, data);
        QFETCH(QString, problem);
        const auto imported = rules::phonebookimport::fromCsv(data);
        QCOMPARE(imported.problem, problem);
        QCOMPARE(imported.entries(), 0);
    }

    void readsOnlyRegularFilesOfSaneSize() {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("fifo.vcf"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString zero = dir.filePath(QStringLiteral("zero.vcf"));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), zero));
        QFile big(dir.filePath(QStringLiteral("big.vcf")));
        QVERIFY(big.open(QIODevice::WriteOnly) &&
                big.resize(rules::phonebookimport::MaxFileBytes + 1));
        big.close();
        QByteArray data = "old";
        for (const QString& path : {fifo, zero}) {
            QCOMPARE(rules::phonebookimport::readFile(path, data),
                     path + QStringLiteral(" は通常のファイルではないため、取り込めません。"));
        }
        QCOMPARE(rules::phonebookimport::readFile(big.fileName(), data),
                 big.fileName() + QStringLiteral(" は 64 MB を超えるため、取り込めません。"));
        QVERIFY(data.isEmpty());
        QCOMPARE(rules::phonebookimport::readFile(
                     qEnvironmentVariable("TILKA_TEST_DATA") +
                         QStringLiteral("/vcard-public/John_Doe_ANDROID.vcf"),
                     data),
                 QString());
        QCOMPARE(data, androidExport());
    }
};

QTEST_MAIN(PhoneBookImportTest)
#include "phonebookimport_test.moc"
