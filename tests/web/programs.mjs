// Runs a program of the toolchain once in a working directory, either as the
// native executable or as its WebAssembly module under Node's WASI, and
// collects its exit status, standard output and standard error, so that the
// two can be compared byte for byte.
//
// A module sees the working directory as its root and current directory
// ("/"), so relative paths name the same files as they do for the native
// program run there.

import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import v8 from 'node:v8';
import { WASI } from 'node:wasi';

// Node's WASI functions, once V8 optimises their calls into fast API calls,
// crash the process now and then on x86-64 (seen with Node 20 on Pass2's
// path_open/path_rename after a few runs). The flag keeps every call on the
// ordinary path; it must be set before the first module is instantiated.
v8.setFlagsFromString('--no-turbo-fast-api-calls');

// Compiled modules by path: each is compiled once and instantiated per run.
const compiledModules = new Map();

async function CompileModule(modulePath) {
    if (!compiledModules.has(modulePath)) {
        compiledModules.set(modulePath, WebAssembly.compile(fs.readFileSync(modulePath)));
    }
    return compiledModules.get(modulePath);
}

// Runs the WASI command module at modulePath with args in directory, with
// empty standard input.
export async function RunModule(modulePath, args, directory) {
    const module = await CompileModule(modulePath);
    const streams = fs.mkdtempSync(path.join(os.tmpdir(), 'wasi-streams-'));
    const stdoutPath = path.join(streams, 'stdout');
    const stderrPath = path.join(streams, 'stderr');
    const stdin = fs.openSync('/dev/null', 'r');
    const stdout = fs.openSync(stdoutPath, 'w');
    const stderr = fs.openSync(stderrPath, 'w');
    try {
        const wasi = new WASI({
            version: 'preview1',
            args: [path.basename(modulePath, '.wasm'), ...args],
            env: {},
            preopens: { '/': directory },
            stdin,
            stdout,
            stderr,
            returnOnExit: true,
        });
        const instance = await WebAssembly.instantiate(module, wasi.getImportObject());
        const status = wasi.start(instance);
        return {
            status,
            stdout: fs.readFileSync(stdoutPath),
            stderr: fs.readFileSync(stderrPath),
        };
    } finally {
        // The descriptors belong to the WASI instance now, which closes them
        // when it is collected: closing them here too could close another
        // file that has since been given the same number.
        fs.rmSync(streams, { recursive: true, force: true });
    }
}

// Runs the native program at programPath with args in directory, with empty
// standard input.
export function RunNative(programPath, args, directory) {
    const run = spawnSync(programPath, args, {
        cwd: directory,
        stdio: ['ignore', 'pipe', 'pipe'],
        maxBuffer: 1 << 28,
    });
    if (run.error) {
        throw run.error;
    }
    return { status: run.status, stdout: run.stdout, stderr: run.stderr };
}

// The relative paths of every file below root, sorted.
export function ListFiles(root, below = '') {
    if (!fs.existsSync(path.join(root, below))) {
        return [];
    }
    const files = [];
    for (const entry of fs.readdirSync(path.join(root, below), { withFileTypes: true })) {
        const name = path.join(below, entry.name);
        if (entry.isDirectory()) {
            files.push(...ListFiles(root, name));
        } else {
            files.push(name);
        }
    }
    return files.sort();
}

// Every file below root as a map from its relative path to its bytes.
export function ReadTree(root) {
    return new Map(ListFiles(root).map((name) => [name, fs.readFileSync(path.join(root, name))]));
}
