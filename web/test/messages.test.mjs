// The page's messages and source map, through Explain8085 (Go8085's own
// code): skipped without a built site.
import { test, before } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { site, repository, LoadPrograms, Run, OpcodeTable } from './support/site.mjs';
import { Assemble, ReadMessages } from '../src/assemble.js';
import { ReadMapFile } from '../src/mapfile.js';

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

test('the map file is read back as written', () => {
    const map = ReadMapFile('source-map 1\nsource p.asm\ntext START:  MVI A, 5\ntext ; a \\\\ and \\x01\\r\n' +
        'record 1 1 2000 2 code\nrecord 2 3 2002 10 data\nlabel 2000 START\nfuture 1 2 3\n');
    assert.equal(map.source, 'p.asm');
    assert.deepEqual(map.lines, ['START:  MVI A, 5', '; a \\ and \x01\r']);
    assert.deepEqual(map.records.map((r) => [r.listingLine, r.sourceLine, r.address, r.size, r.code]),
        [[1, 1, 0x2000, 2, true], [2, 3, 0x2002, 10, false]]);
    assert.deepEqual(map.labels, [{ address: 0x2000, name: 'START' }]);
});
