// The messages under the editor and the listing beside it: each record's
// line, address, bytes, T-states and source; the current one highlighted.
import { $, view } from './page.js';
import { Hex } from './format.js';
import { SourceName } from './assemble.js';

// The T-states column: "7", or "7/10" for a conditional transfer (not
// taken / taken), from the debugger's instruction table of the model.
export function RenderListingStates()
{
    const table = view.instructions?.[view.cpu];
    const records = view.assembled?.records ?? [];
    [...$('listing').tBodies[0].rows].forEach((tr, i) => {
        const r = records[i];
        const row = table && r?.code && r.bytes?.length ? table[r.bytes[0]] : null;
        tr.cells[3].textContent = !row ? '' : row.states === row.statesTaken ? String(row.states)
            : `${row.states}/${row.statesTaken}`;
    });
}

// A source written with ';' glued to the operands everywhere gets the
// warning once, in full, and one note naming the other lines.
const Glued = /^';' in .* starts a comment, so the operands end at /;

export function ShownProblems(problems, fileName)
{
    const named = (text) => text.replace(new RegExp(`^${SourceName.replace('.', '\\.')}(?=:)`, 'gm'), fileName);
    const glued = problems.filter((p) => Glued.test(p.text));
    const shown = problems.filter((p) => !Glued.test(p.text) || p === glued[0])
        .map((p) => ({ ...p, shown: named(p.shown) }));
    if (glued.length > 1) {
        const lines = glued.slice(1).map((p) => p.line);
        const at = shown.findIndex((p) => p.line === glued[0].line && Glued.test(p.text));
        shown.splice(at + 1, 0, { line: lines[0], kind: 'note', text: '',
            shown: `${fileName}: note: the same on ${lines.length === 1 ? 'line' : 'lines'} ${lines.join(', ')}: ` +
                "each ';' glued to the operands starts a comment there too" });
    }
    return shown;
}

// The messages and the listing of an assembly; goToLine(n) shows line n in
// the editor.
export function ShowListing(result, sourceText, fileName, goToLine)
{
    $('messages').innerHTML = '';
    for (const p of ShownProblems(result.problems, fileName)) {
        const li = document.createElement('li');
        li.className = p.kind;
        const button = document.createElement('button');
        button.type = 'button';
        button.textContent = p.shown;
        if (p.line > 0) {
            button.addEventListener('click', () => goToLine(p.line));
        }
        li.append(button);
        $('messages').append(li);
    }
    const lines = sourceText.split('\n');
    const body = $('listing').tBodies[0];
    body.innerHTML = '';
    for (const r of result.records) {
        const tr = body.insertRow();
        tr.dataset.address = r.address;
        tr.dataset.line = r.sourceLine;
        tr.dataset.code = r.code ? '1' : '0';
        const cells = [String(r.sourceLine || ''), Hex(r.address, 4), (r.bytes ?? []).map((b) => Hex(b, 2)).join(' '),
            '', lines[r.sourceLine - 1] ?? ''];
        for (const text of cells) {
            tr.insertCell().textContent = text;
        }
        tr.addEventListener('click', () => r.sourceLine && goToLine(r.sourceLine));
    }
    RenderListingStates();
}

// The listing row of the current source line: the next instruction's, or
// after a HLT the HLT's own (PC, past it, is the machine's state).
// follow: the program runs slowly enough for the row to be followed.
export function RenderListingPosition(follow = false)
{
    const line = view.state?.sourceLine || 0;
    for (const row of $('listing').tBodies[0].rows) {
        const current = (!view.running || follow) && line > 0 && Number(row.dataset.line) === line && row.dataset.code === '1';
        if (current && !row.classList.contains('current')) {
            const box = row.closest('.scroll');
            const below = row.offsetTop + row.offsetHeight > box.scrollTop + box.clientHeight;
            if (row.offsetTop < box.scrollTop + 20 || below) {
                box.scrollTop = row.offsetTop - box.clientHeight / 3;
            }
        }
        row.classList.toggle('current', current);
    }
}
