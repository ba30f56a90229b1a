// The page's messages and source map, through Explain8085 (Go8085's own
// code): skipped without a built site.
import { test, before } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { site, repository, LoadPrograms, Run, OpcodeTable } from './support/site.mjs';
import { Assemble, ReadMessages } from '../src/assemble.js';

const skip = !site && 'no site built';

before(async () => {
    if (site) {
        await LoadPrograms();
    }
});

test('every golden case of Go8085 gets its messages, quoted lines and advice', { skip }, () => {
    const root = path.join(repository, 'tests/golden/go8085');
    let compared = 0;
    for (const name of fs.readdirSync(root)) {
        const inputs = path.join(root, name, 'in');
        const stderrFile = path.join(root, name, 'out/stderr');
        const sources = fs.existsSync(inputs) ? fs.readdirSync(inputs).filter((f) => f.endsWith('.asm')) : [];
        if (sources.length !== 1 || !fs.existsSync(stderrFile) || fs.existsSync(path.join(inputs, 'etc'))) {
            continue;
        }
        const source = sources[0];
        const expected = fs.readFileSync(stderrFile, 'utf8').split('\n')
            .filter((line) => line !== '' && !line.startsWith('Go8085:'));
        const args = fs.readFileSync(path.join(root, name, 'args'), 'utf8').split('\n');
        const result = Assemble(Run, fs.readFileSync(path.join(inputs, source)), OpcodeTable(), '', source,
            args.includes('--keep-going'));
        assert.deepEqual(result.problems.flatMap((p) => p.shown.split('\n')), expected, name);
        compared += expected.length;
    }
    assert.ok(compared > 20, `only ${compared} message lines compared`);
});

test('messages are read with their lines and the lines quoted under them', () => {
    const problems = ReadMessages('p.asm:29: error: bad register pair BC: INX takes B D H SP\n' +
        '   29 |         INX BC\np.asm: note: the source has CR LF line ends\n' +
        'etc/opcodes.txt: warning: short\np.asm.sym:3: error: odd\n', 'Pass2', 'p.asm');
    assert.deepEqual(problems.map((p) => [p.line, p.kind, p.shown.split('\n').length]),
        [[29, 'error', 2], [0, 'note', 1], [0, 'warning', 1], [0, 'error', 1]]);
});

test('the records of the listing come from the source map, code and data told apart', { skip }, () => {
    const source = '; a word after the code\n\tORG 9000H\nSTART:\tMVI A, 5\n\n\tHLT\nVALUE:\tDW 1234H\n';
    const result = Assemble(Run, source, OpcodeTable());
    assert.equal(result.ok, true);
    assert.deepEqual(result.records.map((r) => [r.listingLine, r.sourceLine, r.address, r.size, r.code, r.bytes]),
        [[1, 3, 0x9000, 2, true, [0x3E, 5]], [2, 5, 0x9002, 1, true, [0x76]], [3, 6, 0x9003, 2, false, [0x34, 0x12]]]);
    // No register file given: PC starts at the first record, written as a signed word.
    assert.equal(result.files.registers, '0 0 0 0 0 0 0\n-28672 0\n0 0 0 0 0\n0\n');
});
