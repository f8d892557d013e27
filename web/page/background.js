// The settings page's background picture: the file chosen, whose bytes go to
// every worker (the browser decodes them there), the layout it is shown in
// (the box 'picture-mode', kept with the other settings), and keeping the file
// across reloads. It is kept in localStorage beside the settings, read as the
// page starts, while it is at most KEPT_BYTES: a classroom's picture is small,
// and a larger one would crowd the kept script out of the browser's few
// megabytes; a larger one shows until the page is closed.
import { keepPicture, keptPicture } from './keep.js';

const KEPT_BYTES = 1 << 20;
const NO_PICTURE = '-1';

export class BackgroundPicture {
  // `modeBox`: the layout's select, NO_PICTURE for none.
  constructor(modeBox) {
    this.modeBox = modeBox;
    this.picture = keptPicture(); // {name, bytes} or null
  }

  get name() {
    return this.picture?.name ?? '';
  }

  // For the workers: the file's bytes, none when no picture is to show.
  message() {
    const shown = this.picture !== null && this.modeBox.value !== NO_PICTURE;
    return { type: 'background', bytes: shown ? this.picture.bytes : null, mode: Number(this.modeBox.value) };
  }

  // Takes `file` as the picture, shown at the top-left unless a layout was
  // chosen. False when the browser will not keep it.
  async choose(file) {
    this.picture = { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) };
    if (this.modeBox.value === NO_PICTURE) this.modeBox.value = '0';
    const small = this.picture.bytes.length <= KEPT_BYTES;
    return keepPicture(small ? this.picture : null) && small;
  }

  forget() {
    this.picture = null;
    this.modeBox.value = NO_PICTURE;
    keepPicture(null);
  }
}
