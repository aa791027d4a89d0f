#include "windows/settingswindow.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "windows/formlook.h"
#include "windows/windowcontext.h"

SettingsWindow::SettingsWindow(WindowContext& context, const QString& title)
    : WindowBase(context, title), title_(title) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(gothicFont(12));
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    connect(okButton, &QPushButton::clicked, this, &SettingsWindow::okClicked);
    connect(cancelButton, &QPushButton::clicked, this, &SettingsWindow::cancelClicked);
}

void SettingsWindow::frame(QVBoxLayout* settings, int width) {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    settings->setContentsMargins(12, 8, 12, 8);
    settings->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeTitlePanel(this, title_, width));
    layout->addLayout(settings);
    // The height follows what the settings show.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void SettingsWindow::showInFront() {
    show();
    raise();
    activateWindow();
    okButton->setFocus();
}

void SettingsWindow::okClicked() {
    try {
        if (!keep()) {
            return;
        }
    } catch (const std::exception& e) {
        context.showException(QString::fromUtf8(e.what()));
        return;
    }
    close();
}

void SettingsWindow::cancelClicked() {
    close();
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    closed();
}

void SettingsWindow::keyPressEvent(QKeyEvent* event) {
    if (isDefaultButtonKey(event)) {
        okButton->click();
        return;
    }
    WindowBase::keyPressEvent(event);
}
