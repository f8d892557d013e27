// The Qt GUI application of libdravel-text, started only when something
// needs the platform's fonts: a script with a text command, or a contact
// sheet. Everything else (the run, the layers, PNG and SVG of lines) works
// without it, and starting it (the platform plugin, the font configuration)
// is most of the start-up of a short script. Headless: the offscreen
// platform, Qt's own notes kept out of the output. Main thread only, before
// any run; used within the library alone.
#pragma once

namespace dravel {

// Starts the application when it is not yet running.
void StartGuiApplication();
// Ends it, if it was started; before the program ends.
void EndGuiApplication();

}  // namespace dravel
