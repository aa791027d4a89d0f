#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "ui/dialogs.h"
#include "ui/help.h"
#include "ui/wallclock.h"

// Answers message boxes and file dialogs from queues a test fills, and records what was shown.
class ScriptedDialogs : public ui::Dialogs {
public:
    struct Shown {
        QString text;
        QString caption;
        ui::MsgButtons buttons;
    };

    ui::MsgResult messageBox(QWidget* parent, const QString& text, const QString& caption,
                             ui::MsgButtons buttons, ui::MsgIcon icon) override;
    void showError(const QString& text) override;
    QString openFileName(QWidget* parent, const ui::FileDialogRequest& request) override;
    QString saveFileName(QWidget* parent, const ui::FileDialogRequest& request) override;
    int chooseItem(QWidget* parent, const QString& caption, const QString& label,
                   const QStringList& items) override;
    // Keeps the job instead of opening the modal preview, for the test to paint.
    void printPreview(QWidget* parent, const ui::PrintJob& job) override;

    // Answers for the next message boxes, in order; Ok (or No for yes/no) when none is queued.
    QList<ui::MsgResult> answers;
    // File names for the next file dialogs, in order; an empty string cancels.
    QStringList fileNames;
    // File types the next save dialogs choose, in order; the first type when none is queued.
    QList<int> chosenFilters;
    // The answers to list choices, in order (-1 cancels; none left cancels), and the lists shown.
    QList<int> chosenItems;
    QList<QStringList> itemLists;

    QList<Shown> messages;
    QStringList errors;
    QList<ui::FileDialogRequest> fileRequests;
    QList<ui::PrintJob> printJobs;
    // Runs while an error box would be up, as the box's own event loop would run timers.
    std::function<void()> whileErrorShows;
};

// Records what the windows asked of the help layer.
class RecordingHelp : public ui::HelpViewer {
public:
    void contents() override { requests << QStringLiteral("contents"); }
    void keySearch() override { requests << QStringLiteral("key"); }
    void helpOnHelp() override { requests << QStringLiteral("helponhelp"); }
    void context(int n) override { requests << QStringLiteral("context %1").arg(n); }

    QStringList requests;
};

class FixedWallClock : public ui::WallClock {
public:
    QDateTime now() const override { return time; }
    QDateTime time = QDateTime(QDate(2026, 12, 8), QTime(10, 0));
};
