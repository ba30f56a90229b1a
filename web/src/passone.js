// Reads pass 1's run log: every problem it recorded, as the command-line
// chain reports them (numbered by source line), and which source line each
// listing record came from.

const PassStart = 'Starting with Pass 1 on ';
const LineStart = 'Read one line from InFile : ';
const LineSeparator = '-----------';
const PassEnd = 'End of Input File reached.';

// Log lines that trace normal work and never mean a problem.
const TraceLines = [
    'Tokenizing ', 'Found Token ', 'Tokenized to ', 'Remaining Part is Comment', 'Is a Comment.', 'Label Found: ',
    'Added Symbol: ', 'Symbol Count: ', 'Mnemonic Identified: ', 'DB identified', 'DW identified', 'Parsing Token ',
    'str2symboldata Results: ', 'Added 1 Byte Data ', 'Added 2 Byte Data ', 'ORG Found', 'EQU Identified',
];

const UseNames = { DB: 'DB value', DW: 'DW value', ORG: 'ORG address', EQU: 'EQU value' };

function Shown(text)
{
    return text.replace(/^[ \t\r]+|[ \t\r]+$/g, '');
}

function TokenAt(line, index)
{
    return index < line.tokens.length ? line.tokens[index] : '';
}

// The value of a token that is wholly a number as pass 1 reads numbers
// (decimal, or hexadecimal with an H suffix), or null.
function ExactValue(token)
{
    const hex = /[Hh]$/.test(token);
    let digits = hex ? token.slice(0, -1) : token;
    let negative = false;
    if (/^[+-]/.test(digits)) {
        negative = digits[0] === '-';
        digits = digits.slice(1);
    }
    if (hex && /^0[xX]/.test(digits)) {
        digits = digits.slice(2);
    }
    if (digits === '' || !(hex ? /^[0-9A-Fa-f]+$/ : /^[0-9]+$/).test(digits)) {
        return null;
    }
    let value = 0;
    for (const c of digits) {
        value = Math.min(value * (hex ? 16 : 10) + parseInt(c, 16), 2 ** 40);
    }
    return negative ? -value : value;
}

function Outcome(line, word)
{
    switch (line.use) {
    case 'DB': return 'pass 1 lists ' + (word & 0xFF);
    case 'DW': return 'pass 1 lists ' + word;
    case 'ORG': return 'pass 1 sets the address to ' + (word & 0xFFFF);
    case 'EQU': return 'pass 1 defines ' + TokenAt(line, 0) + ' as ' + word;
    }
    return 'pass 1 uses ' + word;
}

