#pragma once

#include "app/tformbase.h"
#include "settings/chargereply.h"

class QLabel;
class QPushButton;

// Shows the line usage charges read from the adapter and resets each one after confirmation.
class TForm15 : public TFormBase {
    Q_OBJECT
public:
    explicit TForm15(Application& app);

    // Puts the amounts of a charge report into the panels and shows the window.
    void ChargesShow(const settings::ChargeAmounts& amounts);

    void Button1Click();  // reset TEL 1
    void Button2Click();  // reset TEL 2
    void Button3Click();  // reset digital communication
    void Button4Click();  // "ＯＫ"
    void BitBtn3Click();  // help

    QLabel* Image1 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QLabel* Panel1 = nullptr;
    QLabel* Panel3 = nullptr;
    QLabel* Panel5 = nullptr;
    // The amounts of TEL 1, TEL 2 and digital communication.
    QLabel* Panel2 = nullptr;
    QLabel* Panel4 = nullptr;
    QLabel* Panel6 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void addRow(int top, const QString& caption, QLabel*& captionPanel, QLabel*& amountPanel,
                QPushButton*& resetButton);
    void AskReset(int kind, const QString& question);
    void FormClose();
};
