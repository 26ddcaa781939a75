// Shared by the executor tests that drive handlers cell by cell: translating a
// whole program, and appending hand-made cells after it.
#pragma once

#include "executor/OVTranslate.h"
#include "language/OVCode.h"

#include <QString>
#include <gtest/gtest.h>
#include <initializer_list>

namespace ov::test {

// Translates `text` (lines ended by "\n") as the editor hands it over.
inline void Program(const char *text)
{
    QString source = QString::fromUtf8(text);
    source.replace(u'\n', QStringLiteral("\r\n"));
    ASSERT_TRUE(TranslateProgramText(source)) << "error " << ErrorNumber;
}

// Appends cells after the code's end cell, closed by a new end cell;
// CodePos on the first, whose position is returned.
inline int32_t Code(std::initializer_list<CodeType> cells)
{
    const int32_t start = CodeEnd + 1;
    CodePos = start;
    for (const CodeType &cell : cells)
        EmitCode(cell);
    EmitCode(CodeType{ckEof, 0, 0});
    CodeEnd = CodePos - 1;
    CodePos = start;
    return start;
}

} // namespace ov::test
