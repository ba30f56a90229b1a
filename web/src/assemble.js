// Takes a source through pass 1, pass 2 and the image builder as Go8085
// does, over an in-memory directory: pass 1 reads Go8085's copy of the
// source, and Go8085's own words about the run (its problem report, Pass2's
// messages on the source lines, the source map and its records, the default
// register data file) come from Explain8085.
// `run(name, args, files)` runs one program (a WASI command module) and
// returns its status, output and files.
export const SourceName = 'prog.asm';
const Original = 'original.asm';
const Decoder = new TextDecoder();

function Text(bytes)
{
    return typeof bytes === 'string' ? bytes : bytes ? Decoder.decode(bytes) : '';
}

// Messages as Go8085 prints them ("prog.asm:12: error: ...", "NAME: note:
// ..."), each with the lines quoted under it ("   12 |  INX BC").
export function ReadMessages(text, from, sourceName = SourceName)
{
    const problems = [];
    for (const shown of text.split('\n')) {
        const placed = /^(.*?):(\d+): (error|warning|note): (.*)$/.exec(shown);
        const unplaced = placed ? null : /^(.*?): (error|warning|note): (.*)$/.exec(shown);
        if (placed) {
            const line = placed[1] === sourceName ? Number(placed[2]) : 0;
            problems.push({ line, kind: placed[3], text: placed[4], shown, from });
        } else if (unplaced) {
            problems.push({ line: 0, kind: unplaced[2], text: unplaced[3], shown, from });
        } else if (shown.trim() !== '' && problems.length > 0) {
            problems.at(-1).shown += '\n' + shown;
        } else if (shown.trim() !== '') {
            problems.push({ line: 0, kind: 'error', text: shown, shown, from });
        }
    }
    return problems;
}

// Returns { ok, problems, records, files } where files holds the listing,
// symbols, run log, source map, machine code and image as the programs wrote
// them, problems are {line, kind, text, shown, from} in Go8085's order, and
// records {listingLine, sourceLine, address, size, code, bytes}.
// With keepGoing, Pass2 runs after errors in pass 1 too (Go8085 --keep-going).
export function Assemble(run, source, table, registerFile = '', sourceName = SourceName, keepGoing = false)
{
    const original = { [Original]: source };
    const copy = run('Explain8085', ['Explain8085', 'copy', Original], original).stdout;
    const first = run('Corvane', ['Corvane', sourceName], { 'etc/opcodes.txt': table, [sourceName]: copy });
    const runFiles = { ...first.files, ...original };
    const explain = (args, files = runFiles) => run('Explain8085', ['Explain8085', ...args, sourceName, Original],
        files).stdout;
    const problems = ReadMessages(explain(['pass1']), 'Corvane', sourceName);
    const mapText = explain(['map']);
    const records = JSON.parse(explain(['records']));
    const listing = Text(first.files[sourceName + '.pass1']);
    const result = {
        ok: false, problems, records,
        files: { listing, log: Text(first.files['etc/log-Pass1.txt']), symbols: Text(first.files[sourceName + '.sym']),
            map: mapText },
    };
    if (first.status !== 0 || (!keepGoing && problems.some((p) => p.kind === 'error'))) {
        return result;
    }
    const second = run('Pass2', ['Pass2', sourceName], first.files);
    const placed = run('Explain8085', ['Explain8085', 'pass2', sourceName, Original, 'pass2.txt'],
        { ...runFiles, 'pass2.txt': second.stdout + second.stderr }).stdout;
    problems.push(...ReadMessages(placed, 'Pass2', sourceName));
    if (second.status !== 0 || problems.some((p) => p.kind === 'error')) {
        return result;
    }
    const machineCode = second.files[sourceName + '.hex'];
    const regs = registerFile || run('Explain8085', ['Explain8085', 'registers', sourceName], first.files).stdout;
    const third = run('Tessily', ['Tessily', 'prog.regs', sourceName + '.hex', sourceName + '.img'],
        { 'prog.regs': regs, [sourceName + '.hex']: machineCode });
    const image = third.files[sourceName + '.img'];
    if (!image || image.length !== 65560) {
        problems.push({ line: 0, kind: 'error', text: 'the image builder made no image: ' + third.stdout.trim(),
            shown: 'Tessily: ' + third.stdout.trim(), from: 'Tessily' });
        return result;
    }
    for (const record of records) {
        record.bytes = Array.from({ length: record.size }, (_, i) => image[(record.address + i) & 0xFFFF]);
    }
    result.ok = true;
    result.files.machineCode = Text(machineCode);
    result.files.registers = regs;
    result.image = image;
    return result;
}
