// The few DOM helpers the teacher's page and the wall share. Every text a
// user typed goes in as text (textContent), never as HTML.

// A new element with `properties` (textContent, className, href, ...) and
// `children` (elements or strings, which become text).
export function element(tag, properties = {}, ...children) {
  const made = Object.assign(document.createElement(tag), properties);
  made.append(...children.filter((child) => child != null));
  return made;
}

export const $ = (id) => document.getElementById(id);

// `text` in a message line; `kind` 'error' or 'done' colours it, '' clears.
export function say(line, text, kind = 'error') {
  line.textContent = text;
  line.className = 'message' + (kind && text ? ' ' + kind : '');
}

// A button's click runs `action` once at a time: the button is disabled
// until the returned promise settles, so a double click sends nothing twice.
export function onClick(button, action) {
  button.addEventListener('click', async (event) => {
    if (button.disabled) return;
    button.disabled = true;
    try {
      await action(event);
    } finally {
      button.disabled = false;
    }
  });
}
