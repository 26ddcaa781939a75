// DEF FN frames, the saving of a routine's variables around calls and the
// binding of array parameters, driven handler by handler over translated
// routines.
#include "executor/OVCalls.h"
#include "executor/OVControlFlow.h"
#include "executor/OVInterpreter.h"
#include "executor/OVStack.h"
#include "executor/OVTranslate.h"
#include "language/OVBoolTbl.h"
#include "language/OVCode.h"
#include "language/OVStrTbl.h"
#include "language/OVVarTable.h"
#include "tests/executor/code_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

using namespace ov;
using ov::test::Code;
using ov::test::Program;

namespace {

class CallsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeInterpreterUnits();
        InitInterpreter();
        ClearError();
    }

    // Fetches the next cell, which must be of the given kind; its value.
    static int32_t Next(int32_t kind)
    {
        FetchCurrentCell();
        EXPECT_EQ(CurrentCell.FirstCode, kind) << "at " << CodePos - 1;
        return CurrentCell.SecondCode;
    }

    // Runs the routine's entry: its range cells, then `binds` parameter cells.
    static void Enter(const char *routine, int binds = 0)
    {
        CodePos = NumVars[size_t(Num(routine))].FirstElement;
        LoadCallRecord(Next(ckBoolVarRange));
        for (int i = 0; i < binds; ++i) {
            EXPECT_EQ(Next(ckStatement), isGlPop);
            ExecBindParameters();
        }
    }

    static int32_t Num(const char *name) { return FindVar(QString::fromUtf8(name), vtNumber); }
    static NumVarType &NumRecord(const char *name) { return NumVars[size_t(Num(name))]; }
    static long double &Element(const char *name, int i)
    {
        return NumArrayData[size_t(NumRecord(name).FirstElement + i)];
    }
};

// ---------------------------------------------------------------- DEF FN

TEST_F(CallsTest, NestedDefFnCallsTakeFreshSlotsUpToOneHundredFrames)
{
    const int32_t fn = AddVar(QStringLiteral("FNA"), vtNumber).SecondCode;
    const int32_t body = Code({CodeType{ckPopLocalNum, 1, 0}, CodeType{ckLocalNumCount, 1, 0},
                               CodeType{ckLocalStrCount, 0, 0}});
    NumVars[size_t(fn)].Kind = nvDefFn;
    NumVars[size_t(fn)].FirstElement = body;
    // Call n: the argument n, then the parameter and frame cells of the body.
    const auto call = [&](int n) {
        CodePos = 1000 + n;
        PushNumber(n);
        EnterUserFunction(CodeType{ckNumVar, fn, 0});
        EXPECT_EQ(CodePos, body);
        EXPECT_EQ(LocalNumBase, n - 1);
        StoreLocalNumber(Next(ckPopLocalNum));
        PushFrameSizes(Next(ckLocalNumCount));
    };
    for (int n = 1; n <= 99; ++n)
        call(n);
    ASSERT_EQ(ErrorNumber, 0);
    for (int n = 1; n <= 99; ++n)
        EXPECT_EQ(LocalNumVars[size_t(n)].Value, n);
    call(100);
    EXPECT_EQ(ErrorNumber, 1040);

    ClearError();
    InitStacks();
    ResetSubFrames();
    FunctionReturnDepth = 0;
    LocalNumBase = 0;
    for (int n = 1; n <= 3; ++n)
        call(n);
    for (int n = 3; n >= 1; --n) {
        ExecLeaveUserFunction();
        EXPECT_EQ(CodePos, 1000 + n);
        EXPECT_EQ(LocalNumBase, std::max(n - 2, 0));  // the caller's base
    }
    EXPECT_EQ(ErrorNumber, 0);
    ExecLeaveUserFunction();
    EXPECT_EQ(ErrorNumber, 1041);

    ClearError();
    PushString(QStringLiteral("x"));
    StoreLocalNumber(1);
    EXPECT_EQ(ErrorNumber, 50021);
}

// ---------------------------------------------------------------- SUB and FUNCTION

