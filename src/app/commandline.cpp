#include "app/commandline.h"

#include <QCommandLineParser>
#include <algorithm>
#include <initializer_list>

#include "rules/logtexts.h"
#include "rules/password.h"

namespace {

struct OptionText {
    QStringList names;
    QString valueName;
    const char* japanese;
    const char* english;
};

const OptionText Options[] = {
    {{"download"},
     {},
     "アダプターの通話記録を受信して通話記録表と通話履歴に入れる",
     "download the adapter's call log into the call log table and the archive"},
    {{"password"},
     "CODE",
     "受信でアダプターが求めるパスワード（半角数字４桁）",
     "the password the adapter asks for when downloading (four digits)"},
    {{"export-archive"},
     "FILE",
     "通話履歴を CSV で FILE に書き出す",
     "write the archive's calls as CSV to FILE"},
    {{"from"}, "YYYY-MM-DD", "この日からの通話だけ", "only calls from this day"},
    {{"to"}, "YYYY-MM-DD", "この日までの通話だけ", "only calls up to this day"},
    {{"kind"},
     "outgoing|incoming|answering",
     "発信・着信・留守の通話だけ",
     "only outgoing, incoming or answering machine calls"},
    {{"search"}, "TEXT", "番号・氏名・地域で探す", "search by number, name or place"},
    {{"print-archive"},
     "FILE.pdf",
     "通話履歴を（同じ条件で）A4 の PDF に印刷する",
     "print the archive's calls (with the same filters) to an A4 PDF"},
    {{"print-calllog"},
     "FILE.pdf",
     "通話記録を受信して A4 の PDF に印刷する",
     "download the call log and print it to an A4 PDF"},
    {{"export-phonebook"},
     "FILE",
     "電話帳を FILE.csv または FILE.vcf に書き出す",
     "write the phone book to FILE.csv or FILE.vcf"},
    {{"encoding"},
     "utf-8|cp932",
     "CSV の文字コード（既定 utf-8）",
     "the CSV's character set (default utf-8)"},
    {{"import"},
     "FILE",
     "FILE.vcf または FILE.csv を電話帳に取り込む",
     "import FILE.vcf or FILE.csv into the phone book"},
    {{"on-duplicate"},
     "skip|overwrite",
     "同じ氏名があるとき（既定 skip）",
     "what to do with a name already there (default skip)"},
    {{"backup"},
     {},
     "電話帳と通話履歴を日時付きで DIR（既定 backup）へ写す",
     "copy the phone book and the archive, dated, into DIR (default: backup)"},
    {{"restore"},
     "FILE",
     "バックアップ FILE を戻す（置き換えたものもバックアップする）",
     "put the backup FILE back (the replaced file is backed up first)"},
    {{"background"},
     {},
     "画面を出さずに起動する（もう一度起動すると画面が出る）",
     "start without a window (starting again shows it)"},
    {{"h", "help"}, {}, "この説明を表示する", "show this help"},
    {{"v", "version"}, {}, "版を表示する", "show the version"},
};

QString helpText(bool japanese) {
    QString text = japanese ? QStringLiteral(
                                  "使い方: tilka [オプション]\n"
                                  "オプションなしでは画面つきで起動します。\n\n")
                            : QStringLiteral(
                                  "Usage: tilka [options]\n"
                                  "Without options Tilka starts with its windows.\n\n");
    for (const OptionText& option : Options) {
        QStringList forms;
        for (const QString& name : option.names) {
            forms << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        }
        QString left = forms.join(QStringLiteral(", "));
        if (!option.valueName.isEmpty()) {
            left += u' ' + option.valueName;
        } else if (option.names.first() == QStringLiteral("backup")) {
            left += QStringLiteral(" [DIR]");
        }
        text += QStringLiteral("  %1\n      %2\n")
                    .arg(left, QString::fromUtf8(japanese ? option.japanese : option.english));
    }
    text += japanese ? QStringLiteral("\n終了コード: 0 成功、1 処理の失敗、2 使い方の誤り\n")
                     : QStringLiteral("\nExit codes: 0 success, 1 the job failed, 2 usage error\n");
    return text;
}

CommandLine usage(const QString& error) {
    return {std::nullopt, {}, error};
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments, bool japanese) {
    const auto say = [japanese](const char* inJapanese, const char* inEnglish) {
        return QString::fromUtf8(japanese ? inJapanese : inEnglish);
    };
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionText& option : Options) {
        parser.addOption(QCommandLineOption(option.names, QString(), option.valueName));
    }
    if (!parser.parse(arguments)) {
        return usage(parser.errorText());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        return {std::nullopt, helpText(japanese), {}};
    }
    if (parser.isSet(QStringLiteral("version"))) {
        return {std::nullopt, QStringLiteral("tilka %1\n").arg(QStringLiteral(TILKA_VERSION)), {}};
    }

