// A static server for the site on 127.0.0.1 (a free port), for the browser
// tests.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';

const Types = {
    '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
    '.json': 'application/json', '.webmanifest': 'application/manifest+json', '.svg': 'image/svg+xml',
    '.txt': 'text/plain', '.asm': 'text/plain',
};

export function ServeSite(root)
{
    const server = http.createServer((request, response) => {
        const url = new URL(request.url, 'http://localhost');
        let file = path.join(path.resolve(root), decodeURIComponent(url.pathname));
        if (!file.startsWith(path.resolve(root))) {
            response.writeHead(403).end();
            return;
        }
        if (file.endsWith('/')) {
            file += 'index.html';
        }
        fs.readFile(file, (error, data) => {
            if (error) {
                response.writeHead(404).end();
                return;
            }
            response.writeHead(200, { 'Content-Type': Types[path.extname(file)] ?? 'application/octet-stream' });
            response.end(data);
        });
    });
    return new Promise((resolve) => {
        server.listen(0, '127.0.0.1', () => resolve({ server, address: `http://127.0.0.1:${server.address().port}/` }));
    });
}
