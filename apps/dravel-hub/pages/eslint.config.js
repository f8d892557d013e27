// The lint of the hub's pages (run by scripts/test-web with the page's
// ESLint): the page's rules, the browser's globals and the few more these
// pages use; their node tests get node's.
import { browser, node, readonly, rules } from '../../../web/eslint.config.js';

export default [
  {
    files: ['*.js'],
    ignores: ['eslint.config.js'],
    languageOptions: {
      ecmaVersion: 2022, sourceType: 'module',
      globals: readonly([...browser, 'WebSocket', 'URLSearchParams', 'HTMLScriptElement', 'AbortController']),
    },
    rules,
  },
  {
    files: ['eslint.config.js', 'tests/**/*.js'],
    languageOptions: { ecmaVersion: 2022, sourceType: 'module', globals: readonly([...node, 'Response']) },
    rules,
  },
];
