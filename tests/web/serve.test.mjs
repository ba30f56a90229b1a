// The server of scripts/ide: what it answers for each request, and the next
// free port when the first is taken.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath } from 'node:url';

const repository = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const { StartServer } = await import(path.join(repository, 'scripts/serve-site.mjs'));

// A small site beside a file that must never be served.
const top = fs.mkdtempSync(path.join(os.tmpdir(), 'serve-site-'));
const root = path.join(top, 'site');
fs.mkdirSync(path.join(root, 'examples'), { recursive: true });
fs.writeFileSync(path.join(root, 'index.html'), '<!doctype html><title>t</title>');
fs.writeFileSync(path.join(root, 'Run8085.wasm'), Buffer.from([0, 0x61, 0x73, 0x6d]));
fs.writeFileSync(path.join(root, 'examples/count down.asm'), '        HLT\n');
fs.writeFileSync(path.join(top, 'secret.txt'), 'secret');

let servers = [];
after(() => {
    for (const server of servers) {
        server.close();
    }
    fs.rmSync(top, { recursive: true, force: true });
});

let url;
before(async () => {
    const started = await StartServer(root, 0);
    servers.push(started.server);
    url = started.url;
});

// One row per request: path, method, expected status and Content-Type.
const requests = [
    ['/', 'GET', 200, 'text/html; charset=utf-8'],
    ['/Run8085.wasm', 'GET', 200, 'application/wasm'],
    ['/examples/count%20down.asm?x=1', 'GET', 200, 'text/plain; charset=utf-8'],
    ['/examples/', 'GET', 404, null],
    ['/missing.js', 'GET', 404, null],
    ['/../secret.txt', 'GET', 404, null],
    ['/%2e%2e/secret.txt', 'GET', 404, null],
    ['/%E0%A4%A', 'GET', 404, null],
    ['/index.html', 'POST', 405, null],
];

for (const [requestPath, method, status, type] of requests) {
    test(`${method} ${requestPath}`, async () => {
        // fetch() would tidy the "..": send the path as it is.
        const http = await import('node:http');
        const answer = await new Promise((resolve, reject) => {
            const request = http.request(`${url.slice(0, -1)}${requestPath}`, { method, path: requestPath }, resolve);
            request.on('error', reject);
            request.end();
        });
        answer.resume();
        assert.equal(answer.statusCode, status);
        if (type) {
            assert.equal(answer.headers['content-type'], type);
        }
    });
}

test('the next port when the first is taken', async () => {
    const taken = Number(new URL(url).port);
    const next = await StartServer(root, taken);
    servers.push(next.server);
    assert.ok(next.port > taken, `got port ${next.port} after ${taken}`);
});
