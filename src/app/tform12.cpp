#include "app/tform12.h"

#include <QLabel>
#include <QPushButton>

#include "app/application.h"

TForm12::TForm12(Application& app) : TFormBase(app, QStringLiteral("バージョン情報")) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setClientSize(181, 83);
    Label1 = new QLabel(QStringLiteral("ＴＡＬＶＥ通話記録管理 Ver 1.1"), this);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(0, 12, 181, 24);
    OKButton = new QPushButton(QStringLiteral("ＯＫ"), this);
    OKButton->setGeometry(53, 48, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QWidget::close);
}
