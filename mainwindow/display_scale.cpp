#include "mainwindow/display_scale.h"

#include <QScreen>
#include <QSettings>
#include <algorithm>
#include <cassert>
#include <cmath>

namespace dravel {
namespace {

const QString kKey = QStringLiteral("window/display_scale");

bool IsChoice(int percent) {
  return std::find(kDisplayScales.begin(), kDisplayScales.end(), percent) != kDisplayScales.end();
}

int DevicePixels(int logical, double ratio) { return int(std::ceil(logical * ratio - 1e-9)); }

// One axis: centred, but never before the area's start.
int PlaceAlong(int start, int room, int size) { return start + std::max(0, (room - size) / 2); }

}  // namespace

int RememberedDisplayScale(const QSettings& settings) {
  bool ok = false;
  const int percent = settings.value(kKey).toInt(&ok);
  return ok && IsChoice(percent) ? percent : 100;
}

void RememberDisplayScale(QSettings& settings, int percent) {
  assert(IsChoice(percent));
  settings.setValue(kKey, percent);
  settings.sync();
}

QByteArray ScaleFactorFor(int percent, const QByteArray& outside) {
  bool ok = false;
  const double given = outside.toDouble(&ok);
  const double factor = (ok && given > 0 ? given : 1.0) * percent / 100.0;
  return QByteArray::number(factor, 'g', 6);
}

ScreenRoom RoomOn(const QScreen& screen, int percent, QSize frame) {
  const double ratio = screen.devicePixelRatio();
  const QSize frame_device(DevicePixels(frame.width(), ratio), DevicePixels(frame.height(), ratio));
  const QSize available = screen.availableGeometry().size();
  return {QSize(DevicePixels(available.width(), ratio), DevicePixels(available.height(), ratio)),
          frame_device.expandedTo(kFrameAllowance), ratio * 100.0 / percent};
}

std::vector<int> FittingDisplayScales(QSize client, const ScreenRoom& room) {
  std::vector<int> fitting;
  for (int percent : kDisplayScales) {
    const double ratio = room.ratio_at_100 * percent / 100.0;
    const QSize outer(DevicePixels(client.width(), ratio) + room.frame.width(),
                      DevicePixels(client.height(), ratio) + room.frame.height());
    if (percent == 100 ||
        (outer.width() <= room.available.width() && outer.height() <= room.available.height())) {
      fitting.push_back(percent);
    }
  }
  return fitting;
}

int StartingDisplayScale(int remembered, const std::vector<int>& fitting) {
  assert(!fitting.empty());
  if (std::find(fitting.begin(), fitting.end(), remembered) != fitting.end()) return remembered;
  return fitting.back();
}

int ScaleThatFits(const QScreen& screen, int percent, QSize client) {
  return StartingDisplayScale(percent, FittingDisplayScales(client, RoomOn(screen, percent)));
}

QPoint PlaceOnScreen(const QRect& available, QSize outer) {
  return {PlaceAlong(available.left(), available.width(), outer.width()),
          PlaceAlong(available.top(), available.height(), outer.height())};
}

}  // namespace dravel
