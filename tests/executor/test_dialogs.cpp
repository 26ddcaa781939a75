#include "executor/OVDialogs.h"
#include "executor/OVRunHost.h"
#include "executor/OVStack.h"
#include "language/OVHeader.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <cmath>
#include <variant>
#include <vector>

using namespace ov;

namespace {

// Logs every dialog request as one line and answers with the scripted button
// or text (an empty text is Cancel).
class DialogHost : public RunHost {
public:
    QStringList Log;
    int Button = 1;
    QString Answer;

    int ShowMessageBox(const QString &text, const QString &caption, int style) override
    {
        Log << QStringLiteral("box|%1|%2|%3").arg(text, caption).arg(style);
        return Button;
    }
    QString ShowInputQuery(const QString &prompt, const QString &caption, const QString &defaultText,
                           bool query) override
    {
        Log << QStringLiteral("input|%1|%2|%3|%4").arg(prompt, caption, defaultText).arg(query);
        return Answer;
    }
    QString SelectFile(bool save, const QString &filter, const QString &name) override
    {
        Log << QStringLiteral("%1|%2|%3").arg(save ? "save" : "open", filter, name);
        return Answer;
    }

    void Synchronise(const std::function<void()> &step) override { step(); }
    void Post(std::function<void()> step) override { step(); }
    ConsoleMemo &Memo() override { std::abort(); }
    void SetButtonMode(ButtonMode) override {}
    void SetRunButtons(bool, bool, bool, bool) override {}
    void SetConsoleCaption(const QString &) override {}
    void RestoreRunFormLayout() override {}
    void ShowRunForm() override {}
    bool ShowInputBox(const InputBoxRequest &, QString &) override { return false; }
    void Beep() override {}
    bool AskYesNo(const QString &, const QString &) override { return true; }
    void OpenHelp(const QString &) override {}
    void CloseMediaPlayer() override {}
    void CloseMainForm() override {}
};

using Args = std::vector<std::variant<long double, QString>>;

class Dialogs : public ::testing::Test {
protected:
    DialogHost host;

    void SetUp() override { SetRunHost(&host); }
    void TearDown() override { SetRunHost(nullptr); }

