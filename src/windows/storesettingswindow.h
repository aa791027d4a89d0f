#pragma once

#include <QString>
#include <functional>

#include "state/storesettings.h"
#include "windows/settingswindow.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

// The window "データの保存先": whether the phone book and the archive live in this PC's files or
// on the office's PostgreSQL server, how the server is reached, and the line name this PC's calls
// are archived under. The password is only handed on, for the password file; the window keeps
// nothing itself.
class StoreSettingsWindow : public SettingsWindow {
    Q_OBJECT
public:
    explicit StoreSettingsWindow(WindowContext& context);

    // Shows the window holding settings; lineNameHint is what an empty line name stands for.
    void showSettings(const appstate::StoreSettings& settings, const QString& lineNameHint);
    // The settings as the window holds them now.
    appstate::StoreSettings shownSettings() const;
    QString typedPassword() const;

    void serverChosen(bool server);
    void testClicked();
    void moveClicked();

    // "接続テスト": what is wrong with the server, empty when it answers and its tables are usable.
    std::function<QString(const appstate::StoreSettings&, const QString& password)> onTest;
    // "このPCのデータをサーバーへ移す": the report of the move. A failure thrown from it is told.
    std::function<QString(const appstate::StoreSettings&, const QString& password)> onMove;
    // OK: the choice and the typed password (empty when none was typed). A failure thrown from it
    // is told and the window stays.
    std::function<void(const appstate::StoreSettings&, const QString& password)> onAccepted;

    QRadioButton* filesButton = nullptr;   // "このPC"
    QRadioButton* serverButton = nullptr;  // "サーバー (PostgreSQL)"
    QLineEdit* hostField = nullptr;
    QSpinBox* portField = nullptr;
    QLineEdit* databaseField = nullptr;
    QLineEdit* userField = nullptr;
    QLineEdit* passwordField = nullptr;
    QLineEdit* lineNameField = nullptr;  // "回線名"
    QPushButton* testButton = nullptr;   // "接続テスト"
    QPushButton* moveButton = nullptr;   // "このPCのデータをサーバーへ移す"
    QLabel* testResult = nullptr;        // what the test or the move came to

protected:
    bool keep() override;
    void closed() override;

private:
    void buildWindow();
};
