#include "environment/OVHelpForm.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace ov {

namespace {

QPointer<TOVHelpForm> &TheHelpWindow()
{
    static QPointer<TOVHelpForm> window;
    return window;
}

QPushButton *NavigationButton(const QString &caption, QWidget *parent, QLayout *row)
{
    auto *button = new QPushButton(caption, parent);
    button->setFocusPolicy(Qt::NoFocus);
    row->addWidget(button);
    return button;
}

}  // namespace

QUrl HelpPageUrl(const QString &page, const QString &topic)
{
    QUrl url(QStringLiteral("qrc:/help/") + page);
    if (!topic.isEmpty())
        url.setFragment(topic);
    return url;
}

TOVHelpForm::TOVHelpForm(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    layout->addLayout(row);
    BackBtn = NavigationButton(QStringLiteral(u"← 戻る"), this, row);
    ForwardBtn = NavigationButton(QStringLiteral(u"進む →"), this, row);
    HomeBtn = NavigationButton(QStringLiteral(u"目次"), this, row);
    row->addStretch();
    Browser = new QTextBrowser(this);
    layout->addWidget(Browser);
    BackBtn->setEnabled(false);
    ForwardBtn->setEnabled(false);
    connect(BackBtn, &QPushButton::clicked, Browser, &QTextBrowser::backward);
    connect(ForwardBtn, &QPushButton::clicked, Browser, &QTextBrowser::forward);
    connect(HomeBtn, &QPushButton::clicked, this, [this] { ShowPage(QString::fromUtf16(kHelpStartPage)); });
    connect(Browser, &QTextBrowser::backwardAvailable, BackBtn, &QWidget::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, ForwardBtn, &QWidget::setEnabled);
    connect(Browser, &QTextBrowser::sourceChanged, this, [this] { setWindowTitle(Browser->documentTitle()); });
    resize(820, 640);
}

bool TOVHelpForm::ShowPage(const QString &page, const QString &topic)
{
    if (!QFile::exists(QStringLiteral(":/help/") + page))
        return false;
    Browser->setSource(HelpPageUrl(page, topic));
    return true;
}

TOVHelpForm *ShowHelpWindow(const QString &page, const QString &topic)
{
    QPointer<TOVHelpForm> &window = TheHelpWindow();
    if (window.isNull())
        window = new TOVHelpForm;
    if (!window->ShowPage(page, topic)) {
        if (!window->isVisible())
            delete window.data();
        return nullptr;
    }
    if (window->isMinimized())
        window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

TOVHelpForm *HelpWindow()
{
    return TheHelpWindow().data();
}

void CloseHelpWindow()
{
    delete TheHelpWindow().data();
}

}  // namespace ov
