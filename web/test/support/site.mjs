// Runs the site's WebAssembly programs under Node for the module tests:
// `site` is null (and the tests that need it skip) when IDE_SITE names no
// built site.
import fs from 'node:fs';
import path from 'node:path';

const root = process.env.IDE_SITE || '';
export const site = root && fs.existsSync(path.join(root, 'Run8085.wasm')) ? root : null;
export const repository = path.resolve(import.meta.dirname, '../../..');

const modules = {};
let RunCommand = null;
let CreateWasmDebugger = null;

export async function LoadPrograms()
{
    ({ RunCommand } = await import('../../src/wasi-run.js'));
    ({ CreateWasmDebugger } = await import('../../src/wasm-debugger.js'));
    for (const name of ['Explain8085', 'Corvane', 'Pass2', 'Tessily', 'Run8085', 'Debug8085']) {
        modules[name] = new WebAssembly.Module(fs.readFileSync(path.join(site, name + '.wasm')));
    }
}

export function Run(name, args, files)
{
    return RunCommand(modules[name], args, files);
}

// A fresh instance of the page's debugger, Debug8085.wasm.
export function Debugger()
{
    return CreateWasmDebugger(modules.Debug8085);
}

export function OpcodeTable()
{
    return fs.readFileSync(path.join(repository, 'etc/opcodes.txt'));
}
