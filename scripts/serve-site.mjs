// Serves a folder (the site of the web preset) on 127.0.0.1 over HTTP, so
// that a browser can load its pages, scripts and WebAssembly modules.
//
//   node scripts/serve-site.mjs [--port N] [FOLDER]
//
// FOLDER defaults to build/web/site. The port is N (default 8085), or the
// next free one when it is taken. Prints the address, then serves until
// interrupted. Only GET and HEAD; nothing outside FOLDER is ever served,
// through a symbolic link neither; only requests addressed to 127.0.0.1 or
// localhost at its port are answered; a file that cannot be read is an
// answer (404, 403 or 500), and the server serves on.

import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

export const defaultPort = 8085;
// How many ports after the first are tried before giving up.
const portsToTry = 20;

// One row per file name ending: the Content-Type it is served with.
const contentTypes = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.mjs': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.json': 'application/json; charset=utf-8',
    '.webmanifest': 'application/manifest+json; charset=utf-8',
    '.wasm': 'application/wasm',
    '.svg': 'image/svg+xml',
    '.png': 'image/png',
    '.ico': 'image/x-icon',
    '.txt': 'text/plain; charset=utf-8',
    '.asm': 'text/plain; charset=utf-8',
    '.regs': 'text/plain; charset=utf-8',
    '.map': 'application/json; charset=utf-8',
};

export function ContentType(file) {
    return contentTypes[path.extname(file).toLowerCase()] ?? 'application/octet-stream';
}

// The file below root that a request path names (a folder's index.html for
// a folder), or null when it names nothing there or would leave root. The
// real path is compared, so a symbolic link inside the site that leads out
// of it (to /etc, to /proc/self/mem) names nothing. root is a real path.
export function ResolveRequest(root, requestPath) {
    let decoded;
    try {
        decoded = decodeURIComponent(requestPath.split('?')[0].split('#')[0]);
    } catch {
        return null;
    }
    if (decoded.includes('\0')) {
        return null;
    }
    const inside = (name) => name === root || name.startsWith(root + path.sep);
    const full = path.join(root, path.normalize(`/${decoded}`));
    if (!inside(full)) {
        return null;
    }
    try {
        let file = fs.realpathSync(full);
        if (inside(file) && fs.statSync(file).isDirectory()) {
            file = fs.realpathSync(path.join(file, 'index.html'));
        }
        return inside(file) && fs.statSync(file).isFile() ? file : null;
    } catch {
        return null;
    }
}

// The Host header names this server: its loopback address or localhost, at
// its port. Any other name reached it through a name that resolved to the
// loopback address (DNS rebinding), so a page of another site must not read
// it.
export function IsOwnHost(host, port) {
    return host === `127.0.0.1:${port}` || host === `localhost:${port}`;
}

// What a failed read answers: the file went away (the site is being
// rebuilt), may not be read, or could not be read.
function StatusOfReadError(error) {
    if (error.code === 'ENOENT' || error.code === 'ENOTDIR' || error.code === 'EISDIR') {
        return [404, 'Not found\n'];
    }
    if (error.code === 'EACCES' || error.code === 'EPERM') {
        return [403, 'Forbidden: the server may not read this file\n'];
    }
    return [500, `Cannot read this file (${error.code ?? error.message})\n`];
}

function AnswerText(response, status, text, headers = {}) {
    response.writeHead(status, { 'Content-Type': 'text/plain; charset=utf-8', ...headers });
    response.end(text);
}

// Answers one request; every failure is an answer, never the end of the server.
async function Answer(root, port, request, response) {
    if (!IsOwnHost(request.headers.host, port)) {
        AnswerText(response, 421, 'This server answers only to 127.0.0.1 and localhost\n');
        return;
    }
    if (request.method !== 'GET' && request.method !== 'HEAD') {
        AnswerText(response, 405, 'Only GET and HEAD\n', { Allow: 'GET, HEAD' });
        return;
    }
    const file = ResolveRequest(root, request.url ?? '/');
    if (!file) {
        AnswerText(response, 404, 'Not found\n');
        return;
    }
    let bytes;
    try {
        bytes = await fs.promises.readFile(file);
    } catch (error) {
        AnswerText(response, ...StatusOfReadError(error));
        return;
    }
    response.writeHead(200, {
        'Content-Type': ContentType(file),
        'Content-Length': bytes.length,
        // Every load sees the latest build.
        'Cache-Control': 'no-cache',
        // A cross-origin isolated page may share memory with its workers.
        'Cross-Origin-Opener-Policy': 'same-origin',
        'Cross-Origin-Embedder-Policy': 'require-corp',
    });
    response.end(request.method === 'HEAD' ? undefined : bytes);
}

