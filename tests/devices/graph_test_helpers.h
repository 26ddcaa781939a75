// Shared by the graphics tests that run whole programs: the host and the
// surface attached, and a program handed over as the editor's Run does.
#pragma once

#include "devices/OVGraphCanvas.h"
#include "devices/OVGraphState.h"
#include "devices/OVGraphSurface.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "executor/OVRunHost.h"
#include "language/OVHeader.h"

#include <QString>

namespace ov::test {

inline void AttachGraphics(RunHost *host)
{
    if (host != nullptr)
        InitializeInterpreterUnits();
    SetRunHost(host);
    SetGraphSurface(host != nullptr ? &GraphSurfaceObject() : nullptr);
    GraphScreenOpen = 0;
}

// `program` (lines ended by "\n") becomes the text of the next run.
inline void LoadProgram(const QString &program)
{
    SourceText = QString(program).replace(u'\n', QStringLiteral("\r\n"));
    RunMode = 0;
    ProgramRunning = 1;
    StopRequested = 0;
}

} // namespace ov::test
