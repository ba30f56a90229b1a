// Runs one WASI command module over an in-memory directory: the page's
// worker and the module tests use it alike.
import { WASI, File, Directory, PreopenDirectory, OpenFile, ConsoleStdout } from './shim/index.js';

// files: { 'name' or 'dir/name': Uint8Array | string }. Returns the exit
// status, what the program wrote on standard output and error, and every
// file of the directory afterwards (same shape as files, as Uint8Array).
export function RunCommand(module, args, files = {}, stdin = '')
{
    const encoder = new TextEncoder();
    const root = new Map();
    for (const [path, content] of Object.entries(files)) {
        PutFile(root, path, typeof content === 'string' ? encoder.encode(content) : content);
    }
    const out = [];
    const err = [];
    const fds = [
        new OpenFile(new File(encoder.encode(stdin))),
        new ConsoleStdout((bytes) => out.push(bytes.slice())),
        new ConsoleStdout((bytes) => err.push(bytes.slice())),
        new PreopenDirectory('.', root),
    ];
    const wasi = new WASI(args, [], fds, { debug: false });
    const instance = new WebAssembly.Instance(module, { wasi_snapshot_preview1: wasi.wasiImport });
    let status;
    try {
        status = wasi.start(instance);
    } catch (error) {
        return { status: 134, stdout: JoinText(out), stderr: JoinText(err) + String(error) + '\n', files: {} };
    }
    const result = {};
    CollectFiles(fds[3].dir.contents, '', result);
    return { status, stdout: JoinText(out), stderr: JoinText(err), files: result };
}

function PutFile(root, path, bytes)
{
    const parts = path.split('/');
    let contents = root;
    for (const part of parts.slice(0, -1)) {
        if (!contents.has(part)) {
            contents.set(part, new Directory(new Map()));
        }
        contents = contents.get(part).contents;
    }
    contents.set(parts[parts.length - 1], new File(bytes));
}

function CollectFiles(contents, prefix, result)
{
    for (const [name, entry] of contents) {
        if (entry instanceof Directory) {
            CollectFiles(entry.contents, prefix + name + '/', result);
        } else {
            result[prefix + name] = entry.data;
        }
    }
}

function JoinText(chunks)
{
    const decoder = new TextDecoder();
    return chunks.map((c) => decoder.decode(c)).join('');
}
