#include "windows/optionswindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <exception>

#include "link/serialdevice.h"
#include "rules/optionmapping.h"
#include "rules/password.h"
#include "state/inifile.h"
#include "state/saveddevice.h"
#include "state/settingswriter.h"
#include "windows/formlook.h"
#include "windows/navigation.h"
#include "windows/optiongroup.h"
#include "windows/windowcontext.h"

namespace {

constexpr int HelpTopic = 12;
constexpr int SaveNoticeTime = 1800;

const QStringList LogModeItems = {QStringLiteral("全て記録"), QStringLiteral("発信のみ"),
                                  QStringLiteral("着信のみ"), QStringLiteral("記録無し")};
const QStringList DialLineItems = {QStringLiteral("TEL 1"), QStringLiteral("TEL 2")};

}  // namespace

OptionsWindow::OptionsWindow(WindowContext& context, adapter::DeviceLink& link,
                             comm::SerialDeviceFactory& serialDevices,
                             appstate::ProgramState& state, QString settingsPath)
    : WindowBase(context, QStringLiteral("オプション設定"), 18),
      saveNoticeTimer(context.services.timers),
      link_(link),
      serialDevices_(serialDevices),
      state_(state),
      settingsPath_(std::move(settingsPath)) {
    saveNoticeTimer.onElapsed = [this] { endSaveNotice(); };
    buildWindow();
}

void OptionsWindow::buildWindow() {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(gothicFont(12));
    setClientSize(349, 477);

    titlePanel = new QFrame(this);
    titlePanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    titlePanel->setGeometry(0, 0, 349, 44);
    titlePicture = new QLabel(titlePanel);
    titlePicture->setGeometry(8, 4, 249, 36);
    titlePicture->setPixmap(makeTitlePicture(QStringLiteral("オプション設定"), 249, 36));
    helpButton = new QPushButton(titlePanel);
    helpButton->setGeometry(308, 6, 33, 33);
    helpButton->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    helpButton->setToolTip(QStringLiteral("ヘルプ"));
    helpButton->setFocusPolicy(Qt::NoFocus);

    settingsPanel = new QFrame(this);
    settingsPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    settingsPanel->setGeometry(2, 48, 343, 393);

    passwordGroup = new QGroupBox(QStringLiteral("パスワード設定／登録"), settingsPanel);
    passwordGroup->setGeometry(16, 8, 185, 65);
    passwordLabel = new QLabel(QStringLiteral("パスワード"), passwordGroup);
    passwordLabel->setFont(gothicFont(11));
    passwordLabel->setGeometry(16, 24, 50, 11);
    passwordHint = new QLabel(QStringLiteral("※半角数字４桁"), passwordGroup);
    passwordHint->setFont(gothicFont(11));
    passwordHint->setGeometry(8, 40, 74, 11);
    passwordField = new QLineEdit(passwordGroup);
    passwordField->setGeometry(88, 24, 49, 27);
    passwordField->setFont(gothicFont(19));
    passwordField->setMaxLength(4);
    passwordField->setEchoMode(QLineEdit::Password);
    passwordField->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    clearPasswordButton = new QPushButton(QStringLiteral("無効"), passwordGroup);
    clearPasswordButton->setGeometry(144, 24, 33, 25);
    clearPasswordButton->setToolTip(QStringLiteral("パスワードを初期化"));

    modelGroup = new OptionGroup(QStringLiteral("機種設定"), settingsPanel);
    modelGroup->setGeometry(208, 8, 121, 65);
    modelGroup->setItems({QStringLiteral("TALVE-X2"), QStringLiteral("TALVE-X1")});
    tel1LogModeGroup = new OptionGroup(QStringLiteral("TEL 1 ログ記録"), settingsPanel);
    tel1LogModeGroup->setGeometry(16, 88, 148, 137);
    tel1LogModeGroup->setItems(LogModeItems);
    tel2LogModeGroup = new OptionGroup(QStringLiteral("TEL 2 ログ記録"), settingsPanel);
    tel2LogModeGroup->setGeometry(180, 88, 148, 137);
    tel2LogModeGroup->setItems(LogModeItems);
    comPortGroup = new OptionGroup(QStringLiteral("通信ポート設定"), settingsPanel);
    comPortGroup->setGeometry(16, 232, 313, 41);
    comPortGroup->setColumns(4);
    comPortGroup->setItems({QStringLiteral("ＣＯＭ１"), QStringLiteral("ＣＯＭ２"),
                            QStringLiteral("ＣＯＭ３"), QStringLiteral("ＣＯＭ４")});
    dialLineGroup = new OptionGroup(QStringLiteral("ダイヤル発信 利用回線"), settingsPanel);
    dialLineGroup->setGeometry(16, 280, 313, 41);
    dialLineGroup->setColumns(2);
    deviceGroup = new QGroupBox(QStringLiteral("デバイス"), settingsPanel);
    deviceGroup->setGeometry(16, 328, 313, 57);
    deviceBox = new QComboBox(deviceGroup);
    deviceBox->setGeometry(8, 16, 297, 22);
    reachLabel = new QLabel(deviceGroup);
    reachLabel->setFont(gothicFont(11));
    reachLabel->setGeometry(8, 40, 297, 13);

    saveButton = new QPushButton(QStringLiteral(" 設定保存(&S)"), this);
    saveButton->setGeometry(112, 448, 113, 25);
    cancelButton = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
    cancelButton->setGeometry(232, 448, 113, 25);

    setTabOrder(passwordField, clearPasswordButton);
    setTabOrder(clearPasswordButton, tel1LogModeGroup);
    setTabOrder(tel1LogModeGroup, tel2LogModeGroup);
    setTabOrder(tel2LogModeGroup, comPortGroup);
    setTabOrder(comPortGroup, dialLineGroup);
    setTabOrder(dialLineGroup, deviceBox);
    setTabOrder(deviceBox, modelGroup);
    setTabOrder(modelGroup, saveButton);
    setTabOrder(saveButton, cancelButton);

    modelGroup->onChosen = [this] { adaptToModel(); };
    comPortGroup->onChosen = [this] { showDeviceChoice(); };
    connect(deviceBox, &QComboBox::activated, this, &OptionsWindow::deviceChosen);
    connect(clearPasswordButton, &QPushButton::clicked, this, &OptionsWindow::clearPasswordClicked);
    connect(saveButton, &QPushButton::clicked, this, &OptionsWindow::saveClicked);
    connect(cancelButton, &QPushButton::clicked, this, &OptionsWindow::cancelClicked);
    connect(helpButton, &QPushButton::clicked, this, &OptionsWindow::helpClicked);
}

