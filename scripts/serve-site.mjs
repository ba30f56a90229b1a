// Serves a folder (the site of the web preset) on 127.0.0.1 over HTTP, so
// that a browser can load its pages, scripts and WebAssembly modules.
//
//   node scripts/serve-site.mjs [--port N] [FOLDER]
//
// FOLDER defaults to build/web/site. The port is N (default 8085), or the
// next free one when it is taken. Prints the address, then serves until
// interrupted. Only GET and HEAD; nothing outside FOLDER is ever served.

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
// a folder), or null when it names nothing there or would leave root.
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
    const full = path.join(root, path.normalize(`/${decoded}`));
    if (full !== root && !full.startsWith(root + path.sep)) {
        return null;
    }
    let file = full;
    try {
        if (fs.statSync(file).isDirectory()) {
            file = path.join(file, 'index.html');
        }
        return fs.statSync(file).isFile() ? file : null;
    } catch {
        return null;
    }
}

function Answer(root, request, response) {
    if (request.method !== 'GET' && request.method !== 'HEAD') {
        response.writeHead(405, { Allow: 'GET, HEAD', 'Content-Type': 'text/plain; charset=utf-8' });
        response.end('Only GET and HEAD\n');
        return;
    }
    const file = ResolveRequest(root, request.url ?? '/');
    if (!file) {
        response.writeHead(404, { 'Content-Type': 'text/plain; charset=utf-8' });
        response.end('Not found\n');
        return;
    }
    const bytes = fs.readFileSync(file);
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
    const resolvedRoot = path.resolve(root);
    const server = http.createServer((request, response) => Answer(resolvedRoot, request, response));
    for (let port = firstPort; port < firstPort + portsToTry; ++port) {
        try {
            const bound = await Listen(server, port);
            return { server, port: bound, url: `http://127.0.0.1:${bound}/` };
        } catch (error) {
            if (error.code !== 'EADDRINUSE' || firstPort === 0) {
                throw error;
            }
        }
    }
    throw new Error(`ports ${firstPort} to ${firstPort + portsToTry - 1} are all taken`);
}

function ParseArguments(args) {
    const options = { root: 'build/web/site', port: defaultPort };
    for (let i = 0; i < args.length; ++i) {
        if (args[i] === '--port' && i + 1 < args.length) {
            options.port = Number(args[++i]);
            if (!Number.isInteger(options.port) || options.port < 0 || options.port > 65535) {
                throw new Error(`--port: ${args[i]} is no port number`);
            }
        } else if (args[i] === '--help') {
            options.help = true;
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
