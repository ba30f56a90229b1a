// The memory panel: 128 bytes from a chosen address, each one editable.
import { $, view, Say } from './page.js';
import { FormatNumber, ParseNumber, Hex, DebuggerNumber } from './format.js';

const MemoryRows = 16;
const MemoryColumns = 8;

export function BuildMemoryPanel()
{
    $('memory').tHead.innerHTML = '<tr><th scope="col">Address</th>' +
        Array.from({ length: MemoryColumns }, (_, i) => `<th scope="col">+${i}</th>`).join('') + '</tr>';
    $('memory').tBodies[0].innerHTML = Array.from({ length: MemoryRows }, () =>
        '<tr><th scope="row"></th>' + Array.from({ length: MemoryColumns }, () =>
            '<td><input size="8" autocomplete="off"></td>').join('') + '</tr>').join('');
}

export function RenderMemory()
{
    const s = view.state;
    const m = view.memory;
    const rows = $('memory').tBodies[0].rows;
    $('memory').dataset.base = view.base;
    for (let r = 0; r < MemoryRows; ++r) {
        const address = (view.memoryStart + r * MemoryColumns) & 0xFFFF;
        rows[r].cells[0].textContent = Hex(address, 4);
        for (let c = 0; c < MemoryColumns; ++c) {
            const at = (address + c) & 0xFFFF;
            const input = rows[r].cells[c + 1].firstChild;
            input.setAttribute('aria-label', 'Byte ' + Hex(at, 4));
            input.dataset.address = at;
            input.disabled = !m || view.running;
            input.value = m ? FormatNumber(m[at], 8, view.base) : '';
            const cell = rows[r].cells[c + 1];
            cell.classList.toggle('pc', Boolean(s && s.pc === at));
            cell.classList.toggle('sp', Boolean(s && s.sp === at));
            cell.classList.toggle('written', Boolean(s && s.lastWrite === at));
        }
    }
}

export function WireMemory({ command, schedule })
{
    $('memory').addEventListener('change', (event) => {
        const address = Number(event.target.dataset.address);
        const value = ParseNumber(event.target.value, 8, view.base);
        if (Number.isNaN(value)) {
            Say(`Byte ${Hex(address, 4)}: not a byte in ${view.base}`);
            schedule();
            return;
        }
        command(`set [${DebuggerNumber(address, 4)}] = ${DebuggerNumber(value, 2)}`);
    });
    $('goto').addEventListener('submit', (event) => {
        event.preventDefault();
        const address = ParseNumber($('goto-address').value, 16, 'hex');
        if (!Number.isNaN(address)) {
            view.memoryStart = address & 0xFFF8;
            schedule();
        }
    });
    $('goto-pc').addEventListener('click', () => { view.memoryStart = (view.state?.pc ?? 0) & 0xFFF8; schedule(); });
    $('goto-sp').addEventListener('click', () => { view.memoryStart = (view.state?.sp ?? 0) & 0xFFF8; schedule(); });
}
