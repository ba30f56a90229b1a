// Splits a source line into the pieces the editor colours, by the rules of
// pass 1's lexer: blanks, tabs and commas separate tokens; a comment starts
// with one of ; # $ ! ~ ` % * where a token would begin; quotes make one
// token of a string. The other study tools' constructs that Go8085 reads
// (docs/go8085.md) are coloured as what they are read as: // and /* */
// comments, DS and the directives that change nothing, 0x and # numbers,
// hexadecimal without H, a label glued to its mnemonic.

const CommentStarts = ';$!~`%*';
const Directives = new Set(['DB', 'DW', 'ORG', 'EQU', 'DS', '.DS', 'DEFS', '.BLKB', 'RMB', 'DS.B', '.BLOCK',
    '.TITLE', '.SBTTL', '.MODULE', '.8085', '.8080', '.LIST', '.NLIST', '.PAGE', '.AREA']);
const Registers = new Set(['A', 'B', 'C', 'D', 'E', 'H', 'L', 'M', 'SP', 'PSW']);
// The mnemonics of an opcode table (the count first, then rows of mnemonic
// and size).
export function ReadMnemonics(tableText)
{
    const words = tableText.split(/\s+/).filter((w) => w !== '');
    const mnemonics = new Set();
    for (let i = 1; i + 1 < words.length; i += 2) {
        mnemonics.add(words[i]);
    }
    return mnemonics;
}

function Kind(token, first, mnemonics)
{
    const upper = token.toUpperCase();
    if (token[0] === "'" || token[0] === '"') {
        return 'string';
    }
    if (first && token.endsWith(':')) {
        return 'label';
    }
    if (mnemonics.has(upper)) {
        return 'mnemonic';
    }
    if (Directives.has(upper)) {
        return 'directive';
    }
    if (Registers.has(upper)) {
        return 'register';
    }
    if (/^#?[+-]?(\d+|[0-9][0-9A-Fa-f]*[Hh]?|0[Xx][0-9A-Fa-f]+)$/.test(token)) {
        return 'number';
    }
    return 'name';
}

// [{text, kind}] covering the whole line; kind '' for separators. state
// carries a /* comment from one line to the next: give the same object to
// each line in turn.
export function HighlightLine(line, mnemonics, state = {})
{
    const pieces = [];
    let at = 0;
    let first = true;
    if (state.inBlockComment) {
        const close = line.indexOf('*/');
        at = close < 0 ? line.length : close + 2;
        state.inBlockComment = close < 0;
        if (at > 0) {
            pieces.push({ text: line.slice(0, at), kind: 'comment' });
        }
    }
    while (at < line.length) {
        const c = line[at];
        if (c === ' ' || c === '\t' || c === ',' || c === '\r') {
            let end = at;
            while (end < line.length && ' \t,\r'.includes(line[end])) {
                ++end;
            }
            pieces.push({ text: line.slice(at, end), kind: '' });
            at = end;
        } else if (line.startsWith('/*', at)) {
            const close = line.indexOf('*/', at + 2);
            const end = close < 0 ? line.length : close + 2;
            state.inBlockComment = close < 0;
            pieces.push({ text: line.slice(at, end), kind: 'comment' });
            at = end;
        } else if (CommentStarts.includes(c) || line.startsWith('//', at) ||
                   (c === '#' && !/^#[0-9A-Za-z_'"]/.test(line.slice(at, at + 2)))) {
            pieces.push({ text: line.slice(at), kind: 'comment' });
            break;
        } else {
            let end = at + 1;
            if (c === "'" || c === '"') {
                while (end < line.length && line[end] !== c) {
                    ++end;
                }
                end = Math.min(end + 1, line.length);
            } else {
                while (end < line.length && !' \t,\r'.includes(line[end])) {
                    ++end;
                }
                const glued = first ? line.slice(at, end).match(/^[A-Za-z_?@][\w?@]*:(?=[A-Za-z.])/) : null;
                if (glued) {
                    end = at + glued[0].length; // LOOP:MOV, read as LOOP: MOV
                }
            }
            const token = line.slice(at, end);
            pieces.push({ text: token, kind: Kind(token, first, mnemonics) });
            first = false;
            at = end;
        }
    }
    return pieces;
}
