#include "windows/aboutwindow.h"

#include <QLabel>
#include <QPushButton>

#include "windows/windowcontext.h"

AboutWindow::AboutWindow(WindowContext& context)
    : WindowBase(context, QStringLiteral("バージョン情報")) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setClientSize(181, 83);
    versionLabel = new QLabel(QStringLiteral("ＴＡＬＶＥ通話記録管理 Ver 1.1"), this);
    QFont bold = versionLabel->font();
    bold.setBold(true);
    versionLabel->setFont(bold);
    versionLabel->setAlignment(Qt::AlignCenter);
    versionLabel->setGeometry(0, 12, 181, 24);
    okButton = new QPushButton(QStringLiteral("ＯＫ"), this);
    okButton->setGeometry(53, 48, 75, 25);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QWidget::close);
}
