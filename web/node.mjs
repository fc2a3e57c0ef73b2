// The simulator in Node: loads the built module from site/ and hands it
// its .wasm bytes. The generated loader is a classic script (it is also
// the page's <script>), so it is evaluated here as CommonJS.
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';
import { load } from './site/hybridsim.js';

export const site = path.join(path.dirname(fileURLToPath(import.meta.url)), 'site');

export function open() {
  const loader = path.join(site, 'hybridsim-wasm.js');
  const module = { exports: {} };
  new Function('require', 'module', 'exports', '__dirname', '__filename', fs.readFileSync(loader, 'utf8'))(
    createRequire(loader), module, module.exports, site, loader);
  return load(module.exports, { wasmBinary: fs.readFileSync(path.join(site, 'hybridsim-wasm.wasm')) });
}
