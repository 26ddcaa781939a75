// The help window: the help and the tutorial pages, compiled into the
// program, shown in a browser of its own with back, forward and home
// buttons, so that help works whatever else is installed.
#pragma once

#include <QWidget>

class QPushButton;
class QTextBrowser;
class QUrl;

namespace ov {

// The pages, by file name.
inline constexpr char16_t kHelpStartPage[] = u"index.html";
inline constexpr char16_t kTutorialPage[] = u"tutorial.html";

// The address of a help page, at an anchor when `topic` is not empty.
QUrl HelpPageUrl(const QString &page, const QString &topic = QString());

class TOVHelpForm : public QWidget {
    Q_OBJECT

public:
    explicit TOVHelpForm(QWidget *parent = nullptr);

    QTextBrowser *Browser = nullptr;
    QPushButton *BackBtn = nullptr;
    QPushButton *ForwardBtn = nullptr;
    QPushButton *HomeBtn = nullptr;

    // Shows the page (at the topic's anchor); false when there is no such page.
    bool ShowPage(const QString &page, const QString &topic = QString());
};

// The one help window, made on first use, showing the page and brought to
// the front. Null when the page does not exist.
TOVHelpForm *ShowHelpWindow(const QString &page, const QString &topic = QString());
// The help window while it is open, else null.
TOVHelpForm *HelpWindow();
// Closes the help window when it is open.
void CloseHelpWindow();

}  // namespace ov
