// Places top-level windows and gives them their state the way a desktop's
// window manager expects. Positions are those of the outer frame. Under X a
// window that has just been shown is not yet framed nor mapped by the window
// manager: a position given then may be taken for the client's, or the frame
// offset may still be unknown, and a state asked then is dropped or undone
// by the mapping. So for a window shown through ShowWindowAt, the position
// and any state asked before the window manager has mapped it are given
// again once it has; so is a state asked of any other window shown but not
// yet mapped. Shown windows are moved through their native window, by their
// client area with the frame offset the window manager gives (a frame
// position asked of Qt would be sent on as the client's by a size asked
// before the window manager has answered). A minimised window that is
// moved or sized is restored by the window manager: its new place and size
// wait until it is restored.
#pragma once

#include <QPoint>
#include <Qt>

class QSize;
class QWidget;

namespace ov {

// Shows the window with its outer frame's top-left corner at `frame`.
void ShowWindowAt(QWidget &window, QPoint frame);
// Moves the window's outer frame to `frame`.
void PlaceWindow(QWidget &window, QPoint frame);
// Sizes the window's client area.
void ResizeWindow(QWidget &window, const QSize &size);
// Centres the window, frame and all, on its screen's available area; a
// window shown but not yet mapped is centred again once the window manager
// has framed it.
void CentreWindow(QWidget &window);
// Gives the window the states (minimised, maximised or neither).
void SetWindowStates(QWidget &window, Qt::WindowStates states);
// The window's states, including one still waiting for the mapping.
Qt::WindowStates WindowStatesOf(const QWidget &window);
// Where the window's outer frame is; for a window placed here, where it was
// asked to be until the window manager has put it there, and while it is
// maximised (where it goes back to).
QPoint FrameTopLeft(const QWidget &window);

} // namespace ov
