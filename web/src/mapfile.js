// Reads the source map file (docs/formats.md): the records of the listing
// with their source lines, addresses and sizes, and the labels.

function Unescape(text)
{
    return text.replace(/\\(\\|r|x[0-9A-F]{2})/g, (all, what) => (what === '\\' ? '\\' : what === 'r' ? '\r'
        : String.fromCharCode(parseInt(what.slice(1), 16))));
}

export function ReadMapFile(text)
{
    const map = { source: '', lines: [], records: [], labels: [] };
    for (const item of text.split('\n')) {
        const space = item.indexOf(' ');
        const kind = space < 0 ? item : item.slice(0, space);
        const rest = space < 0 ? '' : item.slice(space + 1);
        if (kind === 'source') {
            map.source = Unescape(rest);
        } else if (kind === 'text') {
            map.lines.push(Unescape(rest));
        } else if (kind === 'record') {
            const [listingLine, sourceLine, address, size, what] = rest.split(' ');
            map.records.push({ listingLine: Number(listingLine), sourceLine: Number(sourceLine),
                address: parseInt(address, 16), size: Number(size), code: what === 'code' });
        } else if (kind === 'label') {
            map.labels.push({ address: parseInt(rest.slice(0, 4), 16), name: Unescape(rest.slice(5)) });
        }
    }
    return map;
}
