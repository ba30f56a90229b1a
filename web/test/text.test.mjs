// The page's text-only modules: colours, numbers and share links.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { HighlightLine, ReadMnemonics } from '../src/highlight.js';
import { FormatNumber, ParseNumber } from '../src/format.js';
import { MakeShareLink, ReadShareLink } from '../src/share.js';

const mnemonics = ReadMnemonics('3\nMVI 2\nHLT\t1\nJNZ 3\n');

test('a line is coloured by the rules of pass 1 lexer', () => {
    const cases = [
        ['LOOP:\tMVI A, 0AH ; count', [['LOOP:', 'label'], ['MVI', 'mnemonic'], ['A', 'register'], ['0AH', 'number'],
            ['; count', 'comment']]],
        ['  db "a;b", 255, x', [['db', 'directive'], ['"a;b"', 'string'], ['255', 'number'], ['x', 'name']]],
        ['COUNT EQU 10 * ten', [['COUNT', 'name'], ['EQU', 'directive'], ['10', 'number'], ['* ten', 'comment']]],
        ['jnz LOOP#x', [['jnz', 'mnemonic'], ['LOOP#x', 'name']]],
        ['MOV A, B', [['MOV', 'name'], ['A', 'register'], ['B', 'register']]],
    ];
    for (const [line, expected] of cases) {
        const pieces = HighlightLine(line, mnemonics);
        assert.equal(pieces.map((p) => p.text).join(''), line);
        assert.deepEqual(pieces.filter((p) => p.kind).map((p) => [p.text, p.kind]), expected, line);
    }
});

test('numbers are shown and read in each base', () => {
    const cases = [
        [10, 8, 'hex', '0A'], [10, 8, 'dec', '10'], [10, 8, 'bin', '00001010'], [0x2040, 16, 'hex', '2040'],
    ];
    for (const [value, bits, base, text] of cases) {
        assert.equal(FormatNumber(value, bits, base), text);
        assert.equal(ParseNumber(text, bits, base), value);
    }
    assert.equal(ParseNumber('0FFH', 8, 'dec'), 255);
    assert.equal(ParseNumber('0x1F', 8, 'bin'), 31);
    assert.ok(Number.isNaN(ParseNumber('100', 8, 'hex')));
    assert.ok(Number.isNaN(ParseNumber('12', 8, 'bin')));
    assert.ok(Number.isNaN(ParseNumber('', 8, 'hex')));
});

test('a share link carries any source and nothing else opens', () => {
    const source = '; ünïcode ✓ and + / = signs\n\tMVI A, 5\n';
    const link = MakeShareLink('http://127.0.0.1:8085/index.html#old', source);
    assert.match(link, /^http:\/\/127\.0\.0\.1:8085\/index\.html#src=[A-Za-z0-9_-]+$/);
    assert.equal(ReadShareLink(new URL(link).hash), source);
    assert.equal(ReadShareLink(''), null);
    assert.equal(ReadShareLink('#other'), null);
});

test('the other study tools\' constructs are coloured as Go8085 reads them', () => {
    const cases = [
        ['LOOP:MVI A, 3A // count', [['LOOP:', 'label'], ['MVI', 'mnemonic'], ['A', 'register'], ['3A', 'number'],
            ['// count', 'comment']]],
        ['sum: ds 1', [['sum:', 'label'], ['ds', 'directive'], ['1', 'number']]],
        ['  .title "adder"', [['.title', 'directive'], ['"adder"', 'string']]],
        ['  MVI A, #0x3C /* mask */ ; end', [['MVI', 'mnemonic'], ['A', 'register'], ['#0x3C', 'number'],
            ['/* mask */', 'comment'], ['; end', 'comment']]],
        ['  ADI #12', [['ADI', 'name'], ['#12', 'number']]],
        ['  MVI A, #$C0', [['MVI', 'mnemonic'], ['A', 'register'], ['#$C0', 'comment']]],
        ['  LXI H, 20FF', [['LXI', 'name'], ['H', 'register'], ['20FF', 'number']]],
        ['A::', [['A::', 'label']]],
    ];
    for (const [line, expected] of cases) {
        const pieces = HighlightLine(line, mnemonics);
        assert.equal(pieces.map((p) => p.text).join(''), line);
        assert.deepEqual(pieces.filter((p) => p.kind).map((p) => [p.text, p.kind]), expected, line);
    }
    const state = {};
    const lines = ['/* a comment', 'over lines */ HLT', 'HLT'].map((line) => HighlightLine(line, mnemonics, state));
    assert.deepEqual(lines.map((pieces) => pieces.filter((p) => p.kind).map((p) => p.kind)),
        [['comment'], ['comment', 'mnemonic'], ['mnemonic']]);
});
