#include "language/OVCode.h"

#include "language/OVPreCode.h"

namespace ov {

std::vector<CodeType> CodeArray;
int32_t CodePos = 0;
int32_t CodeCapacity = 0;
int32_t CodeEnd = 0;
CodeType CurrentCell, NextCell, NextCell2;
uint32_t CodeGeneration = 1;

void InitCode()
{
    if (!ResizeStore(CodeArray, ScratchEnd + 1))
        return;
    CodeCapacity = ScratchEnd;
    CodeEnd = ScratchEnd;
    for (int32_t i = 0; i <= ScratchEnd; ++i)
        CodeArray[i] = CodeType{ckEof, 0, 0};
    CodeArray[0] = CodeType{};
    CodeArray[ScratchEnd] = CodeType{};
    CodePos = ProgramStart;
}

void ResetCode()
{
    if (CodeCapacity < ScratchEnd) {
        if (!ResizeStore(CodeArray, ScratchEnd + 1))
            return;
        CodeCapacity = ScratchEnd;
    }
    if (ErrorNumber != 0)
        return;
    for (int32_t i = 0; i <= ScratchEnd; ++i)
        CodeArray[i].FirstCode = ckEof;
    CodeArray[0].FirstCode = CodeArray[0].SecondCode = 0;
    CodePos = 0;
}

void EmitCode(const CodeType &cell)
{
    if (ScratchLimited && CodePos > ScratchEnd) {
        SetError(30103);
        return;
    }
    if (CodePos > CodeCapacity) {
        if (!ResizeStore(CodeArray, CodePos + 1))
            return;
        CodeCapacity = CodePos;
    }
    CodeArray[size_t(CodePos)] = cell;
    ++CodePos;
    CodeChanged();
}

void PeekCode(CodeType &cell)
{
    if (CodePos >= 0 && CodePos <= CodeCapacity)
        cell = CodeArray[size_t(CodePos)];
    else
        cell = CodeType{};
}

void PeekCodeBack(int32_t n, CodeType &cell)
{
    if (n > CodePos) {
        ErrorNumber = 10;
        return;
    }
    const int32_t index = CodePos - n;
    if (index <= CodeCapacity)
        cell = CodeArray[size_t(index)];
    else
        cell = CodeType{};
}

} // namespace ov
