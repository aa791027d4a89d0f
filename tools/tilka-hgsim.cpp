// Plays the adapter on a pseudo-terminal linked as <folder>/COM<port>, until interrupted.

#include <csignal>
#include <cstdio>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include "hgsim/hgadapter.h"
#include "hgsim/ptyserver.h"

namespace {

std::atomic<bool> stopRequested{false};

void requestStop(int) {
    stopRequested = true;
}

// "ms:text;ms:text", with \r and \n written as escapes.
std::vector<hgsim::Burst> parseBursts(const QString& bursts) {
    std::vector<hgsim::Burst> parsed;
    for (const QString& part : bursts.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype colon = part.indexOf(QLatin1Char(':'));
        QByteArray text = part.mid(colon + 1).toLatin1();
        text.replace("\\r", "\r").replace("\\n", "\n");
        parsed.push_back({colon < 0 ? 0 : part.left(colon).toInt(), text});
    }
    return parsed;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tilka-hgsim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated telephone adapter on a pseudo-terminal linked as <folder>/COM<port>."));
    parser.addHelpOption();
    const QCommandLineOption folder(QStringLiteral("folder"), QStringLiteral("Folder of the link."),
                                    QStringLiteral("dir"), QStringLiteral("."));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("COM port number."),
                                  QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption calls(QStringLiteral("calls"),
                                   QStringLiteral("File with the call log, one call a line: "
                                                  "ports kind date time duration charge number"),
                                   QStringLiteral("file"));
    const QCommandLineOption password(QStringLiteral("password-code"),
                                      QStringLiteral("Password code the log is kept under."),
                                      QStringLiteral("code"), QStringLiteral("0"));
    const QCommandLineOption offset(QStringLiteral("clock-offset"),
                                    QStringLiteral("Seconds the adapter's clock is ahead."),
                                    QStringLiteral("s"), QStringLiteral("0"));
    const QCommandLineOption identification(QStringLiteral("identification"),
                                            QStringLiteral("Identification text."),
                                            QStringLiteral("text"));
    const QCommandLineOption charges(QStringLiteral("charges"),
                                     QStringLiteral("Charges of TEL 1, TEL 2 and digital."),
                                     QStringLiteral("a,b,c"), QStringLiteral("1234,560,0"));
    const QCommandLineOption dial(QStringLiteral("dial-reply"),
                                  QStringLiteral("Replies to a dial, ms:text;ms:text, %L the "
                                                 "line (default 1500:AC\\r\\n)."),
                                  QStringLiteral("bursts"));
    const QCommandLineOption rate(QStringLiteral("chars-per-second"),
                                  QStringLiteral("Line speed of replies, 0 for at once."),
                                  QStringLiteral("n"), QStringLiteral("1920"));
    parser.addOptions({folder, port, calls, password, offset, identification, charges, dial, rate});
    parser.process(app);

    hgsim::HgConfig config;
    if (parser.isSet(calls)) {
        QFile file(parser.value(calls));
        QString error;
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "tilka-hgsim: cannot read %s\n", qPrintable(file.fileName()));
            return 1;
        }
        config.calls = hgsim::parseCalls(QString::fromUtf8(file.readAll()), &error);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "tilka-hgsim: %s\n", qPrintable(error));
            return 1;
        }
    }
    config.passwordCode = parser.value(password).toInt();
    config.clockOffsetSeconds = parser.value(offset).toInt();
    if (parser.isSet(identification)) {
        config.identification = parser.value(identification).toLatin1();
    }
    const QStringList amounts = parser.value(charges).split(QLatin1Char(','));
    config.chargeTel1 = amounts.value(0).toLatin1();
    config.chargeTel2 = amounts.value(1).toLatin1();
    config.chargeDigital = amounts.value(2).toLatin1();
    if (parser.isSet(dial)) {
        config.dialReply = parseBursts(parser.value(dial));
    }
    config.charsPerSecond = parser.value(rate).toInt();

    hgsim::HgAdapter adapter(config, [] { return QDateTime::currentDateTime(); });
    hgsim::PtyPort pty(parser.value(folder), parser.value(port).toInt());
    if (!pty.isValid()) {
        std::fprintf(stderr, "tilka-hgsim: cannot create %s\n", qPrintable(pty.linkPath()));
        return 1;
    }
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    std::fprintf(stderr, "tilka-hgsim: %s -> %s\n", qPrintable(pty.linkPath()),
                 qPrintable(pty.devicePath()));
    hgsim::PtyServer server(adapter, pty);
    server.onCommand = [](const QByteArray& command) {
        std::fprintf(stderr, "tilka-hgsim: %s\n", command.trimmed().constData());
    };
    server.run(stopRequested);
    return 0;
}
