// The page's work on the WebAssembly programs themselves (skipped without a
// built site): assembling, the T-states it shows, and stepping forwards and
// backwards in the debugger's module, Debug8085.wasm, as the page does.
import { test, before } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { site, repository, LoadPrograms, Run, OpcodeTable, Debugger } from './support/site.mjs';
import { Assemble } from '../src/assemble.js';

const skip = !site && 'no site built';
const countdown = () => fs.readFileSync(path.join(repository, 'examples/countdown.asm'));

before(async () => {
    if (site) {
        await LoadPrograms();
    }
});

test('every opcode takes the T-states the listing shows, on both models', { skip }, () => {
    const image = new Uint8Array(65560);
    for (const cpu of ['8085', '8080']) {
        const table = Debugger().InstructionTable(cpu);
        assert.equal(table.length, 256);
        for (let opcode = 0; opcode < 256; ++opcode) {
            const expected = new Set([table[opcode].states, table[opcode].statesTaken]);
            const seen = new Set();
            for (const flags of expected.size === 2 ? [0, 1] : [0]) { // every flag clear, then every flag set
                image.fill(0);
                image[0x2000] = opcode;
                image[65536 + 1] = 0x20; // PC 2000H
                image[65538] = 0x00; image[65539] = 0x80; // SP 8000H
                image[65536 + 17] = flags ? 0xD5 : 0;
                image.fill(flags, 65536 + 18, 65536 + 23);
                const run = Run('Run8085', ['Run8085', '--cpu', cpu, '--max-steps', '1', 'i.img'], { 'i.img': image });
                seen.add(Number(/t-states: (\d+)/.exec(run.stdout)?.[1]));
            }
            assert.ok([...seen].every((s) => expected.has(s)), `${cpu} opcode ${opcode.toString(16)}: ran ${[...seen]}`);
            if (expected.size === 2 && cpu === '8080') {
                assert.equal(seen.size, 2, `8080 opcode ${opcode.toString(16)}: both ways`);
            }
        }
    }
});

test('an example assembles to the listing, bytes and source lines of the shipped machine code', { skip }, () => {
    const result = Assemble(Run, countdown(), OpcodeTable());
    assert.deepEqual(result.problems, []);
    // The shipped machine code has one line per record: its address and bytes.
    const shipped = fs.readFileSync(path.join(repository, 'examples/countdown.hex'), 'utf8').trim().split('\n');
    assert.deepEqual(result.records.map((r) => [r.address, ...r.bytes].map((v) => v.toString(16)).join(' ')),
        shipped.map((line) => line.split(' ').map((v) => parseInt(v, 16).toString(16)).join(' ')));
    const rows = result.records.map((r) => [r.sourceLine, r.address.toString(16), r.bytes.length]);
    assert.deepEqual(result.records.map((r) => r.code), [...new Array(9).fill(true), false, false]);
    assert.deepEqual(rows.slice(0, 4), [[8, '2000', 3], [9, '2003', 2], [10, '2005', 1], [11, '2006', 2]]);
    assert.deepEqual(rows.slice(-2), [[19, '2040', 10], [20, '204a', 4]]);
    assert.equal(result.image.length, 65560);
    assert.equal(result.image[65536] | (result.image[65537] << 8), 0x2000);
});

test('pass 1 errors stop before Pass2; Pass2 errors are put at their source line', { skip }, () => {
    const typo = Assemble(Run, '\tORG 2000H\n\tMVO A, 5\n\tHLT\n', OpcodeTable());
    assert.equal(typo.ok, false);
    assert.deepEqual(typo.problems.map((p) => [p.line, p.kind, p.from]).slice(0, 1), [[2, 'error', 'Corvane']]);
    assert.equal(typo.files.machineCode, undefined);
    const undefinedName = Assemble(Run, '; jumps nowhere\n\tORG 2000H\n\tMVI A, 5\n\tJMP NOWHERE\n\tHLT\n',
        OpcodeTable());
    assert.equal(undefinedName.ok, false);
    assert.deepEqual(undefinedName.problems.map((p) => [p.line, p.kind, p.from]), [[4, 'error', 'Pass2']]);
    assert.match(undefinedName.problems[0].shown, /^prog\.asm:4: error: .*NOWHERE.*\n +4 \| \tJMP NOWHERE$/);
});

test('stepping, stepping back, breakpoints and edits give the states of a real run', { skip }, () => {
    const result = Assemble(Run, countdown(), OpcodeTable());
    const debug = Debugger();
    assert.equal(debug.Load(result.image, result.files.map, ''), 0);
    const at = () => {
        const s = debug.State();
        return [s.instructions, s.pc.toString(16), s.a, s.b, s.sourceLine];
    };
    debug.Command('reverse-step');
    assert.deepEqual([debug.State().instructions, debug.State().stop], [0, 'start-of-history'],
        'nothing before the start');
    debug.Command('step');
    debug.Command('step');
    debug.Command('step');
    assert.deepEqual(at(), [3, '2006', 10, 10, 11]);
    debug.Command('reverse-step');
    debug.Command('reverse-step');
    assert.deepEqual(at(), [1, '2003', 0, 0, 9]);
    debug.Command('break 14');
    assert.equal(debug.ContinueSlice(1000), 1);
    assert.deepEqual(at(), [6, '200a', 10, 10, 14], 'stopped before DCR B');
    assert.equal(debug.ContinueSlice(1000), 1);
    assert.deepEqual(at(), [12, '200a', 9, 9, 14], 'once round the loop');
    assert.deepEqual(debug.State().outPorts, [[1, 9]]);
    debug.Command('set [2040H] = 77H');
    assert.equal(debug.Memory()[0x2040], 0x77);
    debug.Command('set B = 1');
    debug.Command('delete');
    assert.equal(debug.ContinueSlice(1000), 1);
    const end = debug.State();
    assert.deepEqual([end.halted, end.b, end.pc.toString(16), debug.Memory()[0x2040]], [true, 0, '200f', 0x77]);
    debug.Command('reverse-step');
    assert.equal(debug.State().halted, false);
});

test('step over runs a whole subroutine, step out leaves one', { skip }, () => {
    const source = '\tORG 2000H\n\tLXI SP, 3000H\n\tCALL SUB\n\tHLT\nSUB:\tMVI A, 1\n\tINR A\n\tRET\n';
    const result = Assemble(Run, source, OpcodeTable());
    const debug = Debugger();
    debug.Load(result.image, result.files.map, '');
    debug.Command('step');
    debug.Command('next');
    assert.deepEqual([debug.State().pc.toString(16), debug.State().a, debug.State().instructions], ['2006', 2, 5]);
    debug.Load(result.image, result.files.map, '');
    debug.Command('step');
    debug.Command('step');
    debug.Command('step');
    assert.equal(debug.State().sourceLine, 6);
    debug.Command('finish');
    assert.deepEqual([debug.State().pc.toString(16), debug.State().sp.toString(16)], ['2006', '3000']);
});

test('after a HLT on the last line the line is the HLT\'s, and PC is past it', { skip }, () => {
    const result = Assemble(Run, 'START:\tMVI A, 5\n\tADI 3\n\tHLT\n', OpcodeTable());
    const debug = Debugger();
    debug.Load(result.image, result.files.map, '');
    const start = debug.State().pc;
    debug.ContinueSlice(1000);
    const end = debug.State();
    assert.deepEqual([end.halted, end.a, end.pc - start, end.sourceLine], [true, 8, 5, 3]);
    debug.Command('reverse-step');
    assert.deepEqual([debug.State().halted, debug.State().sourceLine], [false, 3], 'back before the HLT');
});