function Listen(server, port) {
    return new Promise((resolve, reject) => {
        const failed = (error) => {
            server.off('listening', listening);
            reject(error);
        };
        const listening = () => {
            server.off('error', failed);
            resolve(server.address().port);
        };
        server.once('error', failed);
        server.once('listening', listening);
        server.listen(port, '127.0.0.1');
    });
}

// Serves root on 127.0.0.1 at firstPort, or the next free port after it.
// Resolves to { server, port, url }.
export async function StartServer(root, firstPort = defaultPort) {
    const resolvedRoot = fs.realpathSync(path.resolve(root));
    let port = 0;
    const server = http.createServer((request, response) => {
        Answer(resolvedRoot, port, request, response).catch((error) => {
            if (!response.headersSent) {
                AnswerText(response, 500, `Cannot answer (${error.message})\n`);
            } else {
                response.destroy();
            }
        });
    });
    const lastPort = firstPort === 0 ? 0 : Math.min(firstPort + portsToTry - 1, 65535);
    for (let tried = firstPort; tried <= lastPort; ++tried) {
        try {
            port = await Listen(server, tried);
            return { server, port, url: `http://127.0.0.1:${port}/` };
        } catch (error) {
            if (error.code !== 'EADDRINUSE' || firstPort === 0) {
                throw error;
            }
        }
    }
    throw new Error(
        firstPort === lastPort ? `port ${firstPort} is taken` : `ports ${firstPort} to ${lastPort} are all taken`);
}

// The options; throws an Error that says what is wrong.
export function ParseArguments(args) {
    const options = { root: 'build/web/site', port: defaultPort };
    for (let i = 0; i < args.length; ++i) {
        if (args[i] === '--port' || args[i].startsWith('--port=')) {
            const value = args[i] === '--port' ? args[++i] : args[i].slice('--port='.length);
            if (value === undefined) {
                throw new Error('--port needs a port number');
            }
            options.port = /^[0-9]{1,5}$/.test(value) ? Number(value) : NaN;
            if (!(options.port >= 0 && options.port <= 65535)) {
                throw new Error(`--port: '${value}' is no port number (0-65535)`);
            }
        } else if (args[i] === '--help') {
            options.help = true;
        } else if (args[i] === '--') {
            options.root = args[i + 1] ?? options.root;
            break;
        } else if (args[i].startsWith('-')) {
            throw new Error(`unknown option ${args[i]}`);
        } else {
            options.root = args[i];
        }
    }
    return options;
}

async function Main() {
    let options;
    try {
        options = ParseArguments(process.argv.slice(2));
    } catch (error) {
        console.error(`serve-site: error: ${error.message}`);
        process.exit(2);
    }
    if (options.help) {
        console.log('Usage: serve-site.mjs [--port N] [FOLDER]\nServes FOLDER (build/web/site) on 127.0.0.1.');
        return;
    }
    if (!fs.existsSync(path.join(options.root, 'Run8085.wasm'))) {
        console.error(`serve-site: error: ${options.root} holds no site; build it with: cmake --workflow --preset web`);
        process.exit(1);
    }
    try {
        const { url } = await StartServer(options.root, options.port);
        console.log(`Serving ${options.root} at ${url} (Ctrl-C stops)`);
    } catch (error) {
        console.error(`serve-site: error: ${error.message}`);
        process.exit(1);
    }
    for (const signal of ['SIGINT', 'SIGTERM']) {
        process.on(signal, () => process.exit(0));
    }
}

if (process.argv[1] && import.meta.url === pathToFileURL(path.resolve(process.argv[1])).href) {
    Main();
}
