#include "link/serialdevicelist.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace comm {

namespace {

const QStringList TerminalPrefixes = {QStringLiteral("ttyUSB"), QStringLiteral("ttyACM"),
                                      QStringLiteral("ttyS")};

// Compares names with each run of digits taken as a number.
bool naturalLess(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const qsizetype startA = i;
            const qsizetype startB = j;
            while (i < a.size() && a[i].isDigit()) {
                ++i;
            }
            while (j < b.size() && b[j].isDigit()) {
                ++j;
            }
            const qulonglong numberA = a.mid(startA, i - startA).toULongLong();
            const qulonglong numberB = b.mid(startB, j - startB).toULongLong();
            if (numberA != numberB) {
                return numberA < numberB;
            }
        } else {
            if (a[i] != b[j]) {
                return a[i] < b[j];
            }
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

// Device files and links to them, which a folder listing counts as files.
QStringList sortedNames(const QDir& folder, const QString& pattern) {
    QStringList names =
        folder.entryList({pattern}, QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

}  // namespace

QString productNameOfLink(const QString& linkName) {
    static const QRegularExpression usbLink(QStringLiteral("^usb-(.*?)(-if\\d+.*)?$"));
    const QRegularExpressionMatch match = usbLink.match(linkName);
    if (!match.hasMatch()) {
        return linkName;
    }
    QStringList words = match.captured(1).split(QLatin1Char('_'), Qt::SkipEmptyParts);
    if (words.size() > 1) {
        words.removeFirst();
    }
    static const QRegularExpression digit(QStringLiteral("\\d"));
    if (words.size() > 1 && words.back().contains(digit)) {
        words.removeLast();
    }
    return words.isEmpty() ? linkName : words.join(QLatin1Char(' '));
}

std::vector<SerialDeviceEntry> listSerialDevices(const QString& devRoot,
                                                 const TerminalCheck& check) {
    std::vector<SerialDeviceEntry> devices;
    QSet<QString> reached;
    const QDir byId(QDir(devRoot).filePath(QStringLiteral("serial/by-id")));
    for (const QString& name : sortedNames(byId, QStringLiteral("*"))) {
        const QString link = byId.filePath(name);
        const QString target = QFileInfo(link).canonicalFilePath();
        // A link left behind by a device that is gone leads nowhere.
        if (target.isEmpty()) {
            continue;
        }
        reached.insert(target);
        devices.push_back({link, productNameOfLink(name), target});
    }
    const QDir dev(devRoot);
    for (const QString& prefix : TerminalPrefixes) {
        for (const QString& name : sortedNames(dev, prefix + QLatin1Char('*'))) {
            const QString path = dev.filePath(name);
            // A number follows the prefix: ttyS* also matches other drivers' ports (ttySAC0).
            if (name.size() == prefix.size() || !name[prefix.size()].isDigit() ||
                reached.contains(QFileInfo(path).canonicalFilePath()) || !check(path)) {
                continue;
            }
            devices.push_back({path, name, path});
        }
    }
    return devices;
}

bool answersAsTerminal(const QString& path) {
    struct stat entry {};
    if (::stat(QFile::encodeName(path).constData(), &entry) != 0 || !S_ISCHR(entry.st_mode)) {
        return false;
    }
    const QString name = QFileInfo(path).fileName();
    if (!name.startsWith(QStringLiteral("ttyS"))) {
        return true;
    }
    // The kernel's port type: 0 when no UART answered at that address.
    QFile type(QStringLiteral("/sys/class/tty/%1/type").arg(name));
    return type.open(QIODevice::ReadOnly) && type.readAll().trimmed() != "0";
}

}  // namespace comm
