// Which key presses belong to the window rather than to the box with the
// focus: a letter or digit pressed with Alt is a button's mnemonic, or a key
// that no button takes (the run button disabled during a run, or a letter no
// button names). Either way an edit box must not type it. Window thread only.
#pragma once

class QKeyEvent;

namespace dravel {

// True for a key with text pressed with Alt but not Ctrl (Ctrl+Alt is how
// AltGr arrives on some systems, and it types characters).
bool IsAltKey(const QKeyEvent& event);

}  // namespace dravel
