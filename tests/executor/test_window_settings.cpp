// The window settings statements driven with hand-pushed arguments: the
// errors they report, and what reaches the windows through the host.
#include "devices/OVControlState.h"
#include "devices/OVWindowState.h"
#include "executor/OVHeadlessHost.h"
#include "executor/OVInterpreter.h"
#include "executor/OVStack.h"
#include "executor/OVWindowSettings.h"

#include <gtest/gtest.h>
#include <variant>

using namespace ov;

namespace {

using Argument = std::variant<long double, QString, bool>;

class WindowSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeInterpreterUnits();
        InitInterpreter();
        SetRunHost(&host_);
        ClearError();
        GraphScreenOpen = 0;
        ControlScreenOpen = 0;
    }
    void TearDown() override
    {
        GraphScreenOpen = 0;
        ControlScreenOpen = 0;
        SetRunHost(nullptr);
    }

    // Runs statement s with the arguments (the last on top); its error.
    static int32_t Run(int32_t s, std::initializer_list<Argument> arguments)
    {
        for (const Argument &a : arguments) {
            if (const auto *n = std::get_if<long double>(&a))
                PushNumber(*n);
            else if (const auto *text = std::get_if<QString>(&a))
                PushString(*text);
            else
                PushBool(std::get<bool>(a));
        }
        EXPECT_TRUE(DispatchWindowSettingStatement(s));
        return TakeError();
    }
    // The read of statement s: its text, or "error N".
    static QString Read(int32_t s)
    {
        EXPECT_TRUE(DispatchWindowSettingRead(SettingReadBase + s));
        if (ErrorNumber != 0)
            return QStringLiteral("error %1").arg(TakeError());
        return TopTag() == tagString ? PopString() : QString::number(double(PopNumber()));
    }
    static int32_t TakeError()
    {
        const int32_t error = ErrorNumber;
        lastSubject_ = ErrorSubject;
        ClearError();
        TagStackTop = StrStackTop = NumStackTop = BoolStackTop = 0;
        return error;
    }

    HeadlessHost host_;
    static inline int32_t lastSubject_ = 0;
};

} // namespace

TEST_F(WindowSettings, WrongArgumentsNameTheStatement)
{
    const struct {
        int32_t statement;
        std::initializer_list<Argument> arguments;
        int32_t error;
    } cases[] = {
        {stBACKCOLOR, {16.0L}, 50031},          {stGBACKCOLOR, {-0.5L}, 50031},
        {stTFONTCOLOR, {true}, 50031},          {stCFONTSIZE, {501.0L}, 50031},
        {stTFONTSIZE, {u"9"_qs}, 50031},        {stGFONTCHARSET, {-1.0L}, 50031},
        {stTFONTNAME, {1.0L}, 50031},           {stCFONTSTYLE, {2.0L}, 50031},
        {stGWINDOWSTATE, {1.0L}, 50031},        {stPRECISION, {u"5"_qs}, 50022},
        {stPRINTTITLE, {1.0L}, 50022},          {stPRINTITITLE, {true}, 50022},
        {stTWPOSITION, {u"a"_qs, 1.0L}, 50022}, {stEWPOSITION, {1.0L, u"b"_qs}, 50022},
        {stGWPOSITION, {1.0L}, 50022},          {stIBPOSITION, {u"a"_qs, 1.0L}, 50022},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Run(c.statement, c.arguments), c.error) << c.statement;
        EXPECT_EQ(lastSubject_, c.statement);
    }
}

