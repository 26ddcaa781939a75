// The help window: the pages compiled into the program, links between them,
// back, forward and home, and every way of opening it: F1 and the Help menu
// of the frame and the HELP statement of a program. The pages themselves:
// every example runs through the headless runner as the page shows it, the
// list of what is not supported is not supported, and every link lands.
#include "frame_fixture.h"

#include "environment/OVHelpForm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <vector>

using namespace ov;

namespace {

const QUrl kIndex(QStringLiteral("qrc:/help/index.html"));
const QUrl kTutorial(QStringLiteral("qrc:/help/tutorial.html"));

class Help : public FrameFixture {
protected:
    void TearDown() override
    {
        CloseHelpWindow();
        FrameFixture::TearDown();
    }

    // Clicks the link whose text is `text`, as a person would.
    static void ClickLink(QTextBrowser *browser, const QString &text)
    {
        const QTextCursor found = browser->document()->find(text);
        ASSERT_FALSE(found.isNull()) << text.toStdString();
        QTextCursor inside(browser->document());
        inside.setPosition(found.selectionStart() + 1);
        browser->setTextCursor(inside);
        browser->ensureCursorVisible();
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, browser->cursorRect(inside).center());
    }

    static QUrl Page(const TOVHelpForm *help)
    {
        return help->Browser->source().adjusted(QUrl::RemoveFragment);
    }
};

} // namespace

TEST_F(Help, OpensAtTheStartPageAndLinksBackForwardAndHomeNavigate)
{
    TOVHelpForm *help = ShowHelpWindow(QString::fromUtf16(kHelpStartPage));
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(Page(help), kIndex);
    EXPECT_TRUE(help->windowTitle().startsWith(QStringLiteral(u"Orvane ヘルプ")))
        << help->windowTitle().toStdString();
    EXPECT_FALSE(help->BackBtn->isEnabled());

    ClickLink(help->Browser, QStringLiteral(u"Basic 入門 (Tutorial)"));
    EXPECT_EQ(Page(help), kTutorial);
    EXPECT_TRUE(help->Browser->toPlainText().contains(QStringLiteral(u"入門")));
    ASSERT_TRUE(help->BackBtn->isEnabled());

    QTest::mouseClick(help->BackBtn, Qt::LeftButton);
    EXPECT_EQ(Page(help), kIndex);
    ASSERT_TRUE(help->ForwardBtn->isEnabled());
    QTest::mouseClick(help->ForwardBtn, Qt::LeftButton);
    EXPECT_EQ(Page(help), kTutorial);
    QTest::mouseClick(help->HomeBtn, Qt::LeftButton);
    EXPECT_EQ(Page(help), kIndex);

    // asking again reuses the one window; a page that is not there opens nothing
    EXPECT_EQ(ShowHelpWindow(QString::fromUtf16(kTutorialPage)), help);
    EXPECT_EQ(Page(help), kTutorial);
    EXPECT_EQ(ShowHelpWindow(QStringLiteral("missing.html")), nullptr);
}

