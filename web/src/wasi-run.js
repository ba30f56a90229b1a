// Runs one WASI command module over an in-memory directory: the page's
// worker and the module tests use it alike.
import { WASI, File, Directory, PreopenDirectory, OpenFile, ConsoleStdout, wasi as codes } from './shim/index.js';

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
        new GrowingDirectory('.', root),
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

// Reserves room for a file of size bytes: its bytes are a view of the first
// size bytes of a larger buffer, which doubles when outgrown, so a file
// written a line at a time is copied a few times in all, not once a line.
function Reserve(file, size)
{
    if (!file.buffer || file.data.buffer !== file.buffer.buffer) {
        file.buffer = file.data; // set anew elsewhere (truncated, resized): start from it
    }
    if (size > file.buffer.length) {
        const grown = new Uint8Array(Math.max(size, 2 * file.buffer.length, 4096));
        grown.set(file.data);
        file.buffer = grown;
    }
    if (size > file.data.length) {
        file.data = file.buffer.subarray(0, size);
    }
}

// An open file whose writes past the end grow it by Reserve (the shim's own
// writes copy the whole file into a new array of the exact size each time).
class GrowingOpenFile extends OpenFile
{
    fd_write(data)
    {
        const written = this.fd_pwrite(data, this.file_pos);
        this.file_pos += BigInt(written.nwritten);
        return written;
    }

    fd_pwrite(data, offset)
    {
        if (this.file.readonly) {
            return { ret: codes.ERRNO_BADF, nwritten: 0 };
        }
        Reserve(this.file, Number(offset) + data.byteLength);
        this.file.data.set(data, Number(offset));
        return { ret: codes.ERRNO_SUCCESS, nwritten: data.byteLength };
    }
}

// The directory the program sees: every file it opens is written through a
// GrowingOpenFile.
export class GrowingDirectory extends PreopenDirectory
{
    path_open(...args)
    {
        const opened = super.path_open(...args);
        if (opened.fd_obj instanceof OpenFile) {
            const growing = new GrowingOpenFile(opened.fd_obj.file);
            growing.file_pos = opened.fd_obj.file_pos;
            opened.fd_obj = growing;
        }
        return opened;
    }
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
            // A grown file is a view of a larger buffer: hand out its bytes alone.
            const whole = entry.data.byteLength === entry.data.buffer.byteLength;
            result[prefix + name] = whole ? entry.data : entry.data.slice();
        }
    }
}

function JoinText(chunks)
{
    const decoder = new TextDecoder();
    return chunks.map((c) => decoder.decode(c)).join('');
}
