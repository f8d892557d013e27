#include "canvas/sprite_slots.h"

namespace dravel {
namespace {

bool ValidSlot(int slot) { return slot >= 0 && slot < kSpriteSlotCount; }

}  // namespace

void SpriteSlots::SetImageSet(int slot, int image_set) {
  if (!ValidSlot(slot)) return;
  slots_[slot].image_set = image_set >= 0 && image_set < kImageSetCount ? image_set : 1;
  slots_[slot].frame = 0;
}

int SpriteSlots::ImageSet(int slot) const { return ValidSlot(slot) ? slots_[slot].image_set : 0; }

void SpriteSlots::SetOwnFrames(int slot, SpriteFrames frames) {
  if (!ValidSlot(slot)) return;
  slots_[slot].own = std::move(frames);
  slots_[slot].frame = 0;
}

void SpriteSlots::SetFrame(int slot, int frame) {
  if (!ValidSlot(slot)) return;
  const int count = FrameCount(slot);
  slots_[slot].frame = frame >= 1 && frame < count ? frame : 0;
}

int SpriteSlots::Frame(int slot) const { return ValidSlot(slot) ? slots_[slot].frame : 0; }

int SpriteSlots::FrameCount(int slot) const {
  return ValidSlot(slot) ? int(FramesOf(slots_[slot]).size()) : 0;
}

bool SpriteSlots::Advance(const TurtleModel& turtles) {
  const int shown = preview_ ? kPreviewSlot : turtles.CurrentIndex();
  if (FramesOf(slots_[shown]).empty()) return false;
  auto step = [this](Slot& slot) {
    const int count = int(FramesOf(slot).size());
    slot.frame = slot.frame + 1 < count ? slot.frame + 1 : 0;
  };
  if (preview_) {
    step(slots_[kPreviewSlot]);
    return true;
  }
  for (int i = 0; i <= turtles.HighestIndex(); ++i)
    if (turtles.TurtleAt(i).visible) step(slots_[i]);
  return true;
}

std::vector<SpritePose> SpriteSlots::Poses(const TurtleModel& turtles) const {
  std::vector<SpritePose> poses;
  auto add = [&](const Slot& slot, TurtlePoint at, double heading) {
    const SpriteFrames& frames = FramesOf(slot);
    if (slot.frame >= 0 && slot.frame < int(frames.size()))
      poses.push_back({at, heading, &frames[size_t(slot.frame)]});
  };
  if (preview_) {
    add(slots_[kPreviewSlot], {0, 0}, 0);
    return poses;
  }
  for (int i = 0; i <= turtles.HighestIndex(); ++i) {
    const TurtleState& turtle = turtles.TurtleAt(i);
    if (turtle.visible) add(slots_[i], {turtle.x, turtle.y}, turtle.heading);
  }
  return poses;
}

const SpriteFrames& SpriteSlots::FramesOf(const Slot& slot) const {
  return slot.image_set == 0 ? slot.own : BuiltInSprites(slot.image_set);
}

void LaySprites(const PixelTarget& frame, const PixelView& visible,
                const std::vector<SpritePose>& sprites) {
  for (const SpritePose& sprite : sprites) {
    if (sprite.frame == nullptr || sprite.frame->Empty()) continue;
    const PixelImage turned = TurnPixels(*sprite.frame, sprite.heading);
    const int64_t left = TruncSaturated(sprite.position.x - turned.width / 2 + frame.width / 2);
    const int64_t top = TruncSaturated(frame.height / 2 - (turned.height / 2 + sprite.position.y));
    CopyBack(frame, visible, left, top,
             TurnedSize({sprite.frame->width, sprite.frame->height}, 45));
    CopyKeyed(frame, turned.View(), left, top, kWhitePixel);
  }
}

}  // namespace dravel
