// The drawing statements: CIRCLE, LINE (with boxes), PAINT, PSET, PRESET,
// FILEPSET and GLOCATE, and the pixel read GETRGBPIXEL. Each converts world
// coordinates, fetches its optional argument cells and draws on the surface
// with one lock, on the worker.
#pragma once

#include <QString>
#include <cstdint>

namespace ov {

// A name with its leading digits and blanks removed (the routine number of
// a local name): how option words such as B, BF and F are recognised.
QString StripLeadingDigits(const QString &name);

// Runs the drawing statement with this value; false when it is not one.
bool DispatchDrawingStatement(int32_t s);
// GETRGBPIXEL; false for other function values.
bool DispatchDrawingFunction(int32_t f);

} // namespace ov
