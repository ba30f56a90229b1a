// The debugger's functions over its WebAssembly module Debug8085.wasm (a
// WASI reactor exporting the functions below), and the tables the page's
// panels and listing are built from.
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

    // The JSON text at a pointer, ended by a 0 byte.
    function Json(p)
    {
        const all = bytes();
        return JSON.parse(decoder.decode(all.slice(p, all.indexOf(0, p))));
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
        State() { return Json(x.DebugStateJson()); },
        // [{name, kind, width, only8085, writable}]: the core's register
        // table, registers and pairs (width in bits) and flags (1).
        RegisterTable() { return Json(x.DebugRegistersJson()); },
        // { PC: 8192, ..., K: 0 }: every row's value now (null before a load).
        RegisterValues() { return Json(x.DebugRegisterValuesJson()); },
        // [{mnemonic, size, states, statesTaken, control, conditional,
        // documented}] by opcode, for '8080' or '8085'.
        InstructionTable(cpu) { return Json(x.DebugInstructionsJson(Number(cpu))); },
        // The OUTs run until now, the latest `limit`, the oldest first:
        // [{instructions, address, port, value}].
        OutLog(limit)
        {
            return Json(x.DebugOutLogJson(limit)).map(([instructions, address, port, value]) =>
                ({ instructions, address, port, value }));
        },
        Memory()
        {
            const p = x.DebugMemoryPointer();
            return bytes().slice(p, p + 65536);
        },
    };
}
