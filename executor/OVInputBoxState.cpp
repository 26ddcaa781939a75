#include "executor/OVInputBoxState.h"

#include "devices/OVWindowState.h"
#include "executor/OVConsoleOut.h"
#include "executor/OVMThread.h"
#include "language/OVCode.h"
#include "language/OVPreCode.h"
#include "language/OVStrTbl.h"
#include "resources/OVInterfaceTexts.h"

#include <iterator>

namespace ov {

QString LastInputAnswer;
int LineInputActive = 0;

namespace {

QString StringCellText(const CodeType &cell)
{
    const size_t v = size_t(cell.SecondCode);
    if (cell.FirstCode == ckStrLiteral && cell.SecondCode >= 0 && v < StrLiterals.size())
        return StrLiterals[v];
    if (cell.FirstCode == ckStrConst && cell.SecondCode >= 0 && v < std::size(StrConstants))
        return StrConstants[v];
    return {};
}

// The waiting line is the memo's last line: nothing is added after it while
// the box is up. It gives way to the echo of the reply.
void ReplaceWaitingLine(const QString &text)
{
    ConsoleMemo &memo = Host().Memo();
    if (memo.LineCount() > 0) {
        --ConsoleLineCount;
        memo.DeleteLine(memo.LineCount() - 1);
    }
    AppendConsoleText(text);
}

} // namespace

void AppendConsoleText(const QString &s)
{
    ConsoleMemo &memo = Host().Memo();
    if (ConsoleLineCount < ConsoleLineLimit) {
        ++ConsoleLineCount;
    } else {
        memo.SetUpdatesEnabled(false);
        if (memo.LineCount() > 0)
            memo.DeleteLine(0);
        --ConsoleLineCount;
        memo.SetUpdatesEnabled(true);
    }
    OutputLine += s;
    memo.AddLine(OutputLine);
    OutputLine.clear();
    OutputColumn = 0;
}

void ShowInputNumForm()
{
    const bool lineInput = LineInputActive != 0;
    InputBoxRequest request;
    // Output still pending when the box is asked for leads the waiting line
    // and is kept when that line is replaced.
    const QString lead = OutputLine;
    QString prompt;
    int target = 0;  // LINE INPUT: the working string variable that takes the reply
    CodeType cell;
    if (lineInput) {
        const int32_t before = CodePos;
        GetNextCode(cell);
        if (cell.FirstCode == ckStrLiteral) {
            prompt = StringCellText(cell);
        } else {
            prompt = QStringLiteral("?");
            CodePos = before;  // not a prompt: the cell is read again
        }
        GetNextCode(cell);
        if (cell.FirstCode == ckWorkStrVar && cell.SecondCode >= 1 && cell.SecondCode <= 2)
            target = cell.SecondCode;
        else
            SetError(50026);  // the box is still shown
        request.Echo = lead + QStringLiteral("Line Input ") + prompt;
        AppendConsoleText(QStringLiteral("LineInput ") + prompt + InterfaceText(65202));
        request.Caption = InputBoxTitle.isEmpty() ? InterfaceText(65200) : InputBoxTitle;
        request.Wide = true;
    } else {
        CodeType separator;
        GetNextCode(separator);
        GetNextCode(cell);
        prompt = StringCellText(cell);
        if (separator.FirstCode == ckOperator && separator.SecondCode == opSemicolon)
            prompt += u'?';
        request.Echo = lead + QStringLiteral("Input ") + prompt;
        AppendConsoleText(QStringLiteral("Input ") + prompt + InterfaceText(65202));
        request.Caption = InputBoxTitle.isEmpty() ? InterfaceText(65231) : InputBoxTitle;
        if (InputRetry != 0) {
            // only the INPUT asked again offers the last reply
            request.Text = LastInputAnswer;
            request.Caption += InterfaceText(65201);
            InputRetry = 0;
        }
    }
    request.Prompt = prompt;
    request.Placed = InputBoxPositionSet == 1;
    request.Left = InputBoxLeft;
    request.Top = InputBoxTop;

    QString answer;
    if (!Host().ShowInputBox(request, answer)) {
        StopRequested = 1;
        // CONT asks again: resume at the statement itself. A console line's
        // INPUT lies in the scratch cells and leaves a stopped program's
        // resume position alone.
        if (InputRestartPos >= ProgramStart)
            ContPosition = InputRestartPos;
        Host().SetRunButtons(true, true, false, false);
        Host().ShowRunForm();  // the waiting line stays
        return;
    }

    if (lineInput) {
        if (target != 0)
            WorkStrVars[target].Value = answer;
    } else {
        LastInputAnswer = answer;
        InputReply = answer;
    }
    ReplaceWaitingLine(request.Echo + u' ' + answer);
}

} // namespace ov
