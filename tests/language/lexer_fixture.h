// Shared set-up of the language tests: a fresh interpreter and a text to scan.
#pragma once

#include "executor/OVInterpreter.h"
#include "language/OVGetTokenUnit.h"

#include <gtest/gtest.h>
#include <vector>

class LexerFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ov::InitializeInterpreterUnits();
        ov::ErrorNumber = 0;
        ov::ErrorSubject = 0;
        ov::InitInterpreter();
        ov::DeclContext = ov::dcNone;
        ov::ScopePrefix.clear();
        ov::InIncludeText = 0;
        ov::IncludeOffset = 0;
        ov::TokenCell = ov::CodeType{};
    }

    // Sets the text as the run driver does: CR LF and two NULs at the end.
    static void Scan(const QString &text)
    {
        ov::ScanText = text + QStringLiteral("\r\n") + QChar(0) + QChar(0);
        ov::ScanTextLength = int32_t(ov::ScanText.size());
        ov::ResetLinePos();
    }

    // Every token up to the end of the first line, an error or the end of the text.
    static std::vector<ov::CodeType> Tokens(const QString &text, int mode = ov::tmRegister)
    {
        Scan(text);
        std::vector<ov::CodeType> cells;
        for (int guard = 0; guard < 1000; ++guard) {
            ov::GetToken(ov::TokenCell, mode);
            if (ov::TokenCell.FirstCode == ov::ckNone || ov::ErrorNumber != 0)
                break;
            if (ov::TokenCell.FirstCode == ov::ckOperator && ov::TokenCell.SecondCode == ov::opEndOfLine)
                break;
            cells.push_back(ov::TokenCell);
        }
        return cells;
    }

    static ov::CodeType Op(int32_t op) { return {ov::ckOperator, op, 0}; }
};

// Compares kind and value only.
inline bool SameToken(const ov::CodeType &a, const ov::CodeType &b)
{
    return a.FirstCode == b.FirstCode && a.SecondCode == b.SecondCode;
}

#define EXPECT_TOKEN(cell, kind, value)                   \
    do {                                                  \
        const ov::CodeType token_ = (cell);               \
        EXPECT_EQ(token_.FirstCode, (kind));              \
        EXPECT_EQ(token_.SecondCode, (value));            \
    } while (0)
