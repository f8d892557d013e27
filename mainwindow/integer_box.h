// IntegerBox: the single-line edit box in integer-input mode. Typed characters
// other than digits and '-' are refused, and so are Alt keys (alt_keys.h); when
// the box loses the focus its text becomes the integer it begins with
// (LeadingInteger, runtime/value.h, which the page's box asks too), and 0
// leaves it empty. Pasted text is not filtered: the focus-out rule cleans it.
// Window thread only.
#pragma once

#include <QLineEdit>

#include "runtime/text.h"

namespace dravel {

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
