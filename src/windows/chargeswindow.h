#pragma once

#include "adapter/chargesexchange.h"
#include "protocol/chargereply.h"
#include "windows/windowbase.h"

class QLabel;
class QPushButton;

// Shows the line usage charges read from the adapter and resets each one after confirmation.
class ChargesWindow : public WindowBase {
    Q_OBJECT
public:
    explicit ChargesWindow(WindowContext& context);

    // Puts the amounts of a charge report into the panels and shows the window.
    void showCharges(const protocol::ChargeAmounts& amounts);
    // A counter the adapter has just reset shows nothing owed.
    void showCounterReset(adapter::ChargesExchange::Counter counter);

    void resetTel1Clicked();     // reset TEL 1
    void resetTel2Clicked();     // reset TEL 2
    void resetDigitalClicked();  // reset digital communication
    void okClicked();            // "ＯＫ"
    void helpClicked();          // help

    QLabel* titlePicture = nullptr;
    QPushButton* helpButton = nullptr;
    QLabel* tel1Caption = nullptr;
    QLabel* tel2Caption = nullptr;
    QLabel* digitalCaption = nullptr;
    // The amounts of TEL 1, TEL 2 and digital communication.
    QLabel* tel1Amount = nullptr;
    QLabel* tel2Amount = nullptr;
    QLabel* digitalAmount = nullptr;
    QPushButton* resetTel1Button = nullptr;
    QPushButton* resetTel2Button = nullptr;
    QPushButton* resetDigitalButton = nullptr;
    QPushButton* okButton = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void addRow(int top, const QString& caption, QLabel*& captionPanel, QLabel*& amountPanel,
                QPushButton*& resetButton);
    void askReset(int kind, const QString& question);
    void returnToMenu();
};
