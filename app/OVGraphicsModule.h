// The graphics of the headless runner, in a module of their own that the
// runner loads when a program first draws. Qt Gui and the libraries it
// brings take longer to load than a short run takes, so a run that never
// draws does without them. The module holds the drawing surface and the
// application object that text drawing needs.
#pragma once

#include <QString>
#include <functional>

namespace ov {

class GraphSurfaceAccess;

struct GraphicsModule {
    // The drawing surface of the process.
    GraphSurfaceAccess *(*Surface)();
    // Sets the call that has the main thread make the application object.
    void (*SetApplicationMaker)(std::function<void()> maker);
    // Makes the application object and, at the end, deletes it; on the main
    // thread.
    void (*MakeApplication)();
    void (*EndApplication)();
    // Saves the picture as a PNG; false when no screen is open or it failed.
    bool (*SavePng)(const QString &path);
};

// The file name of the module, which stands beside the runner, and its entry.
constexpr const char *GraphicsModuleFile = "libovgraphicsmodule.so";
constexpr const char *GraphicsModuleEntry = "OvGraphicsModule";
using GraphicsModuleEntryType = const GraphicsModule *(*)();

} // namespace ov
