// A main frame and its console with the Qt run host in place, as the
// program sets them up. Message boxes of the frame are recorded and
// answered with OK.
#pragma once

#include "environment/OVFrame.h"
#include "environment/OVQtHost.h"
#include "environment/OVRunFrame.h"
#include "environment/OVRunWindows.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "executor/OVRunCommands.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

class FrameFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        using namespace ov;
        InitializeInterpreterUnits();
        ChkMsgOn = 0;
        MakeWindows();
        SetMessageBoxHook([this](QMessageBox::Icon, const QString &, const QString &text,
                                 QMessageBox::StandardButtons) {
            messages_.append(text);
            return QMessageBox::Ok;
        });
    }
    void TearDown() override
    {
        WaitForRun();
        ov::SetMessageBoxHook({});
        ov::SetRunHost(nullptr);
    }

    // Makes the frame and the console, again when they were made, from the
    // settings in force, with the run host in place.
    void MakeWindows()
    {
        using namespace ov;
        host_.reset();
        windows_.reset();
        console_.reset();
        frame_.reset();
        frame_ = std::make_unique<TOvFrameForm>(runs_);
        console_ = std::make_unique<TRunForm>(runs_);
        frame_->SetRunForm(console_.get());
        windows_ = std::make_unique<TOVRunWindows>(*console_, frame_.get());
        host_ = std::make_unique<TOVQtHost>(*windows_);
        SetRunHost(host_.get());
    }

    // Lets the worker's window steps run here until it ends (at most 20 s).
    void WaitForRun()
    {
        QElapsedTimer clock;
        clock.start();
        while (ov::RunThreadActive.load() != 0 && clock.elapsed() < 20000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(1);
        }
        runs_.Join();
        QCoreApplication::processEvents();
    }

    ov::RunController runs_;
    std::unique_ptr<ov::TOvFrameForm> frame_;
    std::unique_ptr<ov::TRunForm> console_;
    std::unique_ptr<ov::TOVRunWindows> windows_;
    std::unique_ptr<ov::TOVQtHost> host_;
    QStringList messages_;
};