    const std::pair<const char*, CommandJob::Kind> jobs[] = {
        {"download", CommandJob::Kind::Download},
        {"export-archive", CommandJob::Kind::ExportArchive},
        {"export-phonebook", CommandJob::Kind::ExportPhoneBook},
        {"import", CommandJob::Kind::Import},
        {"backup", CommandJob::Kind::Backup},
        {"restore", CommandJob::Kind::Restore},
        {"print-archive", CommandJob::Kind::PrintArchive},
        {"print-calllog", CommandJob::Kind::PrintCallLog},
    };
    std::optional<CommandJob> job;
    for (const auto& [name, kind] : jobs) {
        if (!parser.isSet(QString::fromLatin1(name))) {
            continue;
        }
        if (job) {
            return usage(say("ジョブは一度に一つだけです。", "Only one job at a time."));
        }
        job = CommandJob{};
        job->kind = kind;
        if (kind != CommandJob::Kind::Download && kind != CommandJob::Kind::Backup) {
            job->file = parser.value(QString::fromLatin1(name));
        }
    }

    const QStringList positional = parser.positionalArguments();
    if (job && job->kind == CommandJob::Kind::Backup && positional.size() == 1) {
        job->folder = positional.first();
    } else if (!positional.isEmpty()) {
        return usage(say("余分な引数です: %1", "Unexpected argument: %1").arg(positional.first()));
    }

    const auto onlyWith = [&](const char* option, std::initializer_list<CommandJob::Kind> kinds) {
        return !parser.isSet(QString::fromLatin1(option)) ||
               (job && std::find(kinds.begin(), kinds.end(), job->kind) != kinds.end());
    };
    using Kind = CommandJob::Kind;
    const std::initializer_list<Kind> archiveJobs{Kind::ExportArchive, Kind::PrintArchive};
    if (!onlyWith("password", {Kind::Download, Kind::PrintCallLog}) ||
        !onlyWith("on-duplicate", {Kind::Import}) ||
        !onlyWith("encoding", {Kind::ExportPhoneBook, Kind::ExportArchive}) ||
        !onlyWith("from", archiveJobs) || !onlyWith("to", archiveJobs) ||
        !onlyWith("kind", archiveJobs) || !onlyWith("search", archiveJobs)) {
        return usage(say("そのオプションはこのジョブには使えません。",
                         "An option was given without the job it belongs to."));
    }
    if (!job) {
        return {std::nullopt, {}, {}, parser.isSet(QStringLiteral("background"))};
    }
    if (parser.isSet(QStringLiteral("background"))) {
        return usage(
            say("--background はジョブとは使えません。", "--background cannot go with a job."));
    }

    if (parser.isSet(QStringLiteral("password"))) {
        job->passwordNumber = rules::passwordNumber(parser.value(QStringLiteral("password")));
        if (!job->passwordNumber) {
            return usage(
                say("--password は半角数字４桁です。", "--password takes up to four digits."));
        }
    }
    if (parser.isSet(QStringLiteral("on-duplicate"))) {
        const QString value = parser.value(QStringLiteral("on-duplicate"));
        if (value != QStringLiteral("skip") && value != QStringLiteral("overwrite")) {
            return usage(say("--on-duplicate は skip か overwrite です。",
                             "--on-duplicate takes skip or overwrite."));
        }
        job->overwrite = value == QStringLiteral("overwrite");
    }
    if (parser.isSet(QStringLiteral("encoding"))) {
        const QString value = parser.value(QStringLiteral("encoding")).toLower();
        if (value == QStringLiteral("cp932")) {
            job->encoding = rules::csv::Encoding::Cp932;
        } else if (value != QStringLiteral("utf-8")) {
            return usage(
                say("--encoding は utf-8 か cp932 です。", "--encoding takes utf-8 or cp932."));
        }
    }
    for (const auto& [option, date] : {std::pair{"from", &job->from}, std::pair{"to", &job->to}}) {
        if (parser.isSet(QString::fromLatin1(option))) {
            *date = QDate::fromString(parser.value(QString::fromLatin1(option)), Qt::ISODate);
            if (!(*date)->isValid()) {
                return usage(say("日付は YYYY-MM-DD で指定してください: %1",
                                 "Dates are written YYYY-MM-DD: %1")
                                 .arg(parser.value(QString::fromLatin1(option))));
            }
        }
    }
    if (parser.isSet(QStringLiteral("kind"))) {
        const QString value = parser.value(QStringLiteral("kind"));
        if (value == QStringLiteral("outgoing")) {
            job->kindText = rules::KindColumnTexts[1];
        } else if (value == QStringLiteral("incoming")) {
            job->kindText = rules::KindColumnTexts[2];
        } else if (value == QStringLiteral("answering")) {
            job->kindText = rules::AnsweringMachineText;
        } else {
            return usage(say("--kind は outgoing、incoming、answering のどれかです。",
                             "--kind takes outgoing, incoming or answering."));
        }
    }
    job->search = parser.value(QStringLiteral("search"));
    const bool byExtension =
        job->kind == CommandJob::Kind::ExportPhoneBook || job->kind == CommandJob::Kind::Import;
    if (byExtension && !job->file.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) &&
        !job->file.endsWith(QStringLiteral(".vcf"), Qt::CaseInsensitive)) {
        return usage(say("ファイル名は .csv か .vcf で終えてください: %1",
                         "The file must end in .csv or .vcf: %1")
                         .arg(job->file));
    }
    if (job->prints() && !job->file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        return usage(say("ファイル名は .pdf で終えてください: %1", "The file must end in .pdf: %1")
                         .arg(job->file));
    }
    return {job, {}, {}};
}
