// The page's worker: runs the programs (WASI command modules) over an
// in-memory directory, and the debugger, so that a program that never ends
// never freezes the page.
import { RunCommand } from './wasi-run.js';
import { Assemble } from './assemble.js';
import { CreateWasmDebugger } from './wasm-debugger.js';
import { ExportMachineCode } from './export.js';

const site = new URL('../', import.meta.url);
const modules = {};
let table = null;
let debugModule;
let debug = null;
let loaded = null;   // { image, mapText, machineCode }
let cpu = '8085';
let running = null;  // the run in progress: { stop: false }
let breakLines = new Set();
// What the student entered by hand (memory bytes, registers, flags, input
// values), as the debugger commands that set it: Run loads the program again
// and enters them again; Reset forgets them.
let entries = [];
let start = null; // the start address chosen on the page, or null

async function Module(name)
{
    if (!modules[name]) {
        modules[name] = await WebAssembly.compileStreaming(fetch(new URL(name + '.wasm', site)));
    }
    return modules[name];
}

function Run(name, args, files)
{
    return RunCommand(modules[name], args, files);
}

// The modules the page compiles for us, when it said it would (src/boot.js
// starts on them before this worker has loaded its own scripts).
let handed = null;
let handOver = null;

// Fetches the table and compiles the modules, once: the page asks as it
// opens, and an Assemble meanwhile waits for the same work.
let prepared = null;
function Prepare()
{
    prepared ??= (async () => {
        const fetched = fetch(new URL('etc/opcodes.txt', site)).then((r) => r.arrayBuffer());
        Object.assign(modules, await handed);
        await Promise.all(['Explain8085', 'Corvane', 'Pass2', 'Tessily', 'Debug8085'].map(Module));
        table = new Uint8Array(await fetched);
        debugModule = modules.Debug8085;
    })().catch((error) => {
        prepared = null; // tried again at the next request
        throw error;
    });
    return prepared;
}

// Loads the program again and enters what the student entered; returns
// what to say about it ('' when there was nothing to enter).
function LoadWithEntries()
{
    LoadDebugger();
    if (!debug || entries.length === 0) {
        return '';
    }
    for (const line of entries) {
        debug.Command(line);
    }
    const n = entries.length;
    return `the ${n === 1 ? 'value' : n + ' values'} you entered kept (Reset forgets them).`;
}

const Hex4 = (address) => address.toString(16).toUpperCase().padStart(4, '0') + 'H';
const OutLogShown = 100; // the latest OUTs the page lists

function Snapshot(extra = {})
{
    if (!debug) {
        return { op: 'state', state: null, ...extra };
    }
    const memory = debug.Memory();
    const state = { ...debug.State(), registers: debug.RegisterValues(), outLog: debug.OutLog(OutLogShown) };
    return { op: 'state', state, memory, output: debug.Output(), running: Boolean(running), ...extra };
}

function LoadDebugger()
{
    if (!loaded) {
        return;
    }
    debug = CreateWasmDebugger(debugModule);
    const pc = start === null ? '' : `--pc\n${start.toString(16).toUpperCase().padStart(4, '0')}\n`;
    debug.Load(loaded.image, loaded.mapText, (cpu === '8080' ? '--cpu\n8080\n' : '') + pc);
    for (const line of breakLines) {
        debug.Command('break ' + line);
    }
}

// Lets messages in (Stop) between slices.
function Yield(ms = 0)
{
    return new Promise((resolve) => {
        if (ms > 0) {
            setTimeout(resolve, ms);
        } else {
            const channel = new MessageChannel();
            channel.port1.onmessage = resolve;
            channel.port2.postMessage(0);
        }
    });
}

// Runs slices of `continue` at the chosen speed, showing the state at most
// once a frame, until the program stops or Stop is pressed.
async function Go(speed)
{
    const run = { stop: false };
    running = run;
    let slice = 1000;
    let shown = performance.now();
    let last = performance.now();
    let stopped = false;
    while (!run.stop && !stopped) {
        const started = performance.now();
        if (speed === 'fastest') {
            stopped = debug.ContinueSlice(slice) === 1;
            const took = performance.now() - started;
            slice = took < 8 ? Math.min(slice * 2, 5000000) : took > 30 ? Math.max(1000, slice >> 1) : slice;
        } else if (speed === 'kit') {
            const now = performance.now();
            const before = debug.State();
            const budget = Math.min(now - last, 100) * 3072;   // T-states at 3.072 MHz
            last = now;
            const perInstruction = before.instructions > 0 ? before.states / before.instructions : 6;
            stopped = debug.ContinueSlice(Math.max(1, Math.round(budget / perInstruction))) === 1;
        } else {
            stopped = debug.ContinueSlice(1) === 1;
        }
        const now = performance.now();
        if (stopped || now - shown > 15 || speed !== 'fastest') {
            postMessage(Snapshot({ running: !stopped }));
            shown = now;
        }
        await Yield(speed === 'fastest' ? 0 : speed === 'kit' ? 16 : 1000 / Number(speed));
    }
    if (running === run) {
        running = null;
    }
    postMessage(Snapshot({ running: false }));
}