TEST_F(CallsTest, SavingAndRestoringARoutinesVariables)
{
    Program("DIM G(1), H(2)\n"
            "SUB R(P())\n"
            "  DIM N(2), T$(1), B(1) AS BOOLEAN, K AS BOOLEAN\n"
            "  X = 1: S$ = \"A\"\n"
            "END SUB\n");
    StrVarType &s = StrVars[size_t(FindVar(QStringLiteral("0001S$"), vtString))];
    StrVarType &t = StrVars[size_t(FindVar(QStringLiteral("0001T$"), vtString))];
    BoolVarType &b = BoolVars[size_t(FindVar(QStringLiteral("0001B"), vtBoolean))];
    BoolVarType &k = BoolVars[size_t(FindVar(QStringLiteral("0001K"), vtBoolean))];
    NumVarType &p = NumRecord("0001P");
    const auto bind = [&](const char *array) {
        PushNumVarRef(Num(array));
        Code({CodeType{ckNumArrVar, Num("0001P"), 0}});
        ExecBindParameters();
    };
    Enter("R");
    bind("G");
    ASSERT_EQ(ErrorNumber, 0);
    EXPECT_EQ(p.FirstElement, NumRecord("G").FirstElement);
    EXPECT_EQ(p.Kind, nvArray);

    NumRecord("0001X").Value = 1.5L;
    s.Value = QStringLiteral("s");
    k.Value = 1;
    Element("0001N", 2) = 3;
    StrArrayData[size_t(t.FirstElement + 1)] = QStringLiteral("t1");
    BoolArrayData[size_t(b.FirstElement + 1)] = StoredTrue;
    ExecSaveLocals();
    ASSERT_EQ(ErrorNumber, 0);

    // A recursive call overwrites everything and binds P to H.
    NumRecord("0001X").Value = 9;
    s.Value.clear();
    k.Value = 0;
    Element("0001N", 2) = 0;
    StrArrayData[size_t(t.FirstElement + 1)].clear();
    BoolArrayData[size_t(b.FirstElement)] = StoredTrue;
    BoolArrayData[size_t(b.FirstElement + 1)] = 0;
    bind("H");
    ExecRestoreLocals();

    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(LoTagStackTop, 0);
    EXPECT_EQ(NumRecord("0001X").Value, 1.5L);
    EXPECT_EQ(s.Value, QStringLiteral("s"));
    EXPECT_EQ(k.Value, 1);
    EXPECT_EQ(Element("0001N", 2), 3);
    EXPECT_EQ(StrArrayData[size_t(t.FirstElement + 1)], QStringLiteral("t1"));
    EXPECT_EQ(BoolArrayData[size_t(b.FirstElement)], 0);
    EXPECT_EQ(BoolArrayData[size_t(b.FirstElement + 1)], StoredTrue);
    EXPECT_EQ(p.FirstElement, NumRecord("G").FirstElement);
    EXPECT_EQ(p.Bound[0], 1);
}

// The value stack holds at most its entry limit, whichever push fills it:
// the inline pushes stop there too, though the arrays have grown beyond it.
TEST_F(CallsTest, TheValueStackStopsAtItsEntryLimit)
{
    InitStacks();
    for (int i = 1; i < StackEntryLimit && ErrorNumber == 0; ++i)
        PushNumber(i);
    ASSERT_EQ(ErrorNumber, 0);
    ASSERT_EQ(TagStackTop, StackEntryLimit - 1);
    PushNumber(1);
    EXPECT_EQ(ErrorNumber, 30102);
    ClearError();
    PushNumVarRef(1);
    EXPECT_EQ(ErrorNumber, 30102);
    ClearError();
    PushString(QStringLiteral("x"));
    EXPECT_EQ(ErrorNumber, 30102);
    ClearError();
    PushBool(true);
    EXPECT_EQ(ErrorNumber, 30102);
    EXPECT_EQ(TagStackTop, StackEntryLimit - 1);
    EXPECT_EQ(PopNumber(), StackEntryLimit - 1);
    ClearError();
    InitStacks();
}

