// States, places and sizes of top-level windows that hold under a window
// manager. A state asked of a window that is shown but not yet mapped by
// the manager is lost there (the manager maps it as it first found it), so
// it is asked again once the manager has mapped the window, and reads as
// asked until then. A minimised window that is moved or resized is restored
// by the manager, so its new place and size wait until it is restored. The
// frame the manager puts around a window is known once it has mapped it.
#pragma once

#include <Qt>

class QPoint;
class QSize;
class QWidget;

namespace ov {

// Sets the state of a top-level window (minimised, maximised or neither),
// shown or hidden; a hidden window takes it when it is shown.
void SetTopLevelState(QWidget &window, Qt::WindowStates states);

// The state the window has, or the one it was asked and takes once the
// window manager has mapped it.
Qt::WindowStates TopLevelState(const QWidget &window);

// Moves a top-level window (its frame's corner) or sizes it (without the
// frame); a minimised window stays so and takes them when restored.
void MoveTopLevel(QWidget &window, const QPoint &position);
void ResizeTopLevel(QWidget &window, const QSize &size);

// Centres a top-level window, frame and all, on its screen's available
// area; a window shown but not yet mapped is centred again, with its frame,
// once the manager has mapped it.
void CentreOnScreen(QWidget &window);

// Widens a small top-level window so that the manager's title bar shows its
// whole title beside the bar's buttons; a message box, which sizes itself
// when shown, keeps the width too.
void WidenForTitle(QWidget &window);

} // namespace ov
