// The single-script run of dravel-render and of the web edition's node
// command, written once: the script read, a canvas set up as the window's
// (the options' size, edge mode and pen width), the run, the hint and the
// --state line printed, the picture written. What differs between the two,
// the canvas and how a run is stopped, is the edition's (RenderEdition).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "apps/dravel-render/render_options.h"
#include "canvas/canvas.h"
#include "runtime/text.h"

namespace dravel {

// One edition's canvas and run.
class RenderEdition {
 public:
  virtual ~RenderEdition() = default;
  // Makes the canvas for the options and `script` (GBK) and sets it up
  // (SetRenderLook); the refusal, when it cannot (no memory for the canvas,
  // no text painter for a script that writes text).
  virtual std::optional<std::string> Prepare(const RenderOptions& options, const Text& script) = 0;
  // Runs `script` on the prepared canvas, pressing stop at the options'
  // timeout; the hint text.
  virtual Text Run(const RenderOptions& options, const Text& script) = 0;
  virtual TurtleState State() = 0;
  // With the options' references, prints the score (得分 N; a dash when the
  // run was stopped before its end) to `text` and writes the overlay when
  // asked; 0, or 2 when a reference is bad.
  virtual int Score(const RenderOptions& options, std::ostream& text, bool ran_to_end) = 0;
  // The picture for the options' output (PNG for "-"); empty when it could
  // not be made.
  virtual std::string Picture(const RenderOptions& options) = 0;
  // Writes `bytes` to the file `path`; false when it could not.
  virtual bool Write(const std::string& path, const std::string& bytes) = 0;
};

// Runs options.script_path on `edition`, saying what went wrong on standard
// error as `program`; the exit status (as RenderUsage says).
int Render(const RenderOptions& options, std::string_view program, RenderEdition& edition);

// The window's look (window_look.h) with the options' edge mode and pen width.
void SetRenderLook(Canvas& canvas, const RenderOptions& options);

// The refusal of an output the program cannot write, before anything runs: a
// single script's picture with an extension not among `extensions`, a
// contact sheet not a PNG; nullopt when every output may be written.
std::optional<std::string> RefusedOutputs(const RenderOptions& options, bool folder,
                                          const std::vector<std::string_view>& extensions);

}  // namespace dravel
