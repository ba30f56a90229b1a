// Takes a source through pass 1, pass 2 and the image builder, as the
// command-line chain does, over an in-memory directory. `run(name, args,
// files)` runs one program (a WASI command module) and returns its status,
// output and files.
import { ReadPassOneLog, ReadListing, MapRecordsToSource } from './passone.js';
import { Sizes8085 } from './isa.js';
import { FormatMapFile } from './sourcemap.js';
import { MakeSourceCopy } from './sourcecopy.js';

export const SourceName = 'prog.asm';
const Decoder = new TextDecoder();

function Text(bytes)
{
    return typeof bytes === 'string' ? bytes : bytes ? Decoder.decode(bytes) : '';
}

// The register data file of the default start: everything 0, PC at the
// listing's first address (a signed word).
export function DefaultRegisterFile(listingText)
{
    const first = /^(-?\d+)/.exec(listingText);
    const pc = first ? Number(first[1]) & 0xFFFF : 0;
    return '0 0 0 0 0 0 0\n' + (pc < 0x8000 ? pc : pc - 0x10000) + ' 0\n0 0 0 0 0\n0\n';
}

// Pass 2's messages name the listing or symbol file and its line:
// "prog.asm.pass1:3: error: undefined symbol X".
export function ReadPassTwoMessages(stderr, records)
{
    const problems = [];
    for (const text of stderr.split('\n')) {
        const match = /^([^:]+?)(?::(\d+))?: (error|warning|note): (.*)$/.exec(text);
        if (!match) {
            if (text.trim() !== '') {
                problems.push({ line: 0, kind: 'error', text, from: 'Pass2' });
            }
            continue;
        }
        const listingLine = match[2] ? Number(match[2]) : 0;
        const record = match[1].endsWith('.pass1') ? records.find((r) => r.listingLine === listingLine) : null;
        problems.push({ line: record ? record.sourceLine : 0, kind: match[3], text: match[4], from: 'Pass2',
            where: match[1] + (match[2] ? ':' + match[2] : '') });
    }
    return problems;
}

// The bytes each listing record places, read back from the image.
function AttachBytes(records, memory)
{
    for (const record of records) {
        let size = 0;
        if (record.keyword === 'DB') {
            size = record.fields.length - 1;
        } else if (record.keyword === 'DW') {
            size = 2 * (record.fields.length - 1);
        } else {
            size = Sizes8085[memory[record.address]];
        }
        record.bytes = Array.from({ length: size }, (_, i) => memory[(record.address + i) & 0xFFFF]);
    }
}

// Returns { ok, problems, records, symbols, files } where files holds the
// listing, symbols, run log, machine code and image as the programs wrote
// them, and problems are {line, kind, text, from} sorted by source line.
export function Assemble(run, source, table, registerFile = '')
{
    const copy = MakeSourceCopy(Text(source));
    const files = { 'etc/opcodes.txt': table, [SourceName]: copy.text };
    const first = run('Corvane', ['Corvane', SourceName], files);
    const log = Text(first.files['etc/log-Pass1.txt']);
    const listing = Text(first.files[SourceName + '.pass1']);
    const { problems, statements, labels } = ReadPassOneLog(log);
    problems.push(...copy.notes);
    problems.sort((a, b) => a.line - b.line);
    if (copy.hadCrLf) {
        problems.unshift({ line: 0, kind: 'note', text: 'the source has CR LF line ends; pass 1 reads a copy with LF ' +
            'line ends', about: 'source' });
    }
    problems.forEach((p) => { p.from = 'Corvane'; });
    const records = MapRecordsToSource(ReadListing(listing), statements);
    const result = {
        ok: false, problems, records, symbols: Text(first.files[SourceName + '.sym']),
        files: { listing, log, symbols: Text(first.files[SourceName + '.sym']) },
    };
    if (first.status !== 0 || problems.some((p) => p.kind === 'error')) {
        return result;
    }
    const second = run('Pass2', ['Pass2', SourceName], first.files);
    problems.push(...ReadPassTwoMessages(second.stderr, records));
    if (second.status !== 0) {
        return Sorted(result);
    }
    const machineCode = second.files[SourceName + '.hex'];
    const regs = registerFile || DefaultRegisterFile(listing);
    const third = run('Tessily', ['Tessily', 'prog.regs', SourceName + '.hex', SourceName + '.img'],
        { 'prog.regs': regs, [SourceName + '.hex']: machineCode });
    const image = third.files[SourceName + '.img'];
    if (!image || image.length !== 65560) {
        problems.push({ line: 0, kind: 'error', text: 'the image builder made no image: ' + third.stdout.trim(),
            from: 'Tessily' });
        return Sorted(result);
    }
    AttachBytes(records, image);
    result.ok = true;
    result.files.map = FormatMapFile(SourceName, Text(source), records, labels, result.symbols);
    result.files.machineCode = Text(machineCode);
    result.files.registers = regs;
    result.image = image;
    return Sorted(result);
}

function Sorted(result)
{
    result.problems.sort((a, b) => a.line - b.line);
    return result;
}
