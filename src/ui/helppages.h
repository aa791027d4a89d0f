#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace ui {

struct HelpTopic {
    int context;
    QString title;
    QString body;  // HTML
    QStringList keywords;
};

// Every help page of the program, by help context.
const QList<HelpTopic>& helpTopics();
const HelpTopic* helpTopic(int context);
QString helpOnHelpPage();

}  // namespace ui
