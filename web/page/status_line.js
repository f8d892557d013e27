// The status line under the canvas: the run's state, the speed, and the
// current turtle's place, heading and pen, so a learner sees why nothing is
// drawn. The turtle comes with each frame the worker posts (the module's own
// turtle); the run's state from the page; the speed from its box, whatever
// changed it (F6, F7, the settings page).
const RUN_WORDS = { ready: '就绪', running: '运行中', paused: '已暂停', step: '单步', stopped: '已停止' };

// Script coordinates and degrees, whole: a learner reads 100, not 99.99999.
const whole = (value) => (Object.is(Math.round(value), -0) ? 0 : Math.round(value));

export class StatusLine {
  // `element` shows the line; `speedBox` is the settings page's speed box.
  constructor(element, speedBox) {
    this.parts = {};
    for (const name of ['run', 'speed', 'place', 'heading', 'pen']) {
      this.parts[name] = element.appendChild(Object.assign(document.createElement('span'), { className: name }));
    }
    this.speedBox = speedBox;
    speedBox.addEventListener('change', () => this.showSpeed());
    this.showRun({ ran: false });
    this.showSpeed();
  }

  // From the page's flags: nothing has run yet, a run going, held by F8 or
  // by F10, or ended (by itself or by a stop).
  showRun({ ran, running, paused, stepping }) {
    const state = !ran ? 'ready' : !running ? 'stopped' : stepping ? 'step' : paused ? 'paused' : 'running';
    this.parts.run.textContent = RUN_WORDS[state];
  }

  showSpeed() {
    this.parts.speed.textContent = `速度：${this.speedBox.selectedOptions[0]?.textContent ?? ''}`;
  }

  // `turtle`: {x, y, heading, penDown}, as a frame brings it.
  showTurtle({ x, y, heading, penDown }) {
    this.parts.place.textContent = `位置：(${whole(x)}, ${whole(y)})`;
    this.parts.heading.textContent = `方向：${whole(heading) % 360}°`;
    this.parts.pen.textContent = penDown ? '笔：落下' : '笔：抬起';
  }
}
