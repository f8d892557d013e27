// How much the page takes in at once, from a share link or a file: a pupil's
// script is a few kilobytes, and a MiB of script is already far more than
// the editor, the checker and the browser's storage are meant for. The one
// number for links and files alike; a larger one is refused with a message
// and replaces nothing. (The desktop's only bound is its file reader's 2^31 - 1
// bytes, far past what a browser tab holds in an editor.)
export const LONGEST_SCRIPT_BYTES = 1 << 20;

// The longest address a browser carries (Chromium's, 2 MiB of characters): a
// longer share link arrives cut short, or not at all.
export const LONGEST_ADDRESS = 2 * 1024 * 1024;

// "1 MB" and the like, for the messages.
export const megabytes = (bytes) => `${(bytes / (1 << 20)).toFixed(bytes < 10 << 20 ? 1 : 0)} MB`;
