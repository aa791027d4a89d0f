#include "windows/backgroundsettingswindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <exception>

#include "windows/formlook.h"
#include "windows/navigation.h"
#include "windows/windowcontext.h"

namespace {

constexpr int WindowWidth = 380;

}  // namespace

BackgroundSettingsWindow::BackgroundSettingsWindow(WindowContext& context)
    : WindowBase(context, QStringLiteral("常駐と自動受信")) {
    buildWindow();
}

void BackgroundSettingsWindow::buildWindow() {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(gothicFont(12));

    QFrame* titlePanel = makeTitlePanel(this, QStringLiteral("常駐と自動受信"), WindowWidth);

    residentBox = new QCheckBox(QStringLiteral("常駐する"), this);
    noTrayLabel = new QLabel(
        QStringLiteral("このデスクトップには通知領域がないため、アイコンを表示できません。"), this);
    noTrayLabel->setWordWrap(true);

    fetchMinutesBox = new QSpinBox(this);
    fetchMinutesBox->setRange(0, 24 * 60);
    fetchMinutesBox->setSuffix(QStringLiteral(" 分"));
    fetchMinutesBox->setSpecialValueText(QStringLiteral("しない"));
    notifyBox = new QCheckBox(QStringLiteral("新着を通知する"), this);
    fullPercentBox = new QSpinBox(this);
    fullPercentBox->setRange(1, 100);
    fullPercentBox->setSuffix(QStringLiteral(" % 以上"));
    clearWhenArchivedBox = new QCheckBox(QStringLiteral("保存済みの記録を自動で削除する"), this);
    autostartBox = new QCheckBox(QStringLiteral("ログイン時に起動する"), this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("自動受信の間隔"), fetchMinutesBox);
    form->addRow(QStringLiteral("記録メモリの通知"), fullPercentBox);

    statusLine = new QLabel(this);
    statusLine->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusLine->setWordWrap(true);
    statusLine->setMinimumHeight(statusLine->fontMetrics().height() * 2 + 6);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    connect(okButton, &QPushButton::clicked, this, &BackgroundSettingsWindow::okClicked);
    connect(cancelButton, &QPushButton::clicked, this, &BackgroundSettingsWindow::cancelClicked);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    auto* settings = new QVBoxLayout;
    settings->setContentsMargins(12, 8, 12, 8);
    settings->addWidget(residentBox);
    settings->addWidget(noTrayLabel);
    settings->addLayout(form);
    settings->addWidget(notifyBox);
    settings->addWidget(clearWhenArchivedBox);
    settings->addWidget(autostartBox);
    settings->addWidget(new QLabel(QStringLiteral("最後の自動受信"), this));
    settings->addWidget(statusLine);
    settings->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(titlePanel);
    layout->addLayout(settings);
    // The height follows the line about the notification area.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void BackgroundSettingsWindow::showSettings(const appstate::BackgroundSettings& settings,
                                            bool trayAvailable) {
    noTrayLabel->setVisible(!trayAvailable);
    residentBox->setChecked(settings.resident);
    fetchMinutesBox->setValue(settings.fetchMinutes);
    notifyBox->setChecked(settings.notify);
    fullPercentBox->setValue(settings.fullPercent);
    clearWhenArchivedBox->setChecked(settings.clearWhenArchived);
    autostartBox->setChecked(settings.autostart);
    show();
    raise();
    activateWindow();
    okButton->setFocus();
}

void BackgroundSettingsWindow::showStatus(const QString& status) {
    statusLine->setText(status.isEmpty() ? QStringLiteral("まだありません") : status);
}

appstate::BackgroundSettings BackgroundSettingsWindow::shownSettings() const {
    appstate::BackgroundSettings s;
    s.resident = residentBox->isChecked();
    s.fetchMinutes = fetchMinutesBox->value();
    s.notify = notifyBox->isChecked();
    s.fullPercent = fullPercentBox->value();
    s.clearWhenArchived = clearWhenArchivedBox->isChecked();
    s.autostart = autostartBox->isChecked();
    return s;
}

void BackgroundSettingsWindow::okClicked() {
    try {
        if (onAccepted) {
            onAccepted(shownSettings());
        }
    } catch (const std::exception& e) {
        context.showException(QString::fromUtf8(e.what()));
        return;
    }
    close();
}

void BackgroundSettingsWindow::cancelClicked() {
    close();
}

void BackgroundSettingsWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    context.nav().backgroundSettingsClosed();
}

// Enter is OK, as the default button of a dialog would be, unless another button has the focus.
void BackgroundSettingsWindow::keyPressEvent(QKeyEvent* event) {
    if (isDefaultButtonKey(event)) {
        okButton->click();
        return;
    }
    WindowBase::keyPressEvent(event);
}
