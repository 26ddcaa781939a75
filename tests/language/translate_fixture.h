// Shared set-up of the translator tests: program text in, cells out.
#pragma once

#include "executor/OVInterpreter.h"
#include "executor/OVTranslate.h"
#include "language/OVCode.h"
#include "language/OVCodeListing.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVLineScanner.h"
#include "language/OVPreCode.h"
#include "language/OVPreScan.h"
#include "language/OVRunMode.h"

#include "lexer_fixture.h"

#include <QStringList>
#include <gtest/gtest.h>

class TranslateFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ov::InitializeInterpreterUnits();
        ov::RunMode = 0;  // a program's translation, as the editor's Run starts it
        ov::ErrorNumber = 0;
        ov::ErrorSubject = 0;
    }

    // The program's code cells from 101 up to (not including) the end cell,
    // each as CodeToText, joined by blanks; end-of-line cells show as "|".
    static QString Listing(int32_t from = 101)
    {
        QStringList parts;
        for (int32_t i = from; i < int32_t(ov::CodeArray.size()); ++i) {
            const ov::CodeType &cell = ov::CodeArray[size_t(i)];
            if (cell.FirstCode == ov::ckEof)
                break;
            parts << CellText(cell);
        }
        return parts.join(u' ');
    }

    static QString CellText(const ov::CodeType &cell)
    {
        if (cell.FirstCode == ov::ckOperator && cell.SecondCode == ov::opEndOfLine)
            return QStringLiteral("|");
        if (cell.FirstCode == ov::ckExprBegin)
            return QStringLiteral("(");
        if (cell.FirstCode == ov::ckExprEnd)
            return QStringLiteral(")");
        if (cell.FirstCode == ov::ckCodeAddr)
            return QStringLiteral("@%1").arg(cell.SecondCode);
        return ov::CodeToText(cell);
    }

    static QString WithCrLf(QString program)
    {
        program.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        program.replace(u'\n', QStringLiteral("\r\n"));
        return program;
    }

    // Pre-scans and scans a program; its pre-code from 101 up to the end
    // cell, or "error N" on failure.
    static QString ScanOnly(const QString &program)
    {
        ov::ClearError();
        if (!ov::SetProgramText(WithCrLf(program)))
            return QStringLiteral("error %1").arg(ov::ErrorNumber);
        ov::InitInterpreter();
        ov::ResetLinePos();
        ov::PreCodePos = ov::ProgramStart;
        ov::PreScanDeclarations();
        ov::PreCodePos = ov::ProgramStart;
        if (ov::ErrorNumber == 0)
            ov::ScanLine();
        if (ov::ErrorNumber != 0)
            return QStringLiteral("error %1").arg(ov::ErrorNumber);
        QStringList parts;
        for (int32_t i = ov::ProgramStart; i < ov::PreCodeScanEnd; ++i) {
            const ov::CodeType &cell = ov::PreCodeArray[size_t(i)];
            if (cell.FirstCode == ov::ckEof)
                break;
            parts << CellText(cell);
        }
        return parts.join(u' ');
    }

    // Translates a program (lines may end in "\n"; the editor hands over CR LF);
    // the listing of its code, or "error N" on failure.
    static QString Translate(const QString &program)
    {
        ov::ClearError();
        if (!ov::TranslateProgramText(WithCrLf(program)))
            return QStringLiteral("error %1").arg(ov::ErrorNumber);
        return Listing();
    }
};
