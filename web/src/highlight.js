// Splits a source line into the pieces the editor colours, by the rules of
// pass 1's lexer: blanks, tabs and commas separate tokens; a comment starts
// with one of ; # $ ! ~ ` % * where a token would begin; quotes make one
// token of a string.

const CommentStarts = ';#$!~`%*';
const Directives = new Set(['DB', 'DW', 'ORG', 'EQU']);
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
    if (/^[+-]?(\d+|[0-9][0-9A-Fa-f]*[Hh])$/.test(token)) {
        return 'number';
    }
    return 'name';
}

// [{text, kind}] covering the whole line; kind '' for separators.
export function HighlightLine(line, mnemonics)
{
    const pieces = [];
    let at = 0;
    let first = true;
    while (at < line.length) {
        const c = line[at];
        if (c === ' ' || c === '\t' || c === ',' || c === '\r') {
            let end = at;
            while (end < line.length && ' \t,\r'.includes(line[end])) {
                ++end;
            }
            pieces.push({ text: line.slice(at, end), kind: '' });
            at = end;
        } else if (CommentStarts.includes(c)) {
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
            }
            const token = line.slice(at, end);
            pieces.push({ text: token, kind: Kind(token, first, mnemonics) });
            first = false;
            at = end;
        }
    }
    return pieces;
}

// Whether a line holds an instruction (a mnemonic of the table).
export function HasInstruction(line, mnemonics)
{
    return HighlightLine(line, mnemonics).some((p) => p.kind === 'mnemonic');
}
