// The Qt GUI application of dravel-render, started only when something needs
// the platform's fonts: a script with a text command, or a contact sheet.
// Everything else (the run, the layers, PNG and SVG of lines) works without
// it, and starting it (the platform plugin, the font configuration) is most
// of the start-up of a short script. Main thread only, before any run.
#pragma once

#include <string_view>

namespace dravel {

// Keeps the command line for the application, should it be started.
void KeepCommandLine(int& argc, char** argv);
// Starts the application when it is not yet running.
void StartGuiApplication();
// Ends it, if it was started; before main returns.
void EndGuiApplication();
// Starts it when `gbk_script` may write text: it names the text command's
// keyword or alias anywhere (a false alarm only costs the start-up).
void StartGuiApplicationFor(std::string_view gbk_script);

}  // namespace dravel