    // Runs function f on the arguments (first one pushed first); returns its
    // one result as text, or "error <number> <subject>".
    static QString Call(int32_t f, const Args &args)
    {
        InitStacks();
        ClearError();
        for (const auto &arg : args) {
            if (const auto *x = std::get_if<long double>(&arg))
                PushNumber(*x);
            else
                PushString(std::get<QString>(arg));
        }
        EXPECT_TRUE(DispatchDialogFunction(f)) << f;
        if (ErrorNumber != 0)
            return QStringLiteral("error %1 %2").arg(ErrorNumber).arg(ErrorSubject);
        EXPECT_EQ(TagStackTop, 1) << f;
        return TopTag() == tagNumber ? QString::number(double(PopNumber())) : PopString();
    }
};

TEST_F(Dialogs, StyleFromFlags)
{
    EXPECT_EQ(MessageBoxStyle(4), mbYesNo);
    EXPECT_EQ(MessageBoxStyle(36), mbYesNo + mbIconQuestion);
    EXPECT_EQ(MessageBoxStyle(6), mbOK);  // no such button set
    EXPECT_EQ(MessageBoxStyle(7 + 48), mbIconExclamation);
    EXPECT_EQ(MessageBoxStyle(3.9L), mbYesNoCancel);  // truncated
    EXPECT_EQ(MessageBoxStyle(128 + 256 + 64 + 2), mbIconInformation + mbAbortRetryIgnore);
    EXPECT_EQ(MessageBoxStyle(16 + 8 + 5), mbIconStop + mbRetryCancel);  // bit 3 selects nothing
    EXPECT_EQ(MessageBoxStyle(1e30L), MessageBoxStyle(std::fmod(1e30L, 128.0L)));
    EXPECT_EQ(MessageBoxStyle(-4), mbOK);
}

TEST_F(Dialogs, MsgBoxForms)
{
    host.Button = 7;
    EXPECT_EQ(Call(fnMSGBOX, {"hi"}), "0");  // the button is not reported
    EXPECT_EQ(Call(OneMoreArgBase + fnMSGBOX, {"sure?", 36.0L}), "7");
    host.Button = 6;
    EXPECT_EQ(Call(OneMoreArgBase + fnMSGBOX, {"note", "Title"}), "6");
    EXPECT_EQ(Call(TwoMoreArgsBase + fnMSGBOX, {"t", 4.0L, "Mine"}), "6");
    EXPECT_EQ(host.Log, QStringList({"box|hi|Orvane Message Box|0", "box|sure?|Orvane MsgBox|36",
                                     "box|note|Title|0", "box|t|Mine|4"}));
}

TEST_F(Dialogs, WrongArgumentTypesNameTheFunction)
{
    const std::pair<int32_t, Args> cases[] = {
        {fnMSGBOX, {1.0L}},
        {OneMoreArgBase + fnMSGBOX, {1.0L, "t"}},
        {OneMoreArgBase + fnMSGBOX, {1.0L, 2.0L}},
        {TwoMoreArgsBase + fnMSGBOX, {"t", "4", "c"}},
        {TwoMoreArgsBase + fnMSGBOX, {"t", 4.0L, 5.0L}},
        {fnINPUTBOX, {1.0L}},
        {OneMoreArgBase + fnINPUTBOX, {"p", 1.0L}},
        {TwoMoreArgsBase + fnINPUTBOX, {1.0L, "c", "d"}},
        {OneMoreArgBase + fnSELECTOPENFILE, {1.0L}},
        {TwoMoreArgsBase + fnSELECTOPENFILE, {"f", 1.0L}},
        {OneMoreArgBase + fnSELECTSAVEFILE, {1.0L}},
        {TwoMoreArgsBase + fnSELECTSAVEFILE, {1.0L, "n"}},
    };
    for (const auto &[f, args] : cases)
        EXPECT_EQ(Call(f, args), QStringLiteral("error 50011 %1").arg(f % OneMoreArgBase)) << f;
    EXPECT_TRUE(host.Log.isEmpty());  // no dialog is shown
    EXPECT_FALSE(DispatchDialogFunction(fnKLEN));
}

TEST_F(Dialogs, InputBoxForms)
{
    host.Answer = "Bob";
    EXPECT_EQ(Call(fnINPUTBOX, {"Name?"}), "Bob");
    EXPECT_EQ(Call(OneMoreArgBase + fnINPUTBOX, {"Name?", "Who"}), "Bob");
    EXPECT_EQ(Call(TwoMoreArgsBase + fnINPUTBOX, {"Name?", "Who", "Ann"}), "Bob");
    EXPECT_EQ(host.Log, QStringList({"input|Name?|Orvane Input Box||0", "input|Name?|Who||0",
                                     "input|Name?|Who|Ann|1"}));
    host.Answer.clear();  // Cancel gives the empty text in every form
    EXPECT_EQ(Call(fnINPUTBOX, {"p"}), "");
    EXPECT_EQ(Call(OneMoreArgBase + fnINPUTBOX, {"p", "c"}), "");
    EXPECT_EQ(Call(TwoMoreArgsBase + fnINPUTBOX, {"p", "c", "d"}), "");
}

TEST_F(Dialogs, FileDialogs)
{
    const QString filter = "Text (*.txt)|*.txt|All|*.*";
    host.Answer = "/tmp/a.txt";
    EXPECT_EQ(Call(OneMoreArgBase + fnSELECTOPENFILE, {filter}), "/tmp/a.txt");
    EXPECT_EQ(Call(fnSELECTOPENFILE, {}), "/tmp/a.txt");  // no filter left from before
    host.Answer.clear();
    EXPECT_EQ(Call(TwoMoreArgsBase + fnSELECTSAVEFILE, {filter, "out.txt"}), "");
    EXPECT_EQ(host.Log, QStringList({"open|" + filter + "|", "open||", "save|" + filter + "|out.txt"}));

    EXPECT_EQ(FileDialogFilters("Text (*.txt; *.log)|*.txt;*.log|Pictures|*.bmp;*.png|All|*.*"),
              QStringList({"Text (*.txt; *.log) (*.txt *.log)", "Pictures (*.bmp *.png)", "All (*.*)"}));
    EXPECT_EQ(FileDialogFilters("|*.bas|Odd"), QStringList({"*.bas (*.bas)"}));
    EXPECT_TRUE(FileDialogFilters(QString()).isEmpty());
}

} // namespace
