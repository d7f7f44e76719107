// A static file server for the web build, on the loopback address only.
//   node serve.cjs DIR [PORT]   serves DIR until interrupted (PORT 0: any)
// Also used by the browser test through start().
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm', // streaming compilation needs this type
  '.pics': 'application/octet-stream',
  '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
  '.txt': 'text/plain; charset=utf-8',
};

function start(dir, port) {
  const root = path.resolve(dir);
  const server = http.createServer((req, res) => {
    let name = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    if (name.endsWith('/'))
      name += 'index.html';
    const file = path.join(root, path.normalize(name));
    if (!file.startsWith(root + path.sep)) {
      res.writeHead(403).end();
      return;
    }
    fs.stat(file, (serr, st) => fs.readFile(file, (err, body) => {
      if (serr || err) {
        res.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
        return;
      }
      // Revalidation, as static hosts answer it: the offline copy's worker
      // asks again for what the page has just loaded.
      const tag = `"${st.size}-${st.mtimeMs}"`;
      const headers = { 'Cache-Control': 'no-cache', ETag: tag };
      if (req.headers['if-none-match'] === tag) {
        res.writeHead(304, headers).end();
        return;
      }
      headers['Content-Type'] = TYPES[path.extname(file)] || 'application/octet-stream';
      res.writeHead(200, headers);
      res.end(body);
    }));
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => resolve(server));
  });
}

module.exports = { start };

if (require.main === module) {
  const dir = process.argv[2];
  const port = Number(process.argv[3] || 8000);
  if (!dir || !fs.existsSync(path.join(dir, 'index.html'))) {
    console.error('usage: serve.cjs DIR [PORT] (DIR holding index.html)');
    process.exit(2);
  }
  start(dir, port).then((server) => {
    console.log(`Finmaw is at http://127.0.0.1:${server.address().port}/ (Ctrl+C stops)`);
  }, (err) => {
    console.error(`serve: ${err.message}`);
    process.exit(1);
  });
}
