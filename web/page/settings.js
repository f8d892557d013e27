// The settings page's boxes: what they send the worker (the canvas's
// settings, the speed) and how they are kept in the browser with the run
// count box and brought back.
import { keepSettings, keptSettings } from './keep.js';

const $ = (id) => document.getElementById(id);

export const SETTING_BOXES = ['pen-colour', 'background-colour', 'pen-width', 'edge-mode', 'speed',
                              'image-set', 'frame-interval', 'picture-mode'];

// #rrggbb to the canvas's 0x00BBGGRR.
function storedColour(value) {
  const rgb = parseInt(value.slice(1), 16);
  return ((rgb & 0xff) << 16) | (rgb & 0xff00) | ((rgb >> 16) & 0xff);
}

export const settingsMessage = () => ({
  type: 'settings',
  edgeMode: Number($('edge-mode').value),
  penColour: storedColour($('pen-colour').value),
  backgroundColour: storedColour($('background-colour').value),
  penWidth: Math.min(50, Math.max(1, parseInt($('pen-width').value, 10) || 1)),
  imageSet: Number($('image-set').value),
  frameInterval: frameInterval(),
});

// The turtle's frame interval in milliseconds, 0 to 2000 as the window takes
// it (0: no animation).
export function frameInterval() {
  const interval = parseInt($('frame-interval').value, 10) || 0;
  return interval >= 0 && interval <= 2000 ? interval : 0;
}

export const speedMessage = () => ({ type: 'speed', interval: Number($('speed').value) });

export function keepSettingBoxes() {
  keepSettings(Object.fromEntries([...SETTING_BOXES, 'count'].map((id) => [id, $(id).value])));
}

export function restoreSettingBoxes() {
  const kept = keptSettings() ?? {};
  for (const id of [...SETTING_BOXES, 'count']) {
    const box = $(id);
    if (typeof kept[id] !== 'string') continue;
    box.value = kept[id];
    if (box.value === '' && id !== 'count') box.value = box.defaultValue; // an option gone since
  }
}