void OptionsWindow::showOptions() {
    const appstate::ProgramState& s = state_;
    comPortGroup->setSelectedIndex(s.settings.comPort - 1);
    dialLineGroup->setSelectedIndex(s.settings.dialLine - 1);
    state_.newPasswordCode = s.settings.passwordCode;
    modelGroup->setSelectedIndex(s.settings.adapterModel);
    adaptToModel();
    if (const auto item = rules::logModeItem(s.settings.logModeTel1)) {
        tel1LogModeGroup->setSelectedIndex(*item);
    }
    if (const auto item = rules::logModeItem(s.settings.logModeTel2)) {
        tel2LogModeGroup->setSelectedIndex(*item);
    }
    const appstate::IniFile ini(settingsPath_);
    for (int port = 1; port <= int(savedDevices_.size()); ++port) {
        savedDevices_[size_t(port - 1)] = appstate::savedDeviceFor(ini, port);
    }
    chosenDevices_ = savedDevices_;
    presentDevices_ = serialDevices_.presentDevices();
    showDeviceChoice();
    show();
    raise();
    activateWindow();
    if (s.settings.passwordCode > 0) {
        passwordField->setText(QString::number(s.settings.passwordNumber));
    } else {
        passwordField->clear();
    }
}

void OptionsWindow::adaptToModel() {
    appstate::ProgramState& s = state_;
    const int model = modelGroup->selectedIndex();
    if (model == -1 || model == 1) {
        dialLineGroup->setItems(DialLineItems);
        if (s.settings.dialLine > 2) {
            s.settings.dialLine = 1;
        }
        dialLineGroup->setSelectedIndex(s.settings.dialLine - 1);
        tel1LogModeGroup->setEnabled(model == 1);
        tel2LogModeGroup->setEnabled(model == 1);
    }
    if (model == 0) {
        dialLineGroup->setItems(DialLineItems);
        dialLineGroup->setSelectedIndex(s.settings.dialLine - 1);
        tel1LogModeGroup->setEnabled(true);
        tel2LogModeGroup->setEnabled(true);
    }
}

