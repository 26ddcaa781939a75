#include "app/OVGraphicsModule.h"

#include "devices/OVGraphSurface.h"

#include <QGuiApplication>
#include <memory>

namespace {

std::unique_ptr<QGuiApplication> Application;

const ov::GraphicsModule Module = {
    [] { return static_cast<ov::GraphSurfaceAccess *>(&ov::GraphSurfaceObject()); },
    ov::SetApplicationMaker,
    [] { Application = ov::MakeOffscreenApplication(); },
    [] { Application.reset(); },
    ov::SaveGraphicsPng,
};

} // namespace

extern "C" Q_DECL_EXPORT const ov::GraphicsModule *OvGraphicsModule()
{
    return &Module;
}
