// The page's debugger module, Debug8085.wasm, ends every program of the
// front ends' cases as Run8085 does: after `continue`, the same stop reason,
// registers, flags, interrupt state, ports, instruction and T-state counts,
// memory and console output. The cases, with Run8085's end of each (its
// report, final image and console output), come from frontend_cases
// (FrontEndCases.h); FrontEnds_test.cpp makes the same comparison with the
// module's C++ compiled natively.
//
//   node debugger_module.mjs CASES_FOLDER SITE_FOLDER
//
// Exit status 0 when every case agrees, 1 otherwise (each disagreement on
// standard output).

import fs from 'node:fs';
import path from 'node:path';
import { WASI } from 'node:wasi';

const [casesFolder, site] = process.argv.slice(2);
const shownKinds = 12;

async function LoadModule() {
    const wasi = new WASI({ version: 'preview1', args: ['Debug8085'], env: {}, returnOnExit: true });
    const module = await WebAssembly.compile(fs.readFileSync(path.join(site, 'Debug8085.wasm')));
    const instance = await WebAssembly.instantiate(module, wasi.getImportObject());
    wasi.initialize(instance);
    return instance.exports;
}

// Calls fn with the bytes copied into the module's memory.
function WithBytes(api, bytes, fn) {
    const pointer = api.DebugAllocate(Math.max(1, bytes.length));
    new Uint8Array(api.memory.buffer, pointer, bytes.length).set(bytes);
    try {
        return fn(pointer, bytes.length);
    } finally {
        api.DebugFree(pointer);
    }
}

function Output(api) {
    return Buffer.from(api.memory.buffer, api.DebugOutputPointer(), api.DebugOutputLength()).toString('latin1');
}

function StateJson(api) {
    const pointer = api.DebugStateJson();
    const bytes = new Uint8Array(api.memory.buffer, pointer);
    return JSON.parse(Buffer.from(bytes.subarray(0, bytes.indexOf(0))).toString('latin1'));
}

const Hex = (value, digits) => value.toString(16).toUpperCase().padStart(digits, '0');

// Run8085's report as its keys and values.
function ReadReport(text) {
    const fields = new Map();
    for (const line of text.split('\n')) {
        const match = /^(stop|instructions|t-states|[A-Z][A-Z0-9.]*|out [0-9A-F]{2}): (\S+)$/.exec(line);
        if (match) {
            fields.set(match[1], match[2]);
        }
    }
    return fields;
}

// The module's state in the report's keys.
function ModuleFields(state, is8085) {
    const fields = new Map([
        ['stop', state.stop === 'halted' ? 'halt' : state.stop],
        ['instructions', String(state.instructions)],
        ['t-states', String(state.states)],
        ['PC', Hex(state.pc, 4)],
        ['SP', Hex(state.sp, 4)],
    ]);
    for (const name of ['A', 'B', 'C', 'D', 'E', 'H', 'L']) {
        fields.set(name, Hex(state[name.toLowerCase()], 2));
    }
    for (const name of is8085 ? ['S', 'Z', 'AC', 'P', 'CY', 'V', 'K'] : ['S', 'Z', 'AC', 'P', 'CY']) {
        fields.set(name, String(state.flags[name.toLowerCase()]));
    }
    fields.set('PSW', Hex(state.f, 2));
    fields.set('IE', state.ie ? '1' : '0');
    if (is8085) {
        fields.set('M5.5', String(state.masks & 1));
        fields.set('M6.5', String((state.masks >> 1) & 1));
        fields.set('M7.5', String((state.masks >> 2) & 1));
        fields.set('I7.5', state.i75 ? '1' : '0');
        fields.set('SOD', String(state.sod));
    }
    for (const [port, value] of state.outPorts) {
        fields.set(`out ${Hex(port, 2)}`, Hex(value, 2));
    }
    return fields;
}