TEST_F(WindowSettings, PositionsAreClampedAndApplied)
{
    EXPECT_EQ(Run(stTWPOSITION, {-5.0L, 5000.0L}), 0);
    EXPECT_EQ(host_.WindowPosition(ProgramWindow::Console), QPoint(0, 1200));
    EXPECT_EQ(Run(stEWPOSITION, {2600.9L, 10.7L}), 0);
    EXPECT_EQ(host_.WindowPosition(ProgramWindow::MainFrame), QPoint(2600, 10));
    EXPECT_EQ(TagStackTop, 0);

    // Closed screens keep the place for their next opening.
    EXPECT_EQ(Run(stGWPOSITION, {1e30L, 7.5L}), 0);
    EXPECT_EQ(Run(stCWPOSITION, {3.0L, 4.0L}), 0);
    EXPECT_EQ(QPoint(GraphWindowLeft, GraphWindowTop), QPoint(2600, 7));
    EXPECT_EQ(QPoint(ControlWindowLeft, ControlWindowTop), QPoint(3, 4));
    EXPECT_EQ(host_.WindowPosition(ProgramWindow::Graphics), QPoint());
    EXPECT_EQ(host_.WindowPosition(ProgramWindow::Control), QPoint());
    GraphScreenOpen = 1;
    ControlScreenOpen = 1;
    EXPECT_EQ(Run(stGWPOSITION, {5.0L, 6.0L}), 0);
    EXPECT_EQ(Run(stCWPOSITION, {8.0L, 9.0L}), 0);
    EXPECT_EQ(host_.WindowPosition(ProgramWindow::Graphics), QPoint(5, 6));
    EXPECT_EQ(host_.WindowPosition(ProgramWindow::Control), QPoint(8, 9));

    EXPECT_EQ(Run(stIBPOSITION, {3000.0L, 5.5L}), 0);
    EXPECT_EQ(InputBoxPositionSet, 1);
    EXPECT_EQ(QPoint(InputBoxLeft, InputBoxTop), QPoint(2600, 5));
    EXPECT_EQ(Run(stIBPOSITION, {-1.0L, 100.0L}), 0);
    EXPECT_EQ(InputBoxPositionSet, 0);  // centred again
}

TEST_F(WindowSettings, StatesOfClosedScreens)
{
    EXPECT_EQ(Read(stGWINDOWSTATE), u"error 50006");
    EXPECT_EQ(Read(stCWINDOWSTATE), u"error 54110");
    EXPECT_EQ(Run(stGWINDOWSTATE, {u"maximize"_qs}), 0);
    EXPECT_EQ(host_.WindowShowStateOf(ProgramWindow::Graphics), WindowShowState::Normal);
    EXPECT_EQ(Run(stCWINDOWSTATE, {u"minimize"_qs}), 0);
    EXPECT_EQ(host_.WindowShowStateOf(ProgramWindow::Control), WindowShowState::Normal);

    GraphScreenOpen = 1;
    ControlScreenOpen = 1;
    EXPECT_EQ(Read(stGWINDOWSTATE), u"Normal");
    EXPECT_EQ(Run(stGWINDOWSTATE, {u"maximize"_qs}), 0);
    EXPECT_EQ(Read(stGWINDOWSTATE), u"Maximize");
    EXPECT_EQ(Run(stGWINDOWSTATE, {u"BIG"_qs}), 0);
    EXPECT_EQ(Read(stGWINDOWSTATE), u"Maximize");
    EXPECT_EQ(Run(stCWINDOWSTATE, {u"MINIMIZE"_qs}), 0);
    EXPECT_EQ(Read(stCWINDOWSTATE), u"Minimize");
}

TEST_F(WindowSettings, CaptionsReachOnlyOpenScreens)
{
    EXPECT_EQ(Run(stPRINTTITLE, {u"console"_qs}), 0);
    EXPECT_EQ(Run(stPRINTGTITLE, {u"graph"_qs}), 0);
    EXPECT_EQ(Run(stPRINTCTITLE, {u"control"_qs}), 0);
    EXPECT_EQ(Run(stPRINTITITLE, {u"box"_qs}), 0);
    EXPECT_EQ(host_.WindowCaption(ProgramWindow::Console), u"console");
    EXPECT_EQ(host_.WindowCaption(ProgramWindow::Graphics), QString());
    EXPECT_EQ(host_.WindowCaption(ProgramWindow::Control), QString());
    EXPECT_EQ(InputBoxTitle, u"box");
    GraphScreenOpen = 1;
    ControlScreenOpen = 1;
    EXPECT_EQ(Run(stPRINTGTITLE, {u"graph"_qs}), 0);
    EXPECT_EQ(Run(stPRINTCTITLE, {u"control"_qs}), 0);
    EXPECT_EQ(host_.WindowCaption(ProgramWindow::Graphics), u"graph");
    EXPECT_EQ(host_.WindowCaption(ProgramWindow::Control), u"control");
}

TEST_F(WindowSettings, PenReadsAreLeftToTheGraphicsScreen)
{
    EXPECT_FALSE(DispatchWindowSettingRead(SettingReadBase + stDRAWMODE));
    EXPECT_FALSE(DispatchWindowSettingRead(SettingReadBase + stTWPOSITION));
    EXPECT_FALSE(DispatchWindowSettingStatement(stDRAWMODE));
    EXPECT_EQ(TagStackTop, 0);
}
