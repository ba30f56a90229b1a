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

// Sends one request as it is (path and Host untouched); resolves to { status, body }.
async function Send(base, requestPath, headers = {}) {
    const http = await import('node:http');
    return new Promise((resolve, reject) => {
        const target = base + requestPath.replace(/^\//, '');
        const request = http.request(target, { path: requestPath, headers }, (answer) => {
            const chunks = [];
            answer.on('data', (chunk) => chunks.push(chunk));
            answer.on('end', () => resolve({ status: answer.statusCode, body: Buffer.concat(chunks).toString() }));
        });
        request.on('error', reject);
        request.end();
    });
}

test('a symbolic link that leads out of the site names nothing; one inside it is served', async () => {
    fs.symlinkSync(top, path.join(root, 'out-link'));
    fs.symlinkSync('/proc/self/mem', path.join(root, 'mem'));
    fs.symlinkSync('index.html', path.join(root, 'home.html'));
    assert.equal((await Send(url, '/out-link/secret.txt')).status, 404);
    assert.equal((await Send(url, '/mem')).status, 404);
    assert.equal((await Send(url, '/home.html')).status, 200);
    assert.equal((await Send(url, '/')).status, 200, 'the server serves on');
});

test('a request addressed to another host name is refused (DNS rebinding)', async () => {
    const port = new URL(url).port;
    assert.equal((await Send(url, '/', { Host: `attacker.example:${port}` })).status, 421);
    assert.equal((await Send(url, '/', { Host: '127.0.0.1:1' })).status, 421);
    assert.equal((await Send(url, '/', { Host: `localhost:${port}` })).status, 200);
});

test('the options: --port without a number, an empty one, and every port from the start taken', async () => {
    const { ParseArguments } = await import(path.join(repository, 'scripts/serve-site.mjs'));
    assert.throws(() => ParseArguments(['--port']), /--port needs a port number/);
    assert.throws(() => ParseArguments(['--port', '']), /'' is no port number/);
    assert.throws(() => ParseArguments(['--port', '65536']), /is no port number/);
    assert.throws(() => ParseArguments(['--port', '1e3']), /is no port number/);
    assert.deepEqual(ParseArguments(['--port=9000', 'site']), { root: 'site', port: 9000 });
    // From 65535 there is one port to try: taken, it says so (no range error).
    const net = await import('node:net');
    const holder = net.createServer();
    await new Promise((resolve) => {
        holder.once('error', resolve); // someone else holds it: taken all the same
        holder.listen(65535, '127.0.0.1', resolve);
    });
    await assert.rejects(StartServer(root, 65535), /port 65535 is taken/);
    holder.close();
});

// The server as a separate process, as a user that cannot read what root
// can (nobody, when the tests run as root, as CI does): started on a free
// port, resolves to { child, url }.
async function StartServerProcess(site) {
    const { spawn } = await import('node:child_process');
    const script = path.join(repository, 'scripts/serve-site.mjs');
    const server = [script, '--port', '0', site];
    const command = process.getuid() === 0
        ? ['setpriv', ['--reuid=65534', '--regid=65534', '--clear-groups', process.execPath, ...server]]
        : [process.execPath, server];
    const child = spawn(command[0], command[1], { stdio: ['ignore', 'pipe', 'inherit'] });
    const address = await new Promise((resolve, reject) => {
        let text = '';
        child.stdout.on('data', (chunk) => {
            text += chunk;
            const found = / at (http:\S+)/.exec(text);
            if (found) {
                resolve(found[1]);
            }
        });
        child.on('exit', (code) => reject(new Error(`the server ended (${code})`)));
    });
    return { child, url: address };
}

test('a file the server may not read, and files replaced while the site is rebuilt, are answers: it serves on',
    async () => {
        const site = fs.mkdtempSync(path.join(os.tmpdir(), 'serve-site-user-'));
        fs.chmodSync(site, 0o755);
        fs.writeFileSync(path.join(site, 'index.html'), '<!doctype html><title>t</title>');
        fs.writeFileSync(path.join(site, 'Run8085.wasm'), Buffer.from([0, 0x61, 0x73, 0x6d]));
        fs.writeFileSync(path.join(site, 'locked.js'), 'secret');
        fs.chmodSync(path.join(site, 'locked.js'), 0o000);
        const { child, url: address } = await StartServerProcess(site);
        try {
            assert.equal((await Send(address, '/locked.js')).status, 403);
            assert.equal((await Send(address, '/index.html')).status, 200, 'the server serves on');
            // A rebuild: each file removed and written again, over and over,
            // while requests come in; every request gets an answer.
            const names = Array.from({ length: 8 }, (_, i) => `module${i}.js`);
            let rebuilding = true;
            const rebuild = (async () => {
                for (let round = 0; rebuilding; ++round) {
                    for (const name of names) {
                        fs.rmSync(path.join(site, name), { force: true });
                        await new Promise((resolve) => setImmediate(resolve));
                        fs.writeFileSync(path.join(site, name), `// round ${round}\n`.repeat(200));
                    }
                }
            })();
            const answers = [];
            for (let i = 0; i < 20; ++i) {
                answers.push(...(await Promise.all(names.map((name) => Send(address, `/${name}`)))));
            }
            rebuilding = false;
            await rebuild;
            for (const answer of answers) {
                assert.ok(answer.status === 200 || answer.status === 404, `status ${answer.status}`);
            }
            assert.equal((await Send(address, '/index.html')).status, 200, 'the server serves on');
            assert.equal(child.exitCode, null);
        } finally {
            child.kill();
            fs.rmSync(site, { recursive: true, force: true });
        }
    });
