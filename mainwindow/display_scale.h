// The window's 显示比例: the whole window drawn larger for a projector, as
// one piece (controls, fonts, the canvas from its drawing record), while the
// canvas keeps its logical size, so drawings, their coordinates and exported
// pictures do not change. Qt takes the factor only before the application
// starts: the program reads the remembered percent and sets Qt's factor
// before it makes the application, and restarts its window (carrying
// everything over, window_carry.h) when the user picks another. The percent
// is remembered in the user's settings (QSettings, the application's names).
#pragma once

#include <QByteArray>
#include <array>

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

}  // namespace dravel