function CheckValue(line, word, add)
{
    const use = UseNames[line.use] || 'value';
    let token = line.value;
    const endsInCarriageReturn = token.endsWith('\r');
    if (endsInCarriageReturn) {
        token = token.slice(0, -1);
    }
    if (line.refused) {
        let effect = Outcome(line, 0);
        if (line.use === 'EQU') {
            effect = 'pass 1 refuses it, so ' + TokenAt(line, 0) + ' is not defined';
            line.refusalExplained = true;
        }
        add('error', use + ' ' + token +
            ' has more than four hexadecimal digits before its H (leading zeros count): ' + effect);
        return;
    }
    const exact = ExactValue(token);
    if (exact === null) {
        if (token !== '' && (token[0] === "'" || token[0] === '"') && token !== line.unclosedString) {
            token += token[0];
        }
        const nameOrString = /^[A-Za-z'"_]/.test(token);
        add('error', use + ' ' + token + ' is no number: ' + Outcome(line, word) +
            (nameOrString ? ' (names and strings are not resolved here)' : ''));
        return;
    }
    if (endsInCarriageReturn && (exact & 0xFFFF) !== (word & 0xFFFF)) {
        add('error', use + ' ' + token + ' is read as ' + word + ' because of the CR that ends the line: ' +
            Outcome(line, word));
        return;
    }
    const byte = line.use === 'DB';
    if (exact < (byte ? -128 : -32768) || exact > (byte ? 255 : 65535)) {
        add('warning', use + ' ' + token + ' does not fit in ' + (byte ? 'a byte: ' : '16 bits: ') + Outcome(line, word));
    }
}

function LabelNote(line)
{
    const next = TokenAt(line, 1);
    if (next === 'EQU') {
        return 'the label ' + line.label + ' is defined with the address; to define a constant write ' + line.label +
            ' EQU value, without the colon';
    }
    if (next === 'ORG') {
        return 'the label ' + line.label + ' is defined; ORG must stand on a line of its own';
    }
    return 'the label ' + line.label + ' is defined; ' + next +
        ' is no instruction, DB or DW, so the rest of the line is ignored';
}

// One row per log entry that means something for a source line.
const EntryRules = [
    ['Found Token ', (line, entry, add) => {
        line.tokens.push(entry.slice(12));
        if (line.tokenWasCut) {
            add('warning', 'token longer than 63 characters: pass 1 keeps its first 63, ' + line.tokens.at(-1));
            line.tokenWasCut = false;
        }
        if (line.stringUnclosed) {
            add('error', 'string ' + line.tokens.at(-1) + ' has no closing quote: it runs to the end of the line');
            line.stringUnclosed = false;
            line.unclosedString = line.tokens.at(-1);
        }
    }],
    ['=Token longer than 63 characters: only its first 63 are kept', (line) => { line.tokenWasCut = true; }],
    ['=*****ERROR: String Token without Matching Closure', (line) => { line.stringUnclosed = true; }],
    ['=More than 16 tokens: the rest of the line is ignored', (line, entry, add) =>
        add('error', 'more than 16 tokens: pass 1 ignores everything after the 16th, ' + TokenAt(line, 15))],
    ['=Line longer than 510 characters: the rest of it was cut off', (line, entry, add) =>
        add('warning', 'line longer than 510 characters: pass 1 ignores the rest of it')],
    ['Label Found: ', (line, entry) => { line.label = entry.slice(13); line.labels.push(line.label); }],
    ['=Parse Error: Unable to parse this line', (line, entry, add) =>
        add('error', 'unable to parse this line: ' + Shown(line.text))],
    ['=Parse Error: Unable to parse the rest of this line after the label', (line, entry, add) => {
        add('error', 'unable to parse this line: ' + Shown(line.text));
        add('note', LabelNote(line));
    }],
    ['Mnemonic Identified: ', (line, entry) => { line.record = entry.slice(21); }],
    ['=DB identified', (line) => { line.use = 'DB'; line.record = 'DB'; }],
    ['=DW identified', (line) => { line.use = 'DW'; line.record = 'DW'; }],
    ['=DB parse Error: No Data Found', (line, entry, add) => add('error', 'DB without data: nothing is placed')],
    ['=DW parse Error: No Data Found', (line, entry, add) => add('error', 'DW without data: nothing is placed')],
    ['=ORG Found', (line) => { line.use = 'ORG'; line.value = TokenAt(line, 1); }],
    ['=ORG Parse error: Missing Address', (line, entry, add) =>
        add('error', 'ORG without an address: the address stays as it was')],
    ['=EQU Identified', (line) => { line.use = 'EQU'; line.value = TokenAt(line, 2); }],
    ['=EQU Parse error: Missing Data', (line, entry, add) =>
        add('error', 'EQU without a value: ' + TokenAt(line, 0) + ' is not defined')],
    ['Parsing Token ', (line, entry) => { line.value = entry.slice(14); line.refused = false; }],
    ['Str2SymbolData Error:', (line) => { line.refused = true; }],
    ['str2symboldata Results: ', (line, entry, add) => {
        const match = / data = (-?\d+)/.exec(entry);
        CheckValue(line, match ? Number(match[1]) : 0, add);
        line.refused = false;
    }],
    ['CRITICAL ERROR: Unable to add Symbol', (line, entry, add) => {
        if (!line.refusalExplained) {
            add('error', 'pass 1 refused the symbol ' + (line.use === 'EQU' ? TokenAt(line, 0) : line.label) +
                ': it is not defined');
        }
    }],
    ['FATAL ERROR: Unable to allocate memory for Symbol', (line, entry, add) =>
        add('error', 'pass 1 ran out of memory: a symbol of this line is not defined')],
];

function ReadEntry(line, entry, add)
{
    for (const [pattern, rule] of EntryRules) {
        if (pattern.startsWith('=') ? entry === pattern.slice(1) : entry.startsWith(pattern)) {
            rule(line, entry, add);
            return;
        }
    }
    if (entry !== '' && !TraceLines.some((trace) => entry.startsWith(trace))) {
        add('warning', 'pass 1 says: ' + entry);
    }
}

// Every problem of a run log ({line, kind, text}; line 0 is the opcode
// table) and the source lines that pass 1 turned into statements, each with
// the listing keyword it produced (mnemonic, DB or DW).
export function ReadPassOneLog(logText)
{
    const problems = [];
    const statements = [];
    const labels = [];
    let phase = 'table';
    let line = null;
    let lineCount = 0;
    let usableRows = 0;
    let toldAboutCarriageReturns = false;
    const finish = () => {
        if (line && line.record) {
            statements.push({ line: line.number, keyword: line.record });
        }
        if (line) {
            labels.push(...line.labels);
        }
    };
    for (const entry of logText.split('\n')) {
        if (phase === 'table') {
            if (entry.startsWith(PassStart)) {
                phase = 'pass';
                if (usableRows === 0) {
                    problems.push({ line: 0, kind: 'warning',
                        text: 'the opcode table is missing or has no usable row: no instruction is recognised' });
                }
            } else if (entry.startsWith('\t')) {
                const dot = entry.indexOf('.\t\t');
                if (dot >= 0 && dot + 3 < entry.length && entry[dot + 3] !== '\t') {
                    ++usableRows;
                }
            } else if (entry !== '' && entry !== 'Reading Opcodes Table' && !entry.startsWith('Opcode Count is ')) {
                problems.push({ line: 0, kind: 'warning', text: entry });
            }
        } else if (phase === 'pass') {
            if (entry === PassEnd) {
                finish();
                line = null;
                phase = 'after';
            } else if (entry.startsWith(LineStart)) {
                finish();
                line = { number: ++lineCount, text: entry.slice(LineStart.length), tokens: [], label: '', use: '',
                    value: '', refused: false, refusalExplained: false, tokenWasCut: false, stringUnclosed: false,
                    unclosedString: '', record: '', labels: [] };
                if (line.text.endsWith('\r') && !toldAboutCarriageReturns) {
                    toldAboutCarriageReturns = true;
                    problems.push({ line: line.number, kind: 'warning',
                        text: "the source has CR LF line ends: each line's last token keeps its CR and loses its " +
                            'meaning; save it with LF line ends' });
                }
            } else if (entry !== LineSeparator && line) {
                const number = line.number;
                ReadEntry(line, entry, (kind, text) => problems.push({ line: number, kind, text }));
            }
        }
    }
    return { problems, statements, labels };
}

// The listing's records: {listingLine, address, keyword, fields}.
export function ReadListing(listingText)
{
    const records = [];
    listingText.split('\n').forEach((text, index) => {
        const fields = text.split('       ');
        if (text === '' || !/^-?\d+$/.test(fields[0])) {
            return;
        }
        records.push({ listingLine: index + 1, address: Number(fields[0]) & 0xFFFF, keyword: fields[1] ?? '',
            fields: fields.slice(1) });
    });
    return records;
}

// Pairs each listing record with the source line that made it: statements
// and records come in the same order, and a statement whose keyword does
// not match the record made none.
export function MapRecordsToSource(records, statements)
{
    let s = 0;
    for (const record of records) {
        while (s < statements.length && statements[s].keyword !== record.keyword) {
            ++s;
        }
        record.sourceLine = s < statements.length ? statements[s++].line : 0;
    }
    return records;
}

// One problem as the command-line chain prints it.
export function FormatProblem(problem, sourceName, tableName)
{
    const where = problem.line > 0 ? sourceName + ':' + problem.line : problem.about === 'source' ? sourceName
        : tableName;
    return where + ': ' + problem.kind + ': ' + problem.text;
}
