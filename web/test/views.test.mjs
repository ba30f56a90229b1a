// The stack and labels views' readings: the symbol file's rows, and which
// words on the stack are return addresses.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { ReadSymbols, LineAt } from '../src/labels-panel.js';
import { NameReturn } from '../src/stack-panel.js';

test('the symbol file: first definition of a name kept, negative values as 16 bits, in address order', () => {
    const text = 'LOOP \t 2 \t 8197\nTOP \t 2 \t -32768\nLOOP \t 2 \t 8194\nCOUNT \t 1 \t 10\nSTART \t 2 \t 8192\n\n';
    assert.deepEqual(ReadSymbols(text), [
        { name: 'COUNT', size: 1, value: 10 }, { name: 'START', size: 2, value: 0x2000 },
        { name: 'LOOP', size: 2, value: 0x2005 }, { name: 'TOP', size: 2, value: 0x8000 }]);
    assert.deepEqual(ReadSymbols(''), []);
});

// ORG 2000H / MAIN: CALL SUB / CNZ SUB / RST 1 / PUSH B / SUB: RET
const records = [
    { address: 0x2000, size: 0, code: false, sourceLine: 1, bytes: [] },
    { address: 0x2000, size: 3, code: true, sourceLine: 2, bytes: [0xCD, 0x09, 0x20] },
    { address: 0x2003, size: 3, code: true, sourceLine: 3, bytes: [0xC4, 0x09, 0x20] },
    { address: 0x2006, size: 1, code: true, sourceLine: 4, bytes: [0xCF] },
    { address: 0x2007, size: 1, code: true, sourceLine: 5, bytes: [0xC5] },
    { address: 0x2008, size: 1, code: true, sourceLine: 6, bytes: [0x00] },
    { address: 0x2009, size: 1, code: true, sourceLine: 7, bytes: [0xC9] },
];
const symbols = [{ name: 'MAIN', size: 2, value: 0x2000 }, { name: 'SUB', size: 2, value: 0x2009 }];

test('a word on the stack is a return address when a call of the program ends just before it', () => {
    const cases = [
        [0x2003, 'returns past the call at line 2 in MAIN'],
        [0x2006, 'returns past the call at line 3 in MAIN+0003H'],
        [0x2007, 'returns past the call at line 4 in MAIN+0006H'],
        [0x2008, ''], // past PUSH B: no call
        [0x2002, ''], // inside the CALL
        [0x1234, ''],
    ];
    for (const [word, text] of cases) {
        assert.equal(NameReturn(word, records, symbols), text, word.toString(16));
    }
    assert.equal(NameReturn(0x2003, records, []), 'returns past the call at line 2');
});

test('a label\'s line is the line that placed a byte at its address', () => {
    assert.equal(LineAt(records, 0x2000), 2);
    assert.equal(LineAt(records, 0x2009), 7);
    assert.equal(LineAt(records, 0x3000), 0);
});
