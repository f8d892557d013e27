// The lint of the page's JavaScript (run by scripts/test-web): the rules that
// catch real faults (a name never defined, a value never used, a constant
// assigned, a loose comparison), with the globals each kind of file has. The
// hub's pages (apps/dravel-hub/pages) take the same rules from here.
export const browser = [
  'AbortSignal', 'AudioContext', 'Blob', 'DecompressionStream', 'CompressionStream', 'Event', 'File', 'FileReader',
  'ImageData', 'MessageChannel', 'OffscreenCanvas', 'Response', 'TextDecoder', 'TextEncoder', 'URL',
  'WebAssembly', 'Worker', 'atob', 'btoa', 'caches', 'clearInterval', 'clearTimeout', 'console',
  'createImageBitmap', 'document', 'fetch', 'history', 'localStorage', 'location', 'navigator',
  'performance', 'postMessage', 'requestAnimationFrame', 'self', 'sessionStorage', 'setInterval',
  'setTimeout', 'structuredClone', 'window', 'addEventListener', 'getComputedStyle', 'matchMedia',
  'ResizeObserver', 'HTMLElement', 'KeyboardEvent', 'MouseEvent', 'Intl', 'queueMicrotask',
];
export const node = ['process', 'Buffer', 'console', 'URL', 'TextDecoder', 'TextEncoder', 'WebAssembly',
  'setTimeout', 'clearTimeout', 'performance', 'structuredClone', 'atob', 'btoa'];
export const readonly = (names) => Object.fromEntries(names.map((name) => [name, 'readonly']));

export const rules = {
  'no-undef': 'error',
  'no-unused-vars': ['error', { args: 'none', caughtErrors: 'none' }],
  'no-redeclare': 'error',
  'no-const-assign': 'error',
  'no-dupe-keys': 'error',
  'no-duplicate-case': 'error',
  'no-unreachable': 'error',
  'no-self-assign': 'error',
  'no-self-compare': 'error',
  'no-shadow-restricted-names': 'error',
  'no-var': 'error',
  'prefer-const': 'error',
  eqeqeq: ['error', 'always', { null: 'ignore' }],
  'use-isnan': 'error',
  'valid-typeof': 'error',
};

export default [
  { ignores: ['node_modules/**'] },
  {
    files: ['page/**/*.js'],
    languageOptions: { ecmaVersion: 2022, sourceType: 'module', globals: readonly(browser) },
    rules,
  },
  {
    // The worker: its module's glue (DravelWeb) is put in front by the build.
    files: ['page/worker.js', 'page/service_worker.js'],
    languageOptions: {
      globals: readonly(['DravelWeb', 'onmessage', 'PAGE_FILES', 'PAGE_CACHE', 'KEPT_WHEN_FETCHED', 'clients',
        'registration']),
    },
  },
  {
    files: ['*.mjs', '*.js', 'tests/**/*.js'],
    ignores: ['page/**'],
    languageOptions: { ecmaVersion: 2022, sourceType: 'module', globals: readonly(node) },
    rules,
  },
];
