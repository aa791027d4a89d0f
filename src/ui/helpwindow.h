#pragma once

#include <QWidget>

#include "ui/help.h"

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace ui {

// The program's own help viewer: a contents page, a keyword index and one page per help
// context, all shipped inside the program.
class HelpWindow : public QWidget, public HelpViewer {
    Q_OBJECT
public:
    HelpWindow();

    void contents() override;
    void keySearch() override;
    void helpOnHelp() override;
    void context(int contextNumber) override;

    // The page shown now: "contents", "index", "helponhelp" or the context number.
    QString currentPage() const { return page_; }
    QTextBrowser* browser() const { return browser_; }

private:
    void showPage(const QString& page, const QString& html);
    void showIndex(const QString& filter);

    QString page_;
    QTextBrowser* browser_ = nullptr;
    QWidget* indexPanel_ = nullptr;
    QLineEdit* keyword_ = nullptr;
    QListWidget* keywords_ = nullptr;
};

}  // namespace ui
