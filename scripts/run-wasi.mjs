// Runs one WebAssembly command module of the site under Node's WASI, as the
// native program would run: the current directory is the module's root and
// working directory (so paths must lie below it), standard input, output and
// error are this process's, and the exit status is the module's.
//
//   node scripts/run-wasi.mjs build/web/site/Run8085.wasm --help

import fs from 'node:fs';
import path from 'node:path';
import v8 from 'node:v8';
import { WASI } from 'node:wasi';

// Node's WASI calls, once optimised into fast API calls, can crash the
// process on x86-64 (Node 20); the ordinary call path is safe.
v8.setFlagsFromString('--no-turbo-fast-api-calls');

const [modulePath, ...args] = process.argv.slice(2);
if (!modulePath) {
    console.error('usage: node scripts/run-wasi.mjs MODULE.wasm [ARGUMENT...]');
    process.exit(2);
}
const wasi = new WASI({
    version: 'preview1',
    args: [path.basename(modulePath, '.wasm'), ...args],
    env: {},
    preopens: { '/': process.cwd() },
    returnOnExit: true,
});
const module = await WebAssembly.compile(fs.readFileSync(modulePath));
const instance = await WebAssembly.instantiate(module, wasi.getImportObject());
process.exitCode = wasi.start(instance);
