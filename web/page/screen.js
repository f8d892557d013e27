// The page on any screen: the window's fixed layout scaled as one piece to
// fit the browser's window (its text kept readable), the canvas alone in full
// screen for a projector (Esc comes back), and the canvas saved as the PNG
// dravel-render -o writes.

// The layout's own size, in the desktop's pixels, is style.css's: offsetWidth
// and offsetHeight read it untouched by the scaling.
export function fitToWindow(layout) {
  const fit = () => {
    const { offsetWidth: width, offsetHeight: height } = layout;
    const scale = Math.min(window.innerWidth / width, window.innerHeight / height);
    layout.style.transform = `scale(${scale})`;
    // Text no smaller than the desktop's 12 pixels on the screen (a
    // projector's 960 x 540 scales the layout down).
    layout.style.setProperty('--grow', String(Math.max(1, 1 / scale)));
    layout.style.left = `${Math.max(0, (window.innerWidth - width * scale) / 2)}px`;
  };
  window.addEventListener('resize', fit);
  fit();
}

export function showFullScreen(canvas) {
  if (document.fullscreenElement) return document.exitFullscreen();
  return canvas.requestFullscreen?.().catch(() => {});
}