void OptionsWindow::saveClicked() {
    appstate::ProgramState& s = state_;
    s.adapterIdentified = false;
    s.logImage.markStale();
    s.newPasswordCode = s.settings.passwordCode;

    if (passwordField->text().isEmpty()) {
        s.newPasswordCode = 0;
    } else if (const auto number = rules::passwordNumber(passwordField->text())) {
        s.settings.passwordNumber = *number;
        s.newPasswordCode = rules::passwordCodeOf(*number);
    } else {
        context.services.dialogs.messageBox(
            this, QStringLiteral("パスワードは半角数字４桁を入力してください"),
            ui::applicationTitle(), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        close();
    }

    s.settings.comPort = comPortGroup->selectedIndex() + 1;
    link_.usePort(s.settings.comPort);
    s.settings.adapterModel = modelGroup->selectedIndex();
    if (const auto mode = rules::logModeOfItem(tel1LogModeGroup->selectedIndex())) {
        s.settings.logModeTel1 = *mode;
    }
    if (const auto mode = rules::logModeOfItem(tel2LogModeGroup->selectedIndex())) {
        s.settings.logModeTel2 = *mode;
    }
    if (dialLineGroup->selectedIndex() >= 0) {
        s.settings.dialLine = dialLineGroup->selectedIndex() + 1;
    }

    saveDeviceChoices();
    try {
        saveAndSend();
    } catch (const std::exception&) {
        hide();
        context.nav().showPortMessage();
        // Close the port this save may have opened, as a save that went through would.
        link_.closePortAfterSave();
    }
}

void OptionsWindow::saveAndSend() {
    appstate::ProgramState& s = state_;
    link_.sendLogModes();
    s.settings.comPort = comPortGroup->selectedIndex() + 1;
    // SET1 keeps the code in force; only the confirmation of a new password changes it.
    appstate::writeSettings(settingsPath_, s.settings);

    if (s.newPasswordCode == s.settings.passwordCode) {
        hide();
        context.nav().showSaveNotice(true);
        link_.closePortAfterSave();
        saveNoticeTimer.setInterval(SaveNoticeTime);
        return;
    }
    context.nav().askConfirmation(appstate::confirmaction::ChangePassword,
                                  QStringLiteral("パスワードを変更しますと通話記録が"),
                                  QStringLiteral("初期化されます。よろしいですか？"));
    hide();
}

void OptionsWindow::cancelClicked() {
    close();
}

void OptionsWindow::helpClicked() {
    context.services.help.context(HelpTopic);
}

void OptionsWindow::clearPasswordClicked() {
    passwordField->clear();
    passwordField->setFocus();
}

void OptionsWindow::endSaveNotice() {
    saveNoticeTimer.setInterval(0);
    context.nav().showSaveNotice(false);
    close();
}

void OptionsWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    returnToMenu();
}

void OptionsWindow::returnToMenu() {
    context.nav().showMenu();
}

void OptionsWindow::showDeviceChoice() {
    const int port = comPortGroup->selectedIndex() + 1;
    if (port < 1 || port > int(chosenDevices_.size())) {
        return;
    }
    const QString& chosen = chosenDevices_[size_t(port - 1)];
    deviceBox->clear();
    deviceBox->addItem(QStringLiteral("指定なし"), QString());
    bool listed = chosen.isEmpty();
    for (const comm::SerialDeviceEntry& entry : presentDevices_) {
        deviceBox->addItem(QStringLiteral("%1 (%2)").arg(entry.label, entry.path), entry.path);
        listed = listed || entry.path == chosen;
    }
    // A device that is unplugged now stays the choice until the user makes another.
    if (!listed) {
        deviceBox->addItem(QStringLiteral("%1 (未接続)").arg(chosen), chosen);
    }
    deviceBox->setCurrentIndex(deviceBox->findData(chosen));
    showReach();
}

void OptionsWindow::deviceChosen() {
    const int port = comPortGroup->selectedIndex() + 1;
    if (port >= 1 && port <= int(chosenDevices_.size())) {
        chosenDevices_[size_t(port - 1)] = deviceBox->currentData().toString();
    }
    showReach();
}

void OptionsWindow::showReach() {
    const int port = comPortGroup->selectedIndex() + 1;
    const QString path = serialDevices_.pathFor(port, deviceBox->currentData().toString());
    if (path.isEmpty()) {
        reachLabel->clear();
        reachLabel->setToolTip(QString());
        return;
    }
    // A link (COMn beside the program, or a stable name) is shown with the device behind it.
    const QString device = QFileInfo(path).canonicalFilePath();
    const QString text = device.isEmpty() || device == path
                             ? QStringLiteral("接続先: %1").arg(path)
                             : QStringLiteral("接続先: %1 → %2").arg(path, device);
    reachLabel->setToolTip(text);
    reachLabel->setText(
        reachLabel->fontMetrics().elidedText(text, Qt::ElideMiddle, reachLabel->width()));
}

void OptionsWindow::saveDeviceChoices() {
    const appstate::IniFile ini(settingsPath_);
    for (size_t i = 0; i < chosenDevices_.size(); ++i) {
        if (chosenDevices_[i] == savedDevices_[i]) {
            continue;
        }
        if (!appstate::saveDeviceFor(ini, int(i) + 1, chosenDevices_[i])) {
            context.showException(QStringLiteral("%1 に書き込めません。").arg(settingsPath_));
            return;
        }
        savedDevices_[i] = chosenDevices_[i];
    }
}
