// A main frame and its console under the private X server's window manager,
// with the settings and the user's folders kept in a temporary folder of
// the test's own.
#pragma once

#include "wm_server.h"

#include "devices/OVKeySetting.h"
#include "executor/OVInterpreter.h"
#include "tests/environment/frame_fixture.h"
#include "tests/xdg_sandbox.h"

#include <QDir>
#include <QTemporaryDir>

class WmFrameFixture : public FrameFixture {
protected:
    void SetUp() override
    {
        if (!WindowManagerReady)
            GTEST_SKIP() << "no X server with a window manager";
        ASSERT_TRUE(tmp_.isValid());
        QDir().mkpath(tmp_.filePath(QStringLiteral("exe")));
        ov::SetSettingsLocations(tmp_.filePath(QStringLiteral("user/Orvane.conf")), tmp_.filePath(QStringLiteral("exe")));
        ov::LoadSettings();
        FrameFixture::SetUp();
    }
    void TearDown() override
    {
        if (!WindowManagerReady)
            return;
        FrameFixture::TearDown();
        ov::SetSettingsLocations({}, {});
        ov::LoadSettings();
        ov::InitInterpreter();
    }

    QTemporaryDir tmp_;
    XdgSandbox sandbox_{tmp_.path()};
};
