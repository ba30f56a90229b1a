// The page's text-only modules: colours, numbers, share links and exports.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { HighlightLine, ReadMnemonics } from '../src/highlight.js';
import { FormatNumber, ParseNumber } from '../src/format.js';
import { MakeShareLink, ReadShareLink } from '../src/share.js';
import { ReadPlacedBytes, FormatIntelHex, FormatBinary } from '../src/export.js';

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
    assert.deepEqual(ReadShareLink(new URL(link).hash), { source });
    assert.equal(ReadShareLink(''), null);
    assert.equal(ReadShareLink('#other'), null);
});

test('a share link that cannot be read says why instead of opening nothing', () => {
    const hash = new URL(MakeShareLink('http://h/', '\tMVI A, 5\n')).hash;
    // One row per way a link goes wrong: what it is, and what the page says.
    const rows = [
        [hash.slice(0, hash.length - 2) + 'A', 'it is cut short'],       // 4n + 1 characters: no base64
        ['#src=' + '_w', 'it holds no text (was it changed?)'],           // the byte FF: not UTF-8
        ['#src=' + 'wA', 'it holds no text (was it changed?)'],           // a lone lead byte C0
        ['#src=abc%20def', 'it holds characters a share link never has'],
        ['#src=ab+c/', 'it holds characters a share link never has'],
    ];
    for (const [broken, error] of rows) {
        assert.deepEqual(ReadShareLink(broken), { error }, broken);
    }
});

test('Intel HEX has one record per run of bytes in a block of 16, then the end', () => {
    // 3E 05 at 2000H, and 76 at 200FH-2010H across a block boundary; checksums worked by hand.
    const placed = ReadPlacedBytes('2000 3E 05\n200F 76 00\n');
    assert.equal(FormatIntelHex(placed), ':022000003E059B\n:01200F00765A\n:0120100000CF\n:00000001FF\n');
    assert.deepEqual([...FormatBinary(placed)], [0x3E, 0x05, ...new Array(13).fill(0), 0x76, 0x00]);
    assert.equal(ReadPlacedBytes('2000 XY\n'), null);
    assert.equal(FormatBinary(ReadPlacedBytes('')).length, 0);
});
