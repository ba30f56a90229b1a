// The debugger's reactor module Debug8085.wasm runs the machine as the native
// Run8085 does: after N instructions stepped forwards (or more stepped and
// then some stepped back) its registers and counts are those Run8085 reports
// when stopped after N, and at the end its memory is Run8085's final image.
//
//   node --test tests/web/debugger.test.mjs
//
// Uses the site and the native programs that exactness.test.mjs describes.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { WASI } from 'node:wasi';

import { RunNative } from './programs.mjs';

const repository = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const site = process.env.TOOLCHAIN_SITE ?? path.join(repository, 'build/web/site');
const nativeBuild = path.join(repository, 'build/default');
const natives = {
    Corvane: process.env.CORVANE ?? path.join(nativeBuild, 'pass1/Corvane'),
    Pass2: process.env.PASS2 ?? path.join(nativeBuild, 'pass2/Pass2'),
    Tessily: process.env.TESSILY ?? path.join(nativeBuild, 'imagebuilder/Tessily'),
    Run8085: process.env.RUN8085 ?? path.join(nativeBuild, 'run8085/Run8085'),
};

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'web-debugger-'));
after(() => fs.rmSync(work, { recursive: true, force: true }));

// The countdown example's image, built by the native chain.
let image;
before(() => {
    fs.mkdirSync(path.join(work, 'etc'));
    fs.copyFileSync(path.join(repository, 'etc/opcodes.txt'), path.join(work, 'etc/opcodes.txt'));
    for (const name of ['countdown.asm', 'countdown.regs']) {
        fs.copyFileSync(path.join(repository, 'examples', name), path.join(work, name));
    }
    for (const [program, args] of [
        ['Corvane', ['countdown.asm']],
        ['Pass2', ['countdown.asm']],
        ['Tessily', ['countdown.regs', 'countdown.asm.hex', 'countdown.img']],
    ]) {
        assert.equal(RunNative(natives[program], args, work).status, 0, `${program} failed`);
    }
    image = fs.readFileSync(path.join(work, 'countdown.img'));
});

// Native Run8085's report after at most steps instructions, as a map from
// its keys ("PC", "A", "instructions", ...) to their values.
function NativeReport(steps, extra = []) {
    const run = RunNative(natives.Run8085, ['--max-steps', String(steps), ...extra, 'countdown.img'], work);
    const report = new Map();
    for (const line of run.stdout.toString().split('\n')) {
        const field = /^([A-Za-z0-9.-]+): (.*)$/.exec(line);
        if (field) {
            report.set(field[1], field[2]);
        }
    }
    return report;
}

// A fresh instance of the module, loaded with the image.
async function LoadDebugger() {
    const wasi = new WASI({ version: 'preview1', args: ['Debug8085'], env: {}, returnOnExit: true });
    const module = await WebAssembly.compile(fs.readFileSync(path.join(site, 'Debug8085.wasm')));
    const instance = await WebAssembly.instantiate(module, wasi.getImportObject());
    wasi.initialize(instance);
    const api = instance.exports;
    const Put = (bytes) => {
        const pointer = api.DebugAllocate(Math.max(1, bytes.length));
        new Uint8Array(api.memory.buffer, pointer, bytes.length).set(bytes);
        return [pointer, bytes.length];
    };
    const Output = () =>
        Buffer.from(api.memory.buffer, api.DebugOutputPointer(), api.DebugOutputLength()).toString('latin1');
    const [imagePointer, imageLength] = Put(image);
    assert.equal(api.DebugLoad(imagePointer, imageLength, 0, 0, 0, 0), 0, 'DebugLoad');
    return {
        Command(line) {
            const [pointer, length] = Put(Buffer.from(line));
            const refused = api.DebugCommand(pointer, length);
            api.DebugFree(pointer);
            assert.equal(refused, 0, `${line}: ${Output()}`);
        },
        State() {
            const memory = new Uint8Array(api.memory.buffer);
            const start = api.DebugStateJson();
            return JSON.parse(Buffer.from(memory.subarray(start, memory.indexOf(0, start))).toString('latin1'));
        },
        Memory() {
            return Buffer.from(api.memory.buffer, api.DebugMemoryPointer(), 65536);
        },
        Json(pointer) {
            const memory = new Uint8Array(api.memory.buffer);
            return JSON.parse(Buffer.from(memory.subarray(pointer, memory.indexOf(0, pointer))).toString('latin1'));
        },
        Registers() {
            return this.Json(api.DebugRegistersJson());
        },
        Instructions(model) {
            return this.Json(api.DebugInstructionsJson(model));
        },
    };
}

