// A static file server for the page on 127.0.0.1, with the types a browser
// needs (application/wasm for the module). Prints the page's address.
// Usage: node serve.mjs FOLDER PORT
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';

const root = path.resolve(process.argv[2] || 'site');
const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8', '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm', '.png': 'image/png', '.csv': 'text/csv', '.dat': 'text/plain',
};

const server = http.createServer((req, res) => {
  const url = new URL(req.url, 'http://127.0.0.1');
  const file = path.join(root, path.normalize(decodeURIComponent(url.pathname)).replace(/^(\.\.[/\\])+/, ''));
  const name = file.endsWith(path.sep) ? path.join(file, 'index.html') : file;
  if (!name.startsWith(root) || !fs.existsSync(name) || !fs.statSync(name).isFile()) {
    res.writeHead(404, { 'Content-Type': 'text/plain' });
    res.end('not found\n');
    return;
  }
  res.writeHead(200, { 'Content-Type': TYPES[path.extname(name)] || 'application/octet-stream', 'Cache-Control': 'no-cache' });
  fs.createReadStream(name).pipe(res);
});
server.listen(Number(process.argv[3] || 8800), '127.0.0.1', () => {
  console.log(`http://127.0.0.1:${server.address().port}/`);
});