function Compare(expected, actual, memory, finalMemory, console, expectedConsole) {
    const differences = [];
    for (const key of new Set([...expected.keys(), ...actual.keys()])) {
        const left = expected.get(key) ?? '(none)';
        const right = actual.get(key) ?? '(none)';
        if (left !== right) {
            differences.push(`${key}: Run8085 ${left}, Debug8085.wasm ${right}`);
        }
    }
    let named = 0;
    for (let address = 0; address < 65536 && named < 4; ++address) {
        if (memory[address] !== finalMemory[address]) {
            differences.push(
                `memory ${Hex(address, 4)}: Run8085 ${Hex(finalMemory[address], 2)}, Debug8085.wasm ${Hex(memory[address], 2)}`,
            );
            ++named;
        }
    }
    // The debugger ends a console line the program left open before it says
    // why it stopped.
    const printed = expectedConsole === '' || expectedConsole.endsWith('\n') ? expectedConsole : `${expectedConsole}\n`;
    if (printed !== console) {
        differences.push(`console: Run8085 printed ${expectedConsole.length} bytes, Debug8085.wasm ${console.length} bytes`);
    }
    return differences;
}

const api = await LoadModule();
const list = fs.readFileSync(path.join(casesFolder, 'cases'), 'latin1').split('\n').filter(Boolean);
let disagreeing = 0;
const kinds = new Set();
const byField = new Map();
const names = [];
for (const entry of list) {
    const [subfolder, name] = entry.split('\t');
    const folder = path.join(casesFolder, subfolder);
    const read = (file) => (fs.existsSync(path.join(folder, file)) ? fs.readFileSync(path.join(folder, file)) : Buffer.alloc(0));
    const options = read('options');
    const loaded = WithBytes(api, read('image'), (imagePointer, imageLength) =>
        WithBytes(api, read('map'), (mapPointer, mapLength) =>
            WithBytes(api, options, (optionsPointer, optionsLength) =>
                api.DebugLoad(imagePointer, imageLength, mapPointer, mapLength, optionsPointer, optionsLength),
            ),
        ),
    );
    let differences;
    if (loaded !== 0) {
        differences = [`load: ${Output(api)}`];
    } else {
        WithBytes(api, Buffer.from('continue'), (pointer, length) => api.DebugCommand(pointer, length));
        // What continue printed: the console, then the reason, the source
        // line and the registers.
        const lines = Output(api).split('\n');
        const console = lines.slice(0, Math.max(0, lines.length - 4)).map((line) => `${line}\n`).join('');
        const is8085 = !options.toString('latin1').split('\n').includes('8080');
        const memory = new Uint8Array(api.memory.buffer, api.DebugMemoryPointer(), 65536);
        differences = Compare(
            ReadReport(read('report').toString('latin1')),
            ModuleFields(StateJson(api), is8085),
            memory,
            read('final.img').subarray(0, 65536),
            console,
            read('console').toString('latin1'),
        );
    }
    if (differences.length === 0) {
        continue;
    }
    ++disagreeing;
    names.push(name);
    let kind = '';
    for (const difference of differences) {
        const field = difference.slice(0, difference.indexOf(':'));
        byField.set(field, (byField.get(field) ?? 0) + 1);
        kind += `${field === 'stop' ? difference : field};`;
    }
    if (!kinds.has(kind) && kinds.size < shownKinds) {
        console.log(`${name}: Debug8085.wasm ends otherwise than Run8085:\n  ${differences.join('\n  ')}`);
    }
    kinds.add(kind);
}
const fields = [...byField].map(([field, count]) => ` ${field} (${count})`).join('');
console.log(
    `Debug8085.wasm: ${list.length} cases, ${disagreeing} end otherwise than Run8085${disagreeing ? `; differing:${fields}` : ''}`,
);
if (disagreeing) {
    console.log(`Debug8085.wasm: the cases that disagree: ${names.join(' ')}`);
}
process.exitCode = disagreeing === 0 && list.length >= 500 ? 0 : 1;
