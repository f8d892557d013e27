#include "mainwindow/display_scale.h"

#include <QSettings>
#include <algorithm>
#include <cassert>

namespace dravel {
namespace {

const QString kKey = QStringLiteral("window/display_scale");

bool IsChoice(int percent) {
  return std::find(kDisplayScales.begin(), kDisplayScales.end(), percent) != kDisplayScales.end();
}

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

}  // namespace dravel