TEST_F(CallsTest, SavingAHugeArrayFailsBeforeAnythingIsPushed)
{
    Program("SUB R\n  DIM A(2000, 2000)\n  X = 1\nEND SUB\n");
    Enter("R");
    ExecSaveLocals();
    EXPECT_EQ(ErrorNumber, 30102);
    EXPECT_EQ(LoTagStackTop, 0);
}

TEST_F(CallsTest, ARecursiveCallMayPassItsParametersSwapped)
{
    // In CALL SW(R(), P()) each argument names the array its parameter
    // named before the inner call rebinds them.
    Program("DIM M(1), Q(2)\nSUB SW(P(), R())\nCALL SW(R(), P())\nEND SUB\n");
    const int32_t m = NumRecord("M").FirstElement;
    const int32_t q = NumRecord("Q").FirstElement;
    PushNumVarRef(Num("M"));
    PushNumVarRef(Num("Q"));
    Enter("SW", 2);
    EXPECT_EQ(NumRecord("0001P").FirstElement, m);
    EXPECT_EQ(NumRecord("0001R").FirstElement, q);

    PushNumVarRef(Num("0001R"));
    PushNumVarRef(Num("0001P"));
    ExecSaveLocals();
    Enter("SW", 2);
    EXPECT_EQ(NumRecord("0001P").FirstElement, q);
    EXPECT_EQ(NumRecord("0001P").Bound[0], 2);
    EXPECT_EQ(NumRecord("0001R").FirstElement, m);

    CallRecord record{};
    PopCallRecord(record);
    ExecRestoreLocals();
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(NumRecord("0001P").FirstElement, m);
    EXPECT_EQ(NumRecord("0001R").FirstElement, q);
}

TEST_F(CallsTest, WritesThroughAnArrayParameterSurviveTheCallersRestore)
{
    // R passes its own array A to S and keeps N to itself. The scanner flags
    // an array passed as "A()"; an unflagged one is saved with R's variables
    // and must still keep what S wrote through the reference.
    for (const uint8_t flag : {uint8_t(1), uint8_t(0)}) {
        SCOPED_TRACE(flag);
        Program("SUB R\n  DIM A(3), N(1)\n  CALL S(A())\nEND SUB\nSUB S(P())\n  P(1) = 7\nEND SUB\n");
        NumRecord("0001A").ArrayParam = flag;
        Enter("R");
        Element("0001A", 1) = 5;
        Element("0001N", 0) = 5;

        PushNumVarRef(Num("0001A"));
        ExecSaveLocals();
        const int32_t back = Code({CodeType{ckNumVar, Num("S"), 0}});
        ExecCallRoutine();
        LoadCallRecord(Next(ckBoolVarRange));
        EXPECT_EQ(Next(ckStatement), isGlPop);
        ExecBindParameters();
        Element("0002P", 1) = 7;
        Element("0001N", 0) = 7;  // as a recursive call of R would
        ExecEndSub();
        EXPECT_EQ(CodePos, back + 1);
        ExecRestoreLocals();

        EXPECT_EQ(ErrorNumber, 0);
        EXPECT_EQ(Element("0001A", 1), 7);
        EXPECT_EQ(Element("0001N", 0), 5);
        EXPECT_EQ(LoTagStackTop, 0);
    }
}

TEST_F(CallsTest, CallAndParameterFaults)
{
    Program("DIM A(1)\nSUB S(P())\nEND SUB\n");
    PushNumber(1);  // a number for an array parameter
    Code({CodeType{ckNumArrVar, Num("0001P"), 0}});
    ExecBindParameters();
    EXPECT_EQ(ErrorNumber, 53131);
    for (const char *target : {"A", "S"}) {
        ClearError();
        NumRecord("S").FirstElement = 1 << 30;  // past the code
        Code({CodeType{ckNumVar, Num(target), 0}});
        ExecCallRoutine();
        EXPECT_EQ(ErrorNumber, 54033) << target;
    }
}

} // namespace
