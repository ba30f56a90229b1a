// The map file that tells the debugger which source line each record of the
// listing came from (its format is described in docs/formats.md).
import { ReadSymbols } from './symbols.js';

function Escape(text)
{
    return text.replace(/[\x00-\x08\x0A-\x1F\x7F\\]/g, (c) => (c === '\\' ? '\\\\' : c === '\r' ? '\\r'
        : '\\x' + c.charCodeAt(0).toString(16).toUpperCase().padStart(2, '0')));
}

function Hex4(value)
{
    return value.toString(16).toUpperCase().padStart(4, '0');
}

// records carry listingLine, sourceLine, address, keyword and bytes; labels
// are the names pass 1 defined as labels, in source order.
export function FormatMapFile(sourceName, sourceText, records, labels, symbolText)
{
    const lines = ['source-map 1', 'source ' + Escape(sourceName)];
    const text = sourceText.endsWith('\n') ? sourceText.slice(0, -1) : sourceText;
    for (const line of text === '' ? [] : text.split('\n')) {
        lines.push('text ' + Escape(line.replace(/\r$/, '')));
    }
    for (const r of records) {
        if (r.sourceLine > 0) {
            const data = r.keyword === 'DB' || r.keyword === 'DW';
            lines.push(`record ${r.listingLine} ${r.sourceLine} ${Hex4(r.address)} ${r.bytes?.length ?? 0} ` +
                (data ? 'data' : 'code'));
        }
    }
    const symbols = ReadSymbols(symbolText);
    for (const name of labels) {
        if (symbols.has(name)) {
            lines.push(`label ${Hex4(symbols.get(name) & 0xFFFF)} ${Escape(name)}`);
        }
    }
    return lines.join('\n') + '\n';
}
