#include "mainwindow/alt_keys.h"

#include <QKeyEvent>

namespace dravel {

bool IsAltKey(const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  return modifiers.testFlag(Qt::AltModifier) && !modifiers.testFlag(Qt::ControlModifier) &&
         !event.text().isEmpty();
}

}  // namespace dravel