function Hex(value, digits) {
    return value.toString(16).toUpperCase().padStart(digits, '0');
}

function AssertSameMachine(state, report) {
    const actual = {
        PC: Hex(state.pc, 4),
        SP: Hex(state.sp, 4),
        A: Hex(state.a, 2),
        B: Hex(state.b, 2),
        C: Hex(state.c, 2),
        D: Hex(state.d, 2),
        E: Hex(state.e, 2),
        H: Hex(state.h, 2),
        L: Hex(state.l, 2),
        PSW: Hex(state.f, 2),
        instructions: String(state.instructions),
        't-states': String(state.states),
    };
    const expected = Object.fromEntries(Object.keys(actual).map((key) => [key, report.get(key)]));
    assert.deepEqual(actual, expected);
}

// One row per case: the commands given, and after how many instructions
// the native run must stop to be in the same state.
const cases = [
    [['step'], 1],
    [['step 5'], 5],
    [['step 20'], 20],
    [['step 20', 'reverse-step 3'], 17],
    [['step 30', 'reverse-step 30', 'step 2'], 2],
];

for (const [commands, steps] of cases) {
    test(`${commands.join(', ')}: as Run8085 after ${steps} instructions`, async () => {
        const session = await LoadDebugger();
        for (const command of commands) {
            session.Command(command);
        }
        AssertSameMachine(session.State(), NativeReport(steps));
    });
}

test('continue to the end: the registers, and memory as in the final image', async () => {
    const session = await LoadDebugger();
    session.Command('continue');
    const state = session.State();
    assert.equal(state.stop, 'halted');
    AssertSameMachine(state, NativeReport(1000, ['--out', 'final.img']));
    const final = fs.readFileSync(path.join(work, 'final.img'));
    assert.ok(session.Memory().equals(final.subarray(0, 65536)), 'memory differs from the final image');
});

// The page builds its panels from the module's register table and finds each
// value in the state by the row's name: every register and flag the native
// report shows is there, with the report's value.
test('the register table names the state as the report names it', async () => {
    const session = await LoadDebugger();
    session.Command('step 7');
    const state = session.State();
    const report = NativeReport(7);
    const rows = session.Registers();
    assert.deepEqual(rows.map((row) => row.name),
        ['PC', 'SP', 'A', 'B', 'C', 'D', 'E', 'H', 'L', 'BC', 'DE', 'HL', 'PSW', 'S', 'Z', 'AC', 'P', 'CY', 'V', 'K']);
    for (const row of rows.filter((r) => r.kind !== 'pair')) {
        const key = row.name.toLowerCase();
        const value = row.kind === 'flag' ? state.flags[key] : state[key];
        assert.equal(Hex(value, Math.ceil(row.width / 4)), report.get(row.name), row.name);
    }
});

test('the instruction table: 256 rows a model, with the control column', async () => {
    const session = await LoadDebugger();
    const [i8080, i8085] = [session.Instructions(8080), session.Instructions(8085)];
    assert.equal(i8080.length, 256);
    assert.equal(i8085.length, 256);
    assert.deepEqual(i8085[0xCD], { mnemonic: 'CALL', size: 3, states: 18, statesTaken: 18, control: 'call',
        conditional: false, documented: true });
    assert.deepEqual([i8080[0xDD].control, i8085[0xDD].control, i8085[0xDD].conditional], ['call', 'jump', true]);
    assert.equal(session.Instructions(8086), null);
});
