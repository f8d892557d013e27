// The window's 显示比例: the whole window drawn larger for a projector, as
// one piece (controls, fonts, the canvas from its drawing record), while the
// canvas keeps its logical size, so drawings, their coordinates and exported
// pictures do not change. Qt takes the factor only before the application
// starts: the program reads the remembered percent and sets Qt's factor
// before it makes the application, and restarts its window (carrying
// everything over, window_carry.h) when the user picks another. Only the
// scales at which the whole window, frame included, fits the screen's
// available area are offered or started at, so no scale can put a control
// out of reach. The percent is remembered in the user's settings (QSettings,
// the application's names).
#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>
#include <vector>

class QScreen;
class QSettings;

namespace dravel {

inline constexpr std::array<int, 4> kDisplayScales = {100, 125, 150, 200};

// The percent remembered in `settings`; 100 when none or not one of the
// choices.
int RememberedDisplayScale(const QSettings& settings);
// Remembers `percent` (one of the choices) in `settings`.
void RememberDisplayScale(QSettings& settings, int percent);

// Qt's scale factor for `percent`, on top of the factor `outside` that the
// environment gave (QT_SCALE_FACTOR as the program found it; empty or not a
// number: none).
QByteArray ScaleFactorFor(int percent, const QByteArray& outside);

// The room a window has on a screen, in the screen's device pixels: the
// available area (the panels left out), the frame the window manager puts
// around the window (drawn at its own size, whatever Qt's factor), and the
// device pixels a logical pixel takes at 100 % (the desktop's own ratio
// times the factor the environment gave).
struct ScreenRoom {
  QSize available;
  QSize frame;
  double ratio_at_100 = 1;
};

// The least frame reckoned with, in device pixels: before the window is
// shown its frame is unknown, and without a window manager it is none.
inline constexpr QSize kFrameAllowance{16, 48};

// `screen`'s room for a window shown at `percent` whose frame (title bar and
// borders, in the window's logical pixels) is `frame`, at least
// kFrameAllowance.
ScreenRoom RoomOn(const QScreen& screen, int percent, QSize frame = {});

// The choices at which a window of `client` logical pixels at 100 %, with
// its frame, fits `room`, smallest first. 100 is always among them: there is
// nothing smaller to fall back to.
std::vector<int> FittingDisplayScales(QSize client, const ScreenRoom& room);

// The scale to start at: `remembered` when it is among `fitting`, else the
// largest of `fitting` (which holds 100).
int StartingDisplayScale(int remembered, const std::vector<int>& fitting);

// The scale a window of `client` logical pixels at 100 % may start at on
// `screen`, whose application was made at `percent`: `percent` when the
// whole window fits the screen there, else the largest that fits.
int ScaleThatFits(const QScreen& screen, int percent, QSize client);

// Where a window's frame, `outer` in size with the frame, goes on `available`
// (logical pixels): centred, and where it is larger than the area, at the
// area's top or left edge, so its title bar and first controls stay on it.
QPoint PlaceOnScreen(const QRect& available, QSize outer);

}  // namespace dravel
