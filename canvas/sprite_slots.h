// The canvas's 21 sprite slots (turtles 0 to 19, and 20 for a host's
// preview): the image set each shows (a built-in one, or 0 for the slot's
// own frames), the frame it shows now, stepping the frames for the
// animation, and laying the turtles' sprites on a frame as a paint does. The
// turtles themselves are the model's; the slots only read them.
#pragma once

#include <array>
#include <vector>

#include "canvas/pixel_format.h"
#include "canvas/pixel_image.h"
#include "canvas/sprite_frames.h"
#include "canvas/turtle_model.h"

namespace dravel {

inline constexpr int kSpriteSlotCount = 21;
inline constexpr int kPreviewSlot = 20;

// One sprite to lay: a frame facing up, turned to `heading` and centred on
// `position`.
struct SpritePose {
  TurtlePoint position;
  double heading = 0;
  const PixelImage* frame = nullptr;
};

class SpriteSlots {
 public:
  // Slot numbers outside 0..20 are ignored (getters give 0). Setting the
  // image set (outside 0..10 becomes 1) or the own frames puts the slot's
  // frame back to 0.
  void SetImageSet(int slot, int image_set);
  int ImageSet(int slot) const;
  void SetOwnFrames(int slot, SpriteFrames frames);
  // A frame outside 1..count-1 becomes 0.
  void SetFrame(int slot, int frame);
  int Frame(int slot) const;
  int FrameCount(int slot) const;

  // The animation tick: when the slot shown (the current turtle's, or the
  // preview's) has frames, steps every visible slot up to the highest (or
  // the preview alone) to its next frame and gives true; otherwise changes
  // nothing and gives false.
  bool Advance(const TurtleModel& turtles);
  // Shows only slot 20, at the centre, facing up.
  void SetPreview(bool preview) { preview_ = preview; }

  // The sprites a paint lays, in order.
  std::vector<SpritePose> Poses(const TurtleModel& turtles) const;

 private:
  struct Slot {
    int image_set = 1;
    int frame = 0;
    SpriteFrames own;
  };

  const SpriteFrames& FramesOf(const Slot& slot) const;

  std::array<Slot, kSpriteSlotCount> slots_{};
  bool preview_ = false;
};

// Lays `sprites` on `frame`, a copy of `visible`: each turned to its heading
// and centred on its turtle, white left out, after the area of its frame
// turned by 45 degrees is copied back from `visible` (which also wipes
// earlier sprites there).
void LaySprites(const PixelTarget& frame, const PixelView& visible,
                const std::vector<SpritePose>& sprites);

}  // namespace dravel
