// IntegerBox: the single-line edit box in integer-input mode. Typed characters
// other than digits and '-' are refused, and so are Alt keys (alt_keys.h); when
// the box loses the focus its text becomes the integer it begins with, and 0
// leaves it empty. Pasted text is not filtered: the focus-out rule cleans it.
// Window thread only.
#pragma once

#include <QLineEdit>

#include "runtime/text.h"

namespace dravel {

// The integer that `text` begins with: leading white space skipped, an optional
// sign, decimal digits read in 64 bits (saturating), clamped to the int32 range.
// No digits give 0.
int LeadingInteger(const QString& text);

class IntegerBox : public QLineEdit {
  Q_OBJECT

 public:
  explicit IntegerBox(QWidget* parent = nullptr);

  Text Content() const;
  void SetContent(const Text& gbk);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace dravel
