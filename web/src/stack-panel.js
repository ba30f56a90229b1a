// The stack panel: SP and the words above it, a word that is a return
// address (just past a CALL or RST of the program) named by the subroutine
// call's place: the label before it and its source line.
import { $, view } from './page.js';
import { FormatNumber, Hex } from './format.js';
import { ReadSymbols } from './labels-panel.js';

const Shown = 8; // words

// CALL, the conditional calls, and RST n.
const Calls = new Set([0xCD, 0xC4, 0xCC, 0xD4, 0xDC, 0xE4, 0xEC, 0xF4, 0xFC, 0xC7, 0xCF, 0xD7, 0xDF, 0xE7, 0xEF, 0xF7, 0xFF]);

// What a word on the stack returns to: "return to after CALL at line 7
// (in MAIN+0005H)", or '' when no call of the program is just before it.
export function NameReturn(word, records, symbols)
{
    const call = records.find((r) => r.code && r.size > 0 && r.address + r.size === word && Calls.has(r.bytes?.[0]));
    if (!call) {
        return '';
    }
    const label = symbols.filter((s) => s.size === 2 && s.value <= call.address).at(-1);
    const offset = label ? call.address - label.value : 0;
    const where = label ? ` in ${label.name}${offset ? '+' + Hex(offset, 4) + 'H' : ''}` : '';
    return `returns past the call at line ${call.sourceLine}${where}`;
}

export function RenderStack()
{
    const body = $('stack').tBodies[0];
    if (!view.state || !view.memory || !view.assembled) {
        body.replaceChildren();
        return;
    }
    const symbols = ReadSymbols(view.assembled.files.symbols);
    const rows = [];
    for (let i = 0; i < Shown; ++i) {
        const at = (view.state.sp + 2 * i) & 0xFFFF;
        const word = view.memory[at] | view.memory[(at + 1) & 0xFFFF] << 8;
        const tr = document.createElement('tr');
        const th = document.createElement('th');
        th.scope = 'row';
        th.textContent = (i === 0 ? 'SP ' : 'SP+' + 2 * i + ' ') + Hex(at, 4);
        tr.append(th);
        tr.insertCell().textContent = FormatNumber(word, 16, view.base);
        tr.insertCell().textContent = NameReturn(word, view.assembled.records, symbols);
        rows.push(tr);
    }
    body.replaceChildren(...rows);
}
