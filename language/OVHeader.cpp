#include "language/OVHeader.h"

#include "devices/OVCommandHistory.h"
#include "language/OVGetTokenUnit.h"
#include "platform/OVWinVersion.h"

namespace ov {

QString OperatorNames[OperatorCount + 1];
QString StatementNames[StatementCount + 1];
QString FunctionNames[FunctionCount + 1];
QString ReservedWordNames[ReservedWordCount + 1];

long double NumConstants[11];
QString StrConstants[11];
uint8_t BoolConstants[3];

int32_t ErrorNumber = 0;
int32_t ErrorSubject = 0;
int32_t ErrorPos = 0;
int32_t ReadPos = 0;
int32_t ErrorReadPos = 0;

QString OSVersionName;

void SetError(int32_t number, int32_t subject)
{
    if (ErrorNumber != 0)
        return;
    ErrorNumber = number;
    ErrorSubject = subject;
    ErrorReadPos = ReadPos;
}

void ClearError()
{
    ErrorNumber = 0;
    ErrorSubject = 0;
    ErrorSubjectText.clear();
    ErrorPos = 0;
    ErrorReadPos = 0;
}

bool IsSettingStatement(int32_t s)
{
    switch (s) {
    case stBACKCOLOR: case stBORDERCOLOR: case stCBACKCOLOR: case stCFONTCHARSET: case stCFONTCOLOR:
    case stCFONTNAME: case stCFONTSIZE: case stCFONTSTYLE: case stCWINDOWSTATE: case stDRAWMODE:
    case stDRAWSTYLE: case stDRAWWIDTH: case stEWINDOWSTATE: case stFILLSTYLE: case stFORECOLOR:
    case stGBACKCOLOR: case stGBORDERCOLOR: case stGDRAWMODE: case stGDRAWSTYLE: case stGDRAWWIDTH:
    case stGFILLSTYLE: case stGFONTCHARSET: case stGFONTCOLOR: case stGFONTNAME: case stGFONTSIZE:
    case stGFONTSTYLE: case stGFORECOLOR: case stGWINDOWSTATE: case stPRECISION: case stTBACKCOLOR:
    case stTFONTCHARSET: case stTFONTCOLOR: case stTFONTNAME: case stTFONTSIZE: case stTFONTSTYLE:
    case stTWINDOWSTATE:
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- searching

namespace {

// Halving search with the middle rounded half to even; on a sorted table it
// finds exactly the entries present.
int SearchSorted(const QString *table, int size, const QString &word)
{
    int low = 1;
    int high = size;
    do {
        const int sum = low + high;
        int middle = sum / 2;
        if (sum % 2 != 0 && middle % 2 != 0)
            ++middle;
        if (table[middle] == word)
            return middle;
        if (table[middle] > word)
            high = middle - 1;
        else
            low = middle + 1;
    } while (high >= low);
    return 0;
}

} // namespace

int SearchStatementName(const QString &word)
{
    return SearchSorted(StatementNames, StatementCount, word);
}

int SearchFunctionName(const QString &word)
{
    return SearchSorted(FunctionNames, FunctionCount, word);
}

int SearchOperatorName(const QString &word)
{
    if (word.isEmpty())
        return 0;
    for (int i = 1; i <= OperatorCount; ++i) {
        if (OperatorNames[i] == word)
            return i;
    }
    return 0;
}

// ---------------------------------------------------------------- start-up

namespace {

const char16_t *const kOperatorNames[OperatorCount + 1] = {
    u"",   u"=",  u"<>", u"><", u"<",   u">",   u"<=",  u"=<",  u">=",  u"=>",
    u"+",  u"-",  u"*",  u"/",  u"\\",  u"MOD", u"^",   u"(",   u")",   u"{",
    u"}",  u",",  u";",  u":",  u".",   u"?",   u"",    u"\"",  u"#",   u"$",
    u"'",  u"NOT", u"AND", u"OR", u"XOR", u"IMP", u"EQV", u"_", u"",   u"^Cr",
    u"",   u"?",  u"SJis", u"&", u"ChgSgn",
};

const char16_t *const kReservedWordNames[ReservedWordCount + 1] = {
    u"",
    u"AS", u"BOOLEAN", u"CALL", u"CASE", u"CLOSE", u"CONST", u"DATA", u"DIM",
    u"DO", u"ELSE", u"ELSEIF", u"END", u"EXIT", u"EXPLICIT", u"FOR", u"FUNCTION",
    u"GOSUB", u"GOTO", u"IF", u"IS", u"LET", u"LOOP", u"NEXT", u"OPEN",
    u"OPTION", u"PUBLIC", u"REAL", u"REM", u"RETURN", u"SELECT", u"STOP",
    u"STRING", u"SUB", u"THEN", u"TO", u"UNTIL", u"WEND", u"WHILE",
};

void FillNameTables()
{
    for (int i = 0; i <= OperatorCount; ++i)
        OperatorNames[i] = QString::fromUtf16(kOperatorNames[i]);
    for (int i = 0; i <= ReservedWordCount; ++i)
        ReservedWordNames[i] = QString::fromUtf16(kReservedWordNames[i]);
#define OV_FILL_STATEMENT(n, id, name) StatementNames[n] = QStringLiteral(name);
    OV_STATEMENTS(OV_FILL_STATEMENT)
#undef OV_FILL_STATEMENT
#define OV_FILL_FUNCTION(n, id, name) FunctionNames[n] = QStringLiteral(name);
    OV_FUNCTIONS(OV_FILL_FUNCTION)
#undef OV_FILL_FUNCTION
}

void FillConstants()
{
    const long double numbers[] = {0.0L, 1.0L, -1.0L, 65535.0L, 10.0L, 0.5L};
    for (int i = 0; i < 6; ++i)
        NumConstants[i + 1] = numbers[i];
    StrConstants[1] = QString();
    StrConstants[2] = QStringLiteral("? ");
    BoolConstants[1] = 1;
    BoolConstants[2] = 0;
}

} // namespace

void InitKeywordTables()
{
    static bool done = false;
    if (done)
        return;
    done = true;

    FillNameTables();
    ClearCommandHistory();
    FillConstants();
    OSVersionName = QStringLiteral("?");
    OSVersionName = GetWindowsVersionName();
}

} // namespace ov
