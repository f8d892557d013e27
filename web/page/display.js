// What the page shows of its worker: the frames on the canvas and the hint
// box, brought up to date at most once per display frame, since frames and
// hint texts come faster than the screen shows them.
import { Hint } from './hint.js';

export class Display {
  // `canvas`: the page's canvas; `hintBox`: the hint box's textarea;
  // `giveBack(buffers)`: takes the buffers of frames shown or passed over.
  constructor(canvas, hintBox, giveBack) {
    this.canvas = canvas;
    this.giveBack = giveBack;
    this.context = canvas.getContext('2d');
    this.pendingFrame = null;
    this.scheduled = false;
    this.hint = new Hint(hintBox, () => this.schedule());
  }

  // A frame from the worker ({width, height, pixels}), shown at the next display frame.
  frame(message) {
    if (this.pendingFrame !== null) this.giveBack([this.pendingFrame.pixels]);
    this.pendingFrame = message;
    this.schedule();
  }

  schedule() {
    if (this.scheduled) return;
    this.scheduled = true;
    requestAnimationFrame(() => this.show());
  }

  show(now = false) {
    this.scheduled = false;
    if (this.pendingFrame !== null) {
      const frame = this.pendingFrame;
      this.pendingFrame = null;
      if (this.canvas.width !== frame.width || this.canvas.height !== frame.height) {
        this.canvas.width = frame.width;
        this.canvas.height = frame.height;
      }
      this.context.putImageData(new ImageData(new Uint8ClampedArray(frame.pixels), frame.width, frame.height), 0, 0);
      this.giveBack([frame.pixels]);
    }
    this.hint.show(now);
  }
}
