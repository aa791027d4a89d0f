#include "windows/storesettingswindow.h"

#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <exception>

#include "windows/navigation.h"
#include "windows/windowcontext.h"

namespace {

constexpr int WindowWidth = 420;

}  // namespace

StoreSettingsWindow::StoreSettingsWindow(WindowContext& context)
    : SettingsWindow(context, QStringLiteral("データの保存先")) {
    buildWindow();
}

void StoreSettingsWindow::buildWindow() {
    auto* about = new QLabel(
        QStringLiteral("電話帳と通話履歴の保存先です。通話記録表はいつもこのPCに置かれます。"),
        this);
    about->setWordWrap(true);
    filesButton = new QRadioButton(QStringLiteral("このPC"), this);
    serverButton = new QRadioButton(QStringLiteral("サーバー (PostgreSQL)"), this);
    connect(serverButton, &QRadioButton::toggled, this, &StoreSettingsWindow::serverChosen);

    hostField = new QLineEdit(this);
    portField = new QSpinBox(this);
    portField->setRange(1, 65535);
    databaseField = new QLineEdit(this);
    userField = new QLineEdit(this);
    passwordField = new QLineEdit(this);
    passwordField->setEchoMode(QLineEdit::Password);
    passwordField->setPlaceholderText(QStringLiteral("入力したときだけ .pgpass に書きます"));
    lineNameField = new QLineEdit(this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("ホスト"), hostField);
    form->addRow(QStringLiteral("ポート"), portField);
    form->addRow(QStringLiteral("データベース"), databaseField);
    form->addRow(QStringLiteral("ユーザー"), userField);
    form->addRow(QStringLiteral("パスワード"), passwordField);
    form->addRow(QStringLiteral("回線名"), lineNameField);

    testButton = new QPushButton(QStringLiteral("接続テスト"), this);
    connect(testButton, &QPushButton::clicked, this, &StoreSettingsWindow::testClicked);
    moveButton = new QPushButton(QStringLiteral("このPCのデータをサーバーへ移す"), this);
    connect(moveButton, &QPushButton::clicked, this, &StoreSettingsWindow::moveClicked);
    auto* serverButtons = new QHBoxLayout;
    serverButtons->addWidget(testButton);
    serverButtons->addWidget(moveButton);
    serverButtons->addStretch(1);
    testResult = new QLabel(this);
    testResult->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    testResult->setWordWrap(true);
    testResult->setMinimumHeight(testResult->fontMetrics().height() * 3 + 6);

    auto* settings = new QVBoxLayout;
    settings->addWidget(about);
    settings->addWidget(filesButton);
    settings->addWidget(serverButton);
    settings->addLayout(form);
    settings->addLayout(serverButtons);
    settings->addWidget(testResult);
    settings->addWidget(
        new QLabel(QStringLiteral("保存先の変更は、次に起動したときから使われます。"), this));
    frame(settings, WindowWidth);
}

void StoreSettingsWindow::showSettings(const appstate::StoreSettings& settings,
                                       const QString& lineNameHint) {
    const bool server = settings.kind == appstate::StoreKind::Server;
    (server ? serverButton : filesButton)->setChecked(true);
    hostField->setText(settings.host);
    portField->setValue(settings.port);
    databaseField->setText(settings.database);
    userField->setText(settings.user);
    passwordField->clear();
    lineNameField->setText(settings.lineName);
    lineNameField->setPlaceholderText(lineNameHint);
    testResult->clear();
    serverChosen(server);
    showInFront();
}

void StoreSettingsWindow::serverChosen(bool server) {
    for (QWidget* field :
         std::initializer_list<QWidget*>{hostField, portField, databaseField, userField,
                                         passwordField, lineNameField, testButton, moveButton}) {
        field->setEnabled(server);
    }
}

appstate::StoreSettings StoreSettingsWindow::shownSettings() const {
    appstate::StoreSettings s;
    s.kind = serverButton->isChecked() ? appstate::StoreKind::Server : appstate::StoreKind::Files;
    s.host = hostField->text().trimmed();
    s.port = portField->value();
    s.database = databaseField->text().trimmed();
    s.user = userField->text().trimmed();
    s.lineName = lineNameField->text().trimmed();
    return s;
}

QString StoreSettingsWindow::typedPassword() const {
    return passwordField->text();
}

void StoreSettingsWindow::testClicked() {
    if (!onTest) {
        return;
    }
    testResult->setText(QStringLiteral("接続しています…"));
    testResult->repaint();
    const QString problem = onTest(shownSettings(), typedPassword());
    testResult->setText(problem.isEmpty()
                            ? QStringLiteral("接続できました。電話帳と通話履歴の表を使えます。")
                            : problem);
}

void StoreSettingsWindow::moveClicked() {
    if (!onMove) {
        return;
    }
    testResult->setText(QStringLiteral("サーバーへ移しています…"));
    testResult->repaint();
    try {
        testResult->setText(onMove(shownSettings(), typedPassword()));
    } catch (const std::exception& e) {
        testResult->setText(QStringLiteral("移せませんでした。サーバーは元のままです。\n%1")
                                .arg(QString::fromUtf8(e.what()).trimmed()));
    }
}

bool StoreSettingsWindow::keep() {
    const appstate::StoreSettings chosen = shownSettings();
    if (chosen.kind == appstate::StoreKind::Server && chosen.host.isEmpty()) {
        context.showException(QStringLiteral("サーバーのホストを入力してください。"));
        hostField->setFocus();
        return false;
    }
    if (onAccepted) {
        onAccepted(chosen, typedPassword());
    }
    return true;
}

void StoreSettingsWindow::closed() {
    // The password is not kept past the window.
    passwordField->clear();
    context.nav().storeSettingsClosed();
}