const Handlers = {
    expect()
    {
        handed = new Promise((resolve) => { handOver = resolve; });
    },
    // The page's compiled modules (those missing are compiled here); the
    // tables are the answer.
    modules(message)
    {
        handOver?.(message.modules);
        return Handlers.tables();
    },
    // What the panels and the listing are built from, asked of the debugger's
    // module once: its register table and the instruction table of each model.
    async tables()
    {
        await Prepare();
        const tables = CreateWasmDebugger(debugModule);
        postMessage({ op: 'tables', registers: tables.RegisterTable(),
            instructions: { 8080: tables.InstructionTable('8080'), 8085: tables.InstructionTable('8085') } });
    },
    async assemble(message)
    {
        await Prepare();
        const encoder = new TextEncoder();
        const result = Assemble(Run, encoder.encode(message.source), table, message.registers || '');
        loaded = result.ok ? { image: result.image, mapText: result.files.map, machineCode: result.files.machineCode }
            : null;
        debug = null;
        // A new program: the memory bytes and input values entered stay
        // (the lab's data), the registers are the program's own again.
        entries = entries.filter((line) => /^(set \[|input )/.test(line));
        let said = '';
        if (result.ok) {
            breakLines = new Set(message.breakpoints ?? []);
            said = LoadWithEntries();
        }
        postMessage({ op: 'assembled', result: { ok: result.ok, problems: result.problems, records: result.records,
            files: result.files, image: result.image } });
        postMessage(Snapshot(said ? { said: 'Loaded with ' + said } : {}));
    },
    command(message)
    {
        if (!debug) {
            return;
        }
        const refused = debug.Command(message.line);
        if (!refused && /^(set|input) /.test(message.line)) {
            entries.push(message.line);
        }
        postMessage(Snapshot({ refused, command: message.line }));
    },
    // The whole set of breakpoint lines (the debugger numbers its
    // breakpoints: they are all set again).
    breakpoints(message)
    {
        breakLines = new Set(message.lines);
        if (debug) {
            debug.Command('delete');
            for (const line of breakLines) {
                debug.Command('break ' + line);
            }
        }
    },
    // Another file is shown: nothing is loaded.
    forget()
    {
        if (running) {
            running.stop = true;
        }
        loaded = null;
        debug = null;
    },
    go(message)
    {
        if (!debug || running) {
            return;
        }
        if (message.fromStart) {
            start = message.start ?? null;
            const kept = LoadWithEntries();
            const from = start === null ? 'Run from the start' : `Run from ${Hex4(start)} (the Start box)`;
            if (kept || start !== null) {
                postMessage(Snapshot({ running: true, said: kept ? `${from}, with ${kept}` : from + '.' }));
            }
        }
        Go(message.speed);
    },
    // The machine code as Intel HEX ('intel-hex') or a raw binary ('binary').
    export(message)
    {
        if (loaded) {
            postMessage({ op: 'exported', kind: message.kind,
                data: ExportMachineCode(Run, loaded.machineCode, message.kind) });
        }
    },
    stop()
    {
        if (running) {
            running.stop = true;
        }
    },
    reset(message)
    {
        if (running) {
            running.stop = true;
        }
        entries = [];
        start = message.start ?? null;
        LoadDebugger();
        const from = start === null ? '' : `, at ${Hex4(start)} (the Start box)`;
        postMessage(Snapshot({ said: debug ? `Reset: the program loaded as assembled${from}, what you entered forgotten.`
            : '' }));
    },
    cpu(message)
    {
        cpu = message.cpu;
        LoadDebugger();
        postMessage(Snapshot());
    },
};

onmessage = async (event) => {
    try {
        await Handlers[event.data.op]?.(event.data);
    } catch (error) {
        postMessage({ op: 'failure', text: String(error?.stack ?? error) });
    }
};