TEST_F(Help, F1TheTutorialItemAndTheHelpStatementOpenTheHelpWindow)
{
    frame_->show();
    QApplication::setActiveWindow(frame_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
    QTest::keyClick(frame_.get(), Qt::Key_F1);
    TOVHelpForm *help = HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(Page(help), kIndex);

    frame_->OVMMenuBasicTutor->trigger();
    EXPECT_EQ(HelpWindow(), help);
    EXPECT_EQ(Page(help), kTutorial);
    EXPECT_TRUE(messages_.isEmpty());  // no failure to report

    // HELP in the console: the run's window step opens the start page
    console_->show();
    QTest::keyClicks(console_->Memo1, QStringLiteral("HELP"));
    QTest::keyClick(console_->Memo1, Qt::Key_Return);
    WaitForRun();
    ASSERT_NE(HelpWindow(), nullptr);
    EXPECT_EQ(Page(HelpWindow()), kIndex);

    windows_->OpenHelp(QStringLiteral("console"));
    EXPECT_EQ(HelpWindow()->Browser->source().fragment(), QStringLiteral("console"));

    // the frame takes the help window with it when it closes
    frame_->close();
    EXPECT_EQ(HelpWindow(), nullptr);
}

// ---------------------------------------------------------------- the pages' contents

namespace {

QStringList HelpPages()
{
    return QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
}

QString PageText(const QString &page)
{
    QFile file(QStringLiteral(":/help/") + page);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The text an HTML fragment stands for; the entities it does not know are
// noted in `unknown`, since a program shown with one would read differently.
QString Unescape(const QString &html, QStringList &unknown)
{
    static const QRegularExpression entity(QStringLiteral("&(#x[0-9A-Fa-f]+|#[0-9]+|[A-Za-z]+);"));
    static const QHash<QString, QString> named{{QStringLiteral("lt"), QStringLiteral("<")},
                                               {QStringLiteral("gt"), QStringLiteral(">")},
                                               {QStringLiteral("amp"), QStringLiteral("&")},
                                               {QStringLiteral("quot"), QStringLiteral("\"")}};
    QString text;
    qsizetype done = 0;
    for (auto it = entity.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        text += html.mid(done, m.capturedStart() - done);
        const QString name = m.captured(1);
        if (name.startsWith(u'#')) {
            const bool hex = name.startsWith(u"#x");
            const char32_t code = name.mid(hex ? 2 : 1).toUInt(nullptr, hex ? 16 : 10);
            text += QString::fromUcs4(&code, 1);
        } else if (named.contains(name)) {
            text += named.value(name);
        } else {
            unknown << m.captured(0);
        }
        done = m.capturedEnd();
    }
    return text + html.mid(done);
}

QString Attribute(const QString &attributes, const QString &name)
{
    const QRegularExpression pattern(QStringLiteral("\\b%1=\"([^\"]*)\"").arg(name));
    return pattern.match(attributes).captured(1);
}

// A program the help shows, marked <pre class="example">, with the replies
// to its INPUT and its scripted clicks (data-input, one a line), the empty
// files it needs (data-files), and the console output the page shows for it
// (the <pre class="out"> that follows it), if any.
struct HelpExample {
    QString Where;
    QString Program;
    QString Input;
    QStringList Files;
    QString Expected;
    bool HasExpected = false;
};

// The examples of a page; every other <pre> block is noted in `problems`.
std::vector<HelpExample> ExamplesOf(const QString &page, QStringList &problems)
{
    static const QRegularExpression pre(QStringLiteral("<pre\\b([^>]*)>(.*?)</pre>"),
                                        QRegularExpression::DotMatchesEverythingOption);
    std::vector<HelpExample> examples;
    for (auto it = pre.globalMatch(PageText(page)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString attributes = m.captured(1);
        const QStringList classes = Attribute(attributes, QStringLiteral("class")).split(u' ', Qt::SkipEmptyParts);
        const QString text = Unescape(m.captured(2), problems);
        if (classes.contains(u"example")) {
            HelpExample example;
            example.Where = QStringLiteral("%1, example %2").arg(page).arg(examples.size() + 1);
            example.Program = text;
            example.Input = Unescape(Attribute(attributes, QStringLiteral("data-input")), problems);
            example.Files = Attribute(attributes, QStringLiteral("data-files")).split(u' ', Qt::SkipEmptyParts);
            examples.push_back(example);
        } else if (classes.contains(u"out") && !examples.empty() && !examples.back().HasExpected) {
            examples.back().Expected = text;
            examples.back().HasExpected = true;
        } else {
            problems << page + QStringLiteral(": a block that is no example nor its output: ") + text.left(40);
        }
    }
    return examples;
}

// What a run left: the exit status, the console, and whether the graphics
// screen it left open shows anything beyond its background.
struct ExampleRun {
    bool Finished = false;
    int Status = -1;
    QString Output;
    bool ScreenLeft = false;
    bool ScreenDrawn = false;
};

bool DrawnOn(const QImage &picture)
{
    const QRgb background = picture.pixel(0, 0);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) != background)
                return true;
    return false;
}

// Runs the program through the headless runner in a folder of its own.
ExampleRun RunThroughOvrun(const QString &program, const QString &input = QString(),
                           const QStringList &files = QStringList())
{
    ExampleRun run;
    QTemporaryDir dir;
    QFile source(dir.filePath(QStringLiteral("example.ovt")));
    if (!dir.isValid() || !source.open(QIODevice::WriteOnly))
        return run;
    source.write(QString(program + u'\n').replace(u'\n', QStringLiteral("\r\n")).toUtf8());
    source.close();
    for (const QString &name : files) {
        QFile empty(dir.filePath(name));
        if (!empty.open(QIODevice::WriteOnly))
            return run;
    }
    const QString screen = dir.filePath(QStringLiteral("screen.png"));
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(OVRUN_PATH), {QStringLiteral("--save-graphics"), screen, source.fileName()});
    process.write(input.isEmpty() ? QByteArray() : (input + u'\n').toUtf8());
    process.closeWriteChannel();
    run.Finished = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    run.Status = process.exitCode();
    run.Output = QString::fromUtf8(process.readAllStandardOutput());
    const QImage picture(screen);
    run.ScreenLeft = !picture.isNull();
    run.ScreenDrawn = run.ScreenLeft && DrawnOn(picture);
    return run;
}

// The console lines as the pages show them: without the runs' "OK" and the
// blank lines between runs.
QStringList ShownLines(const QString &console)
{
    QStringList lines;
    for (const QString &line : console.split(u'\n'))
        if (!line.isEmpty() && line != u"OK")
            lines << line;
    return lines;
}

const QString kErrorMark = QStringLiteral(u"エラー:");

} // namespace

