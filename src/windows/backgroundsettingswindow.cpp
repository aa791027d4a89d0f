#include "windows/backgroundsettingswindow.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QFrame>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "windows/navigation.h"
#include "windows/windowcontext.h"

namespace {

constexpr int WindowWidth = 380;

}  // namespace

BackgroundSettingsWindow::BackgroundSettingsWindow(WindowContext& context)
    : SettingsWindow(context, QStringLiteral("常駐と自動受信")) {
    buildWindow();
}

void BackgroundSettingsWindow::buildWindow() {
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

    auto* settings = new QVBoxLayout;
    settings->addWidget(residentBox);
    settings->addWidget(noTrayLabel);
    settings->addLayout(form);
    settings->addWidget(notifyBox);
    settings->addWidget(clearWhenArchivedBox);
    settings->addWidget(autostartBox);
    settings->addWidget(new QLabel(QStringLiteral("最後の自動受信"), this));
    settings->addWidget(statusLine);
    frame(settings, WindowWidth);
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
    showInFront();
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

bool BackgroundSettingsWindow::keep() {
    if (onAccepted) {
        onAccepted(shownSettings());
    }
    return true;
}

void BackgroundSettingsWindow::closed() {
    context.nav().backgroundSettingsClosed();
}
