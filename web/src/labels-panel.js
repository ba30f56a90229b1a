// The labels panel: each name the program defines, with its value, its line,
// and the bytes at it in memory now (up to the next label, four at most).
import { $, view } from './page.js';
import { FormatNumber, Hex } from './format.js';

// The symbol file's rows ("NAME \t size \t value"), first definition of each
// name kept, in address order: [{name, size, value}].
export function ReadSymbols(text)
{
    const seen = new Map();
    for (const row of (text ?? '').split('\n')) {
        const [name, size, value] = row.split('\t').map((cell) => cell.trim());
        if (name && /^-?\d+$/.test(value ?? '') && !seen.has(name)) {
            seen.set(name, { name, size: Number(size), value: Number(value) & 0xFFFF });
        }
    }
    return [...seen.values()].sort((a, b) => a.value - b.value || a.name.localeCompare(b.name));
}

// The source line that placed something at an address, or 0.
export function LineAt(records, address)
{
    return records.find((r) => r.address === address && r.size > 0)?.sourceLine ?? 0;
}

export function RenderLabels()
{
    const body = $('labels').tBodies[0];
    const symbols = view.assembled ? ReadSymbols(view.assembled.files.symbols) : [];
    const key = JSON.stringify([symbols, view.base, view.state?.instructions, view.state?.states, view.memory?.length]);
    if (body.dataset.key === key) {
        return;
    }
    body.dataset.key = key;
    const addresses = symbols.filter((s) => s.size === 2).map((s) => s.value);
    body.replaceChildren(...symbols.map((s) => {
        const tr = document.createElement('tr');
        const th = document.createElement('th');
        th.scope = 'row';
        th.textContent = s.name;
        tr.append(th);
        tr.insertCell().textContent = FormatNumber(s.value, s.size === 1 ? 8 : 16, view.base);
        const line = s.size === 2 ? LineAt(view.assembled.records, s.value) : 0;
        tr.insertCell().textContent = line ? String(line) : '';
        let bytes = '';
        if (s.size === 2 && view.memory) {
            const next = addresses.find((a) => a > s.value) ?? 0x10000;
            const count = Math.max(1, Math.min(4, next - s.value));
            bytes = Array.from({ length: count }, (_, i) => Hex(view.memory[(s.value + i) & 0xFFFF], 2)).join(' ');
        }
        tr.insertCell().textContent = bytes;
        return tr;
    }));
}