TEST(HelpPages, EveryExampleRunsAndPrintsWhatThePageShows)
{
    const QStringList pages = HelpPages();
    ASSERT_GE(pages.size(), 6);
    for (const QString &page : pages) {
        QStringList problems;
        const std::vector<HelpExample> examples = ExamplesOf(page, problems);
        EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
        EXPECT_FALSE(examples.empty()) << page.toStdString() << " shows no example";
        for (const HelpExample &example : examples) {
            SCOPED_TRACE(example.Where.toStdString());
            const ExampleRun run = RunThroughOvrun(example.Program, example.Input, example.Files);
            ASSERT_TRUE(run.Finished);
            // Only an example that shows an error message may end with one.
            const bool showsError = example.Expected.contains(kErrorMark);
            EXPECT_EQ(run.Status, showsError ? 1 : 0) << run.Output.toStdString();
            EXPECT_FALSE(run.Output.contains(QStringLiteral(u"実行中断しました"))) << "an INPUT without its reply";
            if (example.HasExpected) {
                EXPECT_EQ(ShownLines(run.Output), ShownLines(example.Expected));
            }
            if (run.ScreenLeft) {
                EXPECT_TRUE(run.ScreenDrawn) << "the graphics screen is left blank";
            }
        }
    }
}

TEST(HelpPages, TheUnsupportedListNamesOnlyWhatIsNotSupported)
{
    const QString index = PageText(QString::fromUtf16(kHelpStartPage));
    const qsizetype from = index.indexOf(QStringLiteral("id=\"unsupported\""));
    ASSERT_GE(from, 0);
    const QString section = index.mid(from, index.indexOf(QStringLiteral("<h2"), from) - from);
    // Statements are run bare, functions with an argument.
    static const QRegularExpression cell(QStringLiteral("<td class=\"[^\"]*\\b(st|fn)\\b[^\"]*\">(.*?)</td>"));
    static const QRegularExpression code(QStringLiteral("<code>(.*?)</code>"));
    int entries = 0;
    for (auto cells = cell.globalMatch(section); cells.hasNext();) {
        const QRegularExpressionMatch c = cells.next();
        for (auto codes = code.globalMatch(c.captured(2)); codes.hasNext();) {
            QStringList unknown;
            const QString name = Unescape(codes.next().captured(1), unknown);
            const QString line = c.captured(1) == u"st" ? name : QStringLiteral("PRINT %1(1)").arg(name);
            SCOPED_TRACE(line.toStdString());
            const ExampleRun run = RunThroughOvrun(line);
            EXPECT_EQ(run.Status, 1);
            EXPECT_TRUE(run.Output.contains(QStringLiteral(u"サポートしていません"))
                        || run.Output.contains(QStringLiteral(u"サポートされていません")))
                << run.Output.toStdString();
            ++entries;
        }
    }
    EXPECT_GE(entries, 20);
}

// An example reads as one shaded block: each of its lines is a block of the
// document, and they follow at the font's own spacing (the body's wider
// spacing, which leaves a gap under each line's shading, does not reach
// them).
TEST(HelpPages, ExamplesAreOneBlockWithoutGapsBetweenTheirLines)
{
    QTextBrowser browser;
    for (const QString &page : HelpPages()) {
        browser.setSource(QUrl(QStringLiteral("qrc:/help/") + page));
        int lines = 0;
        for (QTextBlock block = browser.document()->begin(); block.isValid(); block = block.next()) {
            const QTextBlockFormat format = block.blockFormat();
            if (!format.nonBreakableLines())
                continue;  // not inside an example
            ++lines;
            EXPECT_EQ(format.lineHeightType(), int(QTextBlockFormat::SingleHeight))
                << page.toStdString() << ": " << block.text().toStdString();
        }
        EXPECT_GT(lines, 0) << page.toStdString();
    }
}

TEST(HelpPages, EveryPageIsListedInTheIndexAndEveryLinkLands)
{
    const QStringList pages = HelpPages();
    static const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
    const QString index = PageText(QString::fromUtf16(kHelpStartPage));
    for (const QString &page : pages)
        EXPECT_TRUE(page == QString::fromUtf16(kHelpStartPage) || index.contains(QStringLiteral("href=\"%1\"").arg(page)))
            << page.toStdString();
    for (const QString &page : pages) {
        for (auto links = href.globalMatch(PageText(page)); links.hasNext();) {
            const QString link = links.next().captured(1);
            if (link.endsWith(QStringLiteral(".css")))
                continue;
            const QString target = link.section(u'#', 0, 0).isEmpty() ? page : link.section(u'#', 0, 0);
            const QString anchor = link.section(u'#', 1);
            EXPECT_TRUE(pages.contains(target)) << page.toStdString() << ": " << link.toStdString();
            if (!anchor.isEmpty()) {
                EXPECT_TRUE(PageText(target).contains(QStringLiteral("id=\"%1\"").arg(anchor)))
                    << page.toStdString() << ": " << link.toStdString();
            }
        }
    }
}
