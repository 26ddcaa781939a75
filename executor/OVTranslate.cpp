#include "executor/OVTranslate.h"

#include "executor/OVInterpreter.h"
#include "language/OVCode.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVLineScanner.h"
#include "language/OVPreCode.h"
#include "language/OVPreScan.h"
#include "language/OVRunMode.h"
#include "language/OVTranslator.h"
#include "platform/OVWinVersion.h"

#include <algorithm>

namespace ov {

namespace {

void SetScanText(const QString &text)
{
    ScanText = text + QStringLiteral("\r\n") + QChar(0) + QChar(0);
    ScanTextLength = int32_t(std::min<qsizetype>(ScanText.size(), INT32_MAX));
}

} // namespace

int32_t TranslationErrorPosition()
{
    return std::max(1, ErrorReadPos);
}

bool SetProgramText(const QString &source)
{
    if (source.size() + 6 >= ProgramSizeLimit(OSVersionName)) {
        ScanText.clear();
        ScanTextLength = 0;
        ErrorNumber = 106;
        ErrorPos = 1;
        return false;
    }
    SetScanText(source);
    return true;
}

bool TranslateProgram()
{
    if (RunMode == 1 || RunMode == 3)
        RunMode = 0;
    ResetLinePos();
    PreCodePos = ProgramStart;
    ErrorPos = 0;
    PreScanDeclarations();
    if (ErrorNumber != 0) {
        ErrorPos = TranslationErrorPosition();
        return false;
    }
    PreCodePos = ProgramStart;
    ScanLine();
    if (ErrorNumber != 0) {
        ErrorPos = TranslationErrorPosition();
        return false;
    }
    InitCode();
    PreCodePos = ProgramStart;
    CodePos = ProgramStart;
    TranslateStatements();
    if (ErrorNumber != 0) {
        ErrorPos = TranslationErrorPosition();
        return false;
    }
    CodePos = ProgramStart;
    return true;
}

bool TranslateProgramText(const QString &source)
{
    if (!SetProgramText(source))
        return false;
    InitInterpreter();
    return TranslateProgram();
}

bool TranslateCommandLine(const QString &line)
{
    RunMode = 1;
    SetScanText(line);
    ScratchLimited = true;
    ResetPreCode();
    PreCodePos = 1;
    ScanLine();
    if (ErrorNumber != 0) {
        ScratchLimited = false;
        ErrorPos = TranslationErrorPosition();
        return false;
    }
    ResetCode();
    PreCodePos = 1;
    CodePos = 1;
    TranslateStatements();
    ScratchLimited = false;
    if (ErrorNumber != 0) {
        ErrorPos = TranslationErrorPosition();
        return false;
    }
    CodePos = 1;
    return true;
}

} // namespace ov
