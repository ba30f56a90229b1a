// Pass 1's symbol file: "NAME \t SIZE \t VALUE" a line, newest first.
export function ReadSymbols(symbolText)
{
    const symbols = new Map();
    for (const line of symbolText.split('\n').reverse()) {
        const fields = line.split(' \t ');
        if (fields.length === 3 && /^-?\d+$/.test(fields[2])) {
            symbols.set(fields[0], Number(fields[2]));
        }
    }
    return symbols;
}
