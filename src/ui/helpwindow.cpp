#include "ui/helpwindow.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/helppages.h"

namespace ui {

HelpWindow::HelpWindow() {
    setWindowTitle(QStringLiteral("ヘルプ"));
    resize(480, 360);
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    auto* contentsButton = new QPushButton(QStringLiteral("目次(&C)"), this);
    auto* searchButton = new QPushButton(QStringLiteral("検索(&S)"), this);
    buttons->addWidget(contentsButton);
    buttons->addWidget(searchButton);
    buttons->addStretch();
    layout->addLayout(buttons);

    indexPanel_ = new QWidget(this);
    auto* indexLayout = new QVBoxLayout(indexPanel_);
    indexLayout->setContentsMargins(0, 0, 0, 0);
    keyword_ = new QLineEdit(indexPanel_);
    keywords_ = new QListWidget(indexPanel_);
    indexLayout->addWidget(keyword_);
    indexLayout->addWidget(keywords_);
    layout->addWidget(indexPanel_);

    browser_ = new QTextBrowser(this);
    browser_->setOpenLinks(false);
    layout->addWidget(browser_, 1);

    connect(contentsButton, &QPushButton::clicked, this, &HelpWindow::contents);
    connect(searchButton, &QPushButton::clicked, this, &HelpWindow::keySearch);
    connect(keyword_, &QLineEdit::textChanged, this, &HelpWindow::showIndex);
    connect(keywords_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { context(item->data(Qt::UserRole).toInt()); });
    connect(browser_, &QTextBrowser::anchorClicked, this,
            [this](const QUrl& url) { context(url.fragment().toInt()); });
}

void HelpWindow::showPage(const QString& page, const QString& html) {
    page_ = page;
    indexPanel_->setVisible(page == QStringLiteral("index"));
    browser_->setHtml(html);
    show();
    raise();
}

void HelpWindow::contents() {
    QString html = QStringLiteral("<h2>目次</h2><ul>");
    for (const HelpTopic& topic : helpTopics()) {
        html += QStringLiteral("<li><a href=\"#%1\">%2</a></li>")
                    .arg(topic.context)
                    .arg(topic.title.toHtmlEscaped());
    }
    showPage(QStringLiteral("contents"), html + QStringLiteral("</ul>"));
}

void HelpWindow::keySearch() {
    keyword_->clear();
    showIndex(QString());
    showPage(QStringLiteral("index"), QStringLiteral("<p>キーワードを入力してください。</p>"));
    keyword_->setFocus();
}

void HelpWindow::showIndex(const QString& filter) {
    keywords_->clear();
    for (const HelpTopic& topic : helpTopics()) {
        for (const QString& key : topic.keywords) {
            if (filter.isEmpty() || key.contains(filter, Qt::CaseInsensitive)) {
                auto* item = new QListWidgetItem(key + QStringLiteral(" — ") + topic.title);
                item->setData(Qt::UserRole, topic.context);
                keywords_->addItem(item);
            }
        }
    }
}

void HelpWindow::helpOnHelp() {
    showPage(QStringLiteral("helponhelp"), helpOnHelpPage());
}

void HelpWindow::context(int contextNumber) {
    const HelpTopic* topic = helpTopic(contextNumber);
    if (topic == nullptr) {
        contents();
        return;
    }
    showPage(QString::number(contextNumber),
             QStringLiteral("<h2>%1</h2>").arg(topic->title.toHtmlEscaped()) + topic->body);
}

}  // namespace ui
