// What the panels send the debugger and show of the chain's messages; the
// commands against Debug8085.wasm itself when a site is built.
import { test, before } from 'node:test';
import assert from 'node:assert/strict';
import { DebuggerNumber } from '../src/format.js';
import { HasInstruction, ReadMnemonics } from '../src/highlight.js';
import { ShownProblems } from '../src/listing-panel.js';
import { view } from '../src/page.js';
import { site, LoadPrograms, Run, OpcodeTable, Debugger } from './support/site.mjs';
import { Assemble } from '../src/assemble.js';

before(async () => {
    if (site) {
        await LoadPrograms();
    }
});

test('numbers go to the debugger with a leading digit, so that A0H to FFH are numbers, not names', () => {
    const cases = [[0xFF, 2, '0FFH'], [0xA0, 2, '0A0H'], [0x05, 2, '005H'], [0xF000, 4, '0F000H'], [0, 4, '00000H']];
    for (const [value, digits, text] of cases) {
        assert.equal(DebuggerNumber(value, digits), text);
    }
});

test('the debugger takes every value the panels send', { skip: !site && 'no site built' }, () => {
    const result = Assemble(Run, new TextEncoder().encode('\tORG 2000H\n\tIN 05H\n\tHLT\n'), OpcodeTable());
    const debug = Debugger();
    assert.equal(debug.Load(result.image, result.files.map, ''), 0);
    const commands = [
        [`set A = ${DebuggerNumber(0xFF, 2)}`, 'A', 0xFF], [`set SP = ${DebuggerNumber(0xF000, 4)}`, 'SP', 0xF000],
        [`set HL = ${DebuggerNumber(0xA000, 4)}`, 'HL', 0xA000],
        [`set [${DebuggerNumber(0xA050, 4)}] = ${DebuggerNumber(0xC3, 2)}`, null, 0xC3],
        [`input ${DebuggerNumber(0xFE, 2)} = ${DebuggerNumber(0xEE, 2)}`, null, null],
    ];
    for (const [line, register, value] of commands) {
        assert.equal(debug.Command(line), 0, `${line}: ${debug.Output()}`);
        if (register) {
            assert.equal(debug.RegisterValues()[register], value, line);
        }
    }
    assert.equal(debug.Memory()[0xA050], 0xC3);
    assert.notEqual(debug.Command('set A = FFH'), 0, 'without the leading digit FFH is a name');
});

test('a line can hold a breakpoint only with an instruction on it', () => {
    const mnemonics = ReadMnemonics('3\nMVI 2\nINR 1\nDB 1\n');
    const cases = [['\tMVI A, 5', true], ['LOOP:\tINR C ; next', true], ['; a comment', false], ['', false],
        ['   ', false], ['LOOP:', false], ['COUNT EQU 10', false], ['\tORG 2000H', false], ['; MVI A, 5', false]];
    for (const [line, expected] of cases) {
        assert.equal(HasInstruction(line, mnemonics), expected, JSON.stringify(line));
    }
});

const glued = (line, at) => ({ line, kind: 'warning', text: `';' in ${at} starts a comment, so the operands end at ` +
    `${at.split(';')[0]}; put a blank before ';'`, shown: `prog.asm:${line}: warning: ';' in ${at} starts a comment` });

test('a glued \';\' is said in full once, then one note names the other lines; messages name the file', () => {
    view.fileName = 'sum.asm';
    const error = { line: 9, kind: 'error', text: 'x', shown: 'prog.asm:9: error: x\n    9 | prog.asm' };
    const shown = ShownProblems([glued(2, '5;load'), glued(3, 'A;next'), error, glued(7, 'A;copy')], 'sum.asm');
    assert.deepEqual(shown.map((p) => p.shown), [
        "sum.asm:2: warning: ';' in 5;load starts a comment",
        "sum.asm: note: the same on lines 3, 7: each ';' glued to the operands starts a comment there too",
        'sum.asm:9: error: x\n    9 | prog.asm',
    ]);
    assert.equal(shown[1].line, 3, 'the note goes to the first of those lines');
    assert.deepEqual(ShownProblems([glued(4, 'B;x')], 'a.asm').map((p) => p.shown),
        ["a.asm:4: warning: ';' in B;x starts a comment"]);
});
