#include "language/OVPreCode.h"

#include "language/OVGetTokenUnit.h"

#include <new>
#include <stdexcept>

namespace ov {

std::vector<CodeType> PreCodeArray;
int32_t PreCodePos = 0;
int32_t PreCodeMax = 0;
int32_t PreCodeScanEnd = 0;
bool ScratchLimited = false;

bool ResizeStore(std::vector<CodeType> &store, int32_t count)
{
    try {
        store.resize(static_cast<size_t>(count));
        return true;
    } catch (const std::bad_alloc &) {
    } catch (const std::length_error &) {
    }
    SetError(30101);
    return false;
}

void InitPreCode()
{
    if (!ResizeStore(PreCodeArray, ScratchEnd + 1))
        return;
    PreCodeMax = ScratchEnd;
    PreCodeScanEnd = ScratchEnd;
    for (int32_t i = 0; i <= ScratchEnd; ++i)
        PreCodeArray[i] = CodeType{};
    PreCodeArray[0] = CodeType{ckOperator, opColon, 0};
    PreCodeArray[ScratchEnd] = CodeType{ckOperator, opColon, 0};
}

void ResetPreCode()
{
    if (PreCodeMax < ScratchEnd) {
        if (!ResizeStore(PreCodeArray, ScratchEnd + 1))
            return;
        PreCodeMax = ScratchEnd;
    }
    if (ErrorNumber != 0)
        return;
    for (int32_t i = 0; i <= ScratchEnd; ++i)
        PreCodeArray[i].FirstCode = ckEof;
    PreCodeArray[0].FirstCode = PreCodeArray[0].SecondCode = 0;
    PreCodeArray[ScratchEnd].FirstCode = PreCodeArray[ScratchEnd].SecondCode = 0;
}

void EmitPreCode(CodeType cell)
{
    if (cell.FirstCode == ckNone)
        return;
    if (ScratchLimited && PreCodePos > ScratchEnd) {
        SetError(30103);
        return;
    }
    if (PreCodePos > PreCodeMax) {
        if (!ResizeStore(PreCodeArray, PreCodePos + 1))
            return;
        PreCodeMax = PreCodePos;
    }
    if (InIncludeText == 0)
        cell.SourcePos = TokenSourcePos;
    else if (InIncludeText == 1)
        cell.SourcePos = IncludeSourcePos;
    PreCodeArray[PreCodePos] = cell;
    ++PreCodePos;
}

void GetNextPreCode(CodeType &cell)
{
    PeekPreCode(cell);
    ++PreCodePos;
}

void PeekPreCode(CodeType &cell)
{
    if (PreCodePos >= 0 && PreCodePos <= PreCodeMax) {
        cell = PreCodeArray[PreCodePos];
        ReadPos = cell.SourcePos;
    } else {
        cell.FirstCode = ckNone;
    }
}

void PeekPreCodeAhead(int32_t n, CodeType &cell)
{
    const int64_t index = int64_t(PreCodePos) + n;
    if (index >= 0 && index <= PreCodeMax)
        cell = PreCodeArray[size_t(index)];
    else
        cell.FirstCode = ckNone;
}

void PeekPreCodeBack(int32_t n, CodeType &cell)
{
    const int64_t index = int64_t(PreCodePos) - n;
    if (n <= PreCodePos && index >= 0 && index <= PreCodeMax)
        cell = PreCodeArray[size_t(index)];
    else
        cell.FirstCode = ckNone;
}

} // namespace ov
