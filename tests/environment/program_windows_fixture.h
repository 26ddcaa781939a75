// The windows a run reaches without the main frame, as the program sets
// them up: the console, the control screen's window and the Qt run host.
// Programs run on a worker whose window steps run here.
#pragma once

#include "devices/OVControlFrame.h"
#include "environment/OVQtHost.h"
#include "environment/OVRunFrame.h"
#include "environment/OVRunWindows.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"

#include "wait_for_run.h"
#include <gtest/gtest.h>

class ProgramWindowsFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ov::InitializeInterpreterUnits();
        windows_.SetControlForm(&form_);
        ov::SetRunHost(&host_);
        console_.Memo1->Clear();
    }
    void TearDown() override
    {
        WaitForRun(runs_);
        ov::SetRunHost(nullptr);
    }

    void RunProgram(const QString &text)
    {
        ov::SourceText = text;
        ov::RunMode = 0;
        ov::ProgramRunning = 1;
        ov::StopRequested = 0;
        ASSERT_TRUE(runs_.Start());
        WaitForRun(runs_);
    }
    // A console line: the program's code and its subs stay.
    void RunLine(const QString &line)
    {
        ov::RunCommand = line;
        ov::RunMode = 1;
        ov::ProgramRunning = 1;
        ASSERT_TRUE(runs_.Start());
        WaitForRun(runs_);
    }
    QString Console() const { return console_.Memo1->toPlainText(); }

    ov::RunController runs_;
    ov::TRunForm console_{runs_};
    ov::TOVRunWindows windows_{console_, nullptr};
    ov::TOVControlForm form_;
    ov::TOVQtHost host_{windows_};
};
