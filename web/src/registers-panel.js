// The registers, flags and processor-state panels, built from the debugger's
// register table; an edit becomes a debugger `set` command.
import { $, view, Say, WithFileName } from './page.js';
import { FormatNumber, ParseNumber, DebuggerNumber } from './format.js';

const StateRows = [
    ['IE', (s) => (s.ie ? '1' : '0')],
    ['M7.5', (s) => String((s.masks >> 2) & 1)],
    ['M6.5', (s) => String((s.masks >> 1) & 1)],
    ['M5.5', (s) => String(s.masks & 1)],
    ['I7.5', (s) => (s.i75 ? '1' : '0')],
    ['SOD', (s) => String(s.sod)],
    ['Instructions', (s) => String(s.instructions)],
    ['T-states', (s) => String(s.states)],
    ['Stop', (s) => WithFileName(s.stopText || s.stop)],
];
const Only8085States = ['M7.5', 'M6.5', 'M5.5', 'I7.5', 'SOD'];

function Register(name)
{
    return view.registerTable.find((r) => r.name === name);
}

export function BuildStatePanel()
{
    $('cpu-state').tBodies[0].innerHTML = StateRows.map(([name]) =>
        `<tr><th scope="row">${name}</th><td></td></tr>`).join('');
}

// The register and flag panels, from the debugger's register table.
export function BuildRegisterPanels(table)
{
    view.registerTable = table;
    $('registers').tBodies[0].innerHTML = table.filter((r) => r.width > 1).map(({ name }) =>
        `<tr><th scope="row">${name}</th><td><input data-reg="${name}" aria-label="Register ${name}" ` +
        'size="16" autocomplete="off"></td></tr>').join('');
    $('flags').innerHTML = table.filter((r) => r.width === 1).map(({ name }) =>
        `<label class="flag" data-flag="${name.toLowerCase()}"><input type="checkbox" data-flag="${name}"> ` +
        `${name}</label>`).join('');
}

export function RenderRegisters()
{
    const s = view.state;
    const p = view.previous;
    const ready = Boolean(view.assembled && s);
    const changed = (name) => Boolean(ready && p && p.registers[name] !== s.registers[name]);
    for (const input of $('registers').querySelectorAll('input')) {
        const row = Register(input.dataset.reg);
        input.closest('tr').hidden = row.only8085 && view.cpu === '8080';
        input.disabled = !ready || view.running || !row.writable;
        input.value = ready ? FormatNumber(s.registers[row.name], row.width, view.base) : '';
        input.closest('tr').classList.toggle('changed', changed(row.name));
    }
    for (const input of $('flags').querySelectorAll('input')) {
        const row = Register(input.dataset.flag);
        input.closest('label').hidden = row.only8085 && view.cpu === '8080';
        input.disabled = !ready || view.running || !row.writable;
        input.checked = ready && s.registers[row.name] === 1;
        input.closest('label').classList.toggle('changed', changed(row.name));
    }
    const stateCells = $('cpu-state').tBodies[0].rows;
    StateRows.forEach(([name, value], i) => {
        stateCells[i].hidden = Only8085States.includes(name) && view.cpu === '8080';
        const text = ready ? value(s) : '';
        stateCells[i].classList.toggle('changed', Boolean(ready && p && value(p) !== text && i < 6));
        stateCells[i].cells[1].textContent = text;
    });
}

// command(line) sends a debugger command; schedule() redraws.
export function WireRegisters({ command, schedule })
{
    $('registers').addEventListener('change', (event) => {
        const row = Register(event.target.dataset.reg);
        const value = ParseNumber(event.target.value, row.width, view.base);
        if (Number.isNaN(value)) {
            Say(`${row.name}: not a ${row.width}-bit number in ${view.base}`);
            schedule();
            return;
        }
        command(`set ${row.name} = ${DebuggerNumber(value, row.width / 4)}`);
    });
    $('flags').addEventListener('change', (event) => {
        command(`set ${event.target.dataset.flag} = ${event.target.checked ? 1 : 0}`);
    });
}
