// The copy of the source that pass 1 reads, as the command-line chain makes
// it; every line stays where it was. CR LF line ends become LF (pass 1 would
// keep each CR in a line's last token), and in `NAME: EQU 5` the colon
// becomes a blank, so that the line defines the constant NAME.

const MaxTokenLength = 63;

function IsSeparator(c)
{
    return c === ' ' || c === '\t' || c === ',';
}

// The next token from at on, as pass 1's lexer splits it; '' when the line
// ends, or a comment or a string comes first.
function NextToken(line, position)
{
    let at = position.at;
    while (at < line.length && IsSeparator(line[at])) {
        ++at;
    }
    if (at === line.length || ';#$!~`%*"\''.includes(line[at])) {
        position.at = at;
        return { text: '', start: at };
    }
    const start = at;
    while (at < line.length && !IsSeparator(line[at])) {
        ++at;
    }
    position.at = at;
    return { text: line.slice(start, at), start };
}

// { text, hadCrLf, notes: [{line, kind, text}] }
export function MakeSourceCopy(source)
{
    let hadCrLf = false;
    const notes = [];
    const lines = source.split('\n').map((line, index) => {
        if (line.endsWith('\r')) {
            line = line.slice(0, -1);
            hadCrLf = true;
        }
        const position = { at: 0 };
        const label = NextToken(line, position);
        const next = NextToken(line, position);
        if (label.text.length >= 2 && label.text.length <= MaxTokenLength && label.text.endsWith(':') &&
            next.text.toUpperCase() === 'EQU') {
            const name = label.text.slice(0, -1);
            const colon = label.start + name.length;
            line = line.slice(0, colon) + ' ' + line.slice(colon + 1);
            notes.push({ line: index + 1, kind: 'note', text: `${name}: EQU is read as ${name} EQU (the colon is dropped)` });
        }
        return line;
    });
    return { text: lines.join('\n'), hadCrLf, notes };
}
