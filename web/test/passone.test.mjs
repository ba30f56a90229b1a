import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { ReadPassOneLog, ReadListing, MapRecordsToSource, FormatProblem } from '../src/passone.js';
import { site, repository, LoadPrograms, Run, OpcodeTable } from './support/site.mjs';
import { Assemble } from '../src/assemble.js';
import { MakeSourceCopy } from '../src/sourcecopy.js';

// A run log as pass 1 writes it, one source line's entries per item.
function Log(...lines)
{
    return '\nReading Opcodes Table\nOpcode Count is 1\n\t0.\t\tHLT\t1\nStarting with Pass 1 on p.asm\n' +
        lines.map((entries) => '-----------\nRead one line from InFile : ' + entries.join('\n') + '\n').join('') +
        'End of Input File reached.\n';
}

test('each kind of problem pass 1 records becomes one message at its line', () => {
    const cases = [
        [Log(['X: FOO', 'Found Token X:', 'Found Token FOO', 'Label Found: X',
            'Parse Error: Unable to parse the rest of this line after the label']),
        [[1, 'error', 'unable to parse this line: X: FOO'],
            [1, 'note', 'the label X is defined; FOO is no instruction, DB or DW, so the rest of the line is ignored']]],
        [Log(['  HLT'], ['  DB', 'Found Token DB', 'DB identified', 'DB parse Error: No Data Found']),
            [[2, 'error', 'DB without data: nothing is placed']]],
        [Log(['  DB 300', 'Found Token DB', 'Found Token 300', 'DB identified', 'Parsing Token 300',
            'str2symboldata Results: size = 2 data = 300']),
        [[1, 'warning', 'DB value 300 does not fit in a byte: pass 1 lists 44']]],
        [Log(['  DW LOOP', 'Found Token DW', 'Found Token LOOP', 'DW identified', 'Parsing Token LOOP',
            'str2symboldata Results: size = 2 data = 0']),
        [[1, 'error', 'DW value LOOP is no number: pass 1 lists 0 (names and strings are not resolved here)']]],
        [Log(['  ORG 12345H', 'Found Token ORG', 'Found Token 12345H', 'ORG Found',
            'Str2SymbolData Error: too many digits', 'str2symboldata Results: size = 2 data = 0']),
        [[1, 'error', 'ORG address 12345H has more than four hexadecimal digits before its H (leading zeros ' +
            'count): pass 1 sets the address to 0']]],
        [Log(['  HLT\r']), [[1, 'warning', "the source has CR LF line ends: each line's last token keeps its CR and " +
            'loses its meaning; save it with LF line ends']]],
        [Log(['  HLT', 'Something new']), [[1, 'warning', 'pass 1 says: Something new']]],
    ];
    for (const [log, expected] of cases) {
        const { problems } = ReadPassOneLog(log);
        assert.deepEqual(problems.map((p) => [p.line, p.kind, p.text]), expected);
    }
});

test('a table without usable rows is reported once, against the table', () => {
    const { problems } = ReadPassOneLog('\nReading Opcodes Table\nOpcode Count is 0\nStarting with Pass 1 on p.asm\n');
    assert.deepEqual(problems.map((p) => FormatProblem(p, 'p.asm', 'etc/opcodes.txt')),
        ['etc/opcodes.txt: warning: the opcode table is missing or has no usable row: no instruction is recognised']);
});

test('listing records are paired with the source lines that made them', () => {
    const log = Log(['; comment', 'Is a Comment.'], ['  ORG 2000H', 'Found Token ORG', 'ORG Found'],
        ['A: MVI A, 5', 'Mnemonic Identified: MVI'], ['  DB', 'DB identified', 'DB parse Error: No Data Found'],
        ['B: FOO', 'Parse Error: Unable to parse the rest of this line after the label'],
        ['  DW 1, 2', 'DW identified', 'Added 2 Byte Data 1'], ['  HLT', 'Mnemonic Identified: HLT']);
    const { statements } = ReadPassOneLog(log);
    const records = MapRecordsToSource(ReadListing('8192       MVI       A       5\n8194       DW       1       2\n' +
        '8198       HLT\n'), statements);
    assert.deepEqual(records.map((r) => [r.listingLine, r.address, r.sourceLine]),
        [[1, 8192, 3], [2, 8194, 6], [3, 8198, 7]]);
});

test('messages match the command-line chain for every golden case', { skip: !site && 'no site built' }, async () => {
    await LoadPrograms();
    const root = path.join(repository, 'tests/golden/go8085');
    let compared = 0;
    for (const name of fs.readdirSync(root)) {
        const inputs = path.join(root, name, 'in');
        const stderrFile = path.join(root, name, 'out/stderr');
        const sources = fs.existsSync(inputs) ? fs.readdirSync(inputs).filter((f) => f.endsWith('.asm')) : [];
        if (sources.length !== 1 || !fs.existsSync(stderrFile)) {
            continue;
        }
        const source = sources[0];
        const expected = fs.readFileSync(stderrFile, 'utf8').split('\n').filter((l) => l.startsWith(source + ':'));
        const { problems } = Assemble(Run, fs.readFileSync(path.join(inputs, source)), OpcodeTable());
        const passOne = problems.filter((p) => p.from === 'Corvane');
        assert.deepEqual(passOne.map((p) => FormatProblem(p, source, 'etc/opcodes.txt')), expected, name);
        compared += expected.length;
    }
    assert.ok(compared > 0, 'no golden case had messages to compare');
});

test('pass 1 reads a copy with LF line ends and NAME EQU for NAME: EQU, lines in place', () => {
    const copy = MakeSourceCopy('COUNT: EQU 5\r\n\tMVI A, COUNT\r\nX: MVI B, 1 ; Y: EQU 2\n"A: EQU" DB\n');
    assert.equal(copy.text, 'COUNT  EQU 5\n\tMVI A, COUNT\nX: MVI B, 1 ; Y: EQU 2\n"A: EQU" DB\n');
    assert.equal(copy.hadCrLf, true);
    assert.deepEqual(copy.notes.map((n) => [n.line, n.text]), [[1, 'COUNT: EQU is read as COUNT EQU (the colon is dropped)']]);
});
