// The debugger's functions over its WebAssembly module (a WASI reactor
// exporting the functions below); the same shape as the fallback's.
import { WASI, File, OpenFile, ConsoleStdout, PreopenDirectory } from './shim/index.js';

export function CreateWasmDebugger(module)
{
    const wasi = new WASI([], [], [new OpenFile(new File([])), new ConsoleStdout(() => {}),
        new ConsoleStdout(() => {}), new PreopenDirectory('.', new Map())], { debug: false });
    const instance = new WebAssembly.Instance(module, { wasi_snapshot_preview1: wasi.wasiImport });
    wasi.initialize(instance);
    const x = instance.exports;
    const bytes = () => new Uint8Array(x.memory.buffer);
    const encoder = new TextEncoder();
    const decoder = new TextDecoder();

    function WithBuffer(data, use)
    {
        const pointer = x.DebugAllocate(Math.max(1, data.length));
        bytes().set(data, pointer);
        try {
            return use(pointer, data.length);
        } finally {
            x.DebugFree(pointer);
        }
    }

    return {
        Load(image, mapText, argsText)
        {
            return WithBuffer(image, (ip, il) => WithBuffer(encoder.encode(mapText), (mp, ml) =>
                WithBuffer(encoder.encode(argsText), (ap, al) => x.DebugLoad(ip, il, mp, ml, ap, al))));
        },
        Command(line)
        {
            return WithBuffer(encoder.encode(line), (p, n) => x.DebugCommand(p, n));
        },
        ContinueSlice(limit) { return x.DebugContinueSlice(limit); },
        Output()
        {
            const p = x.DebugOutputPointer();
            return decoder.decode(bytes().slice(p, p + x.DebugOutputLength()));
        },
        State()
        {
            const p = x.DebugStateJson();
            const all = bytes();
            const end = all.indexOf(0, p);
            return JSON.parse(decoder.decode(all.slice(p, end)));
        },
        Memory()
        {
            const p = x.DebugMemoryPointer();
            return bytes().slice(p, p + 65536);
        },
    };
}
