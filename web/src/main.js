// The page: wires the editor, the buttons and the panels to the worker that
// assembles and runs the program.
import { CreateEditor } from './editor.js';
import { ReadMnemonics } from './highlight.js';
import { FormatNumber, ParseNumber, Hex } from './format.js';
import { MakeShareLink, ReadShareLink } from './share.js';
import { ReadPlacedBytes, FormatIntelHex, FormatBinary } from './export.js';
import { DescribeStates } from './isa.js';

const $ = (id) => document.getElementById(id);
const StorageKey = 'ide8085.source';
const RegisterRows = [['A', 'a', 8], ['B', 'b', 8], ['C', 'c', 8], ['D', 'd', 8], ['E', 'e', 8], ['H', 'h', 8],
    ['L', 'l', 8], ['SP', 'sp', 16], ['PC', 'pc', 16]];
const FlagRows = [['S', 's'], ['Z', 'z'], ['AC', 'ac'], ['P', 'p'], ['CY', 'cy'], ['K', 'k'], ['V', 'v']];
const StateRows = [
    ['IE', (s) => (s.ie ? '1' : '0')],
    ['M7.5', (s) => String((s.masks >> 2) & 1)],
    ['M6.5', (s) => String((s.masks >> 1) & 1)],
    ['M5.5', (s) => String(s.masks & 1)],
    ['I7.5', (s) => (s.i75 ? '1' : '0')],
    ['SOD', (s) => String(s.sod)],
    ['Instructions', (s) => String(s.instructions)],
    ['T-states', (s) => String(s.states)],
    ['Stop', (s) => s.stopText || s.stop],
];
const MemoryRows = 16;
const MemoryColumns = 8;
const Segments = [ // bit 0 = a ... bit 6 = g, bit 7 = dp: [x, y, width, height]
    [14, 4, 32, 6], [46, 10, 6, 32], [46, 48, 6, 32], [14, 80, 32, 6], [8, 48, 6, 32], [8, 10, 6, 32],
    [14, 42, 32, 6], [56, 80, 6, 6]];

const view = {
    base: 'hex', cpu: '8085', memoryStart: 0x2000, assembled: null, state: null, previous: null, memory: null,
    running: false, breakpoints: new Set(), example: null, outLog: [], ports: new Map(), inputs: new Map(),
    pending: false, stale: false,
};

let worker = new Worker(new URL('worker.js', import.meta.url), { type: 'module' });
const editor = CreateEditor({
    textarea: $('source'), highlight: $('highlight'), gutter: $('gutter'),
    onChange(text)
    {
        if (view.assembled) {
            view.stale = true;
            Say('The source changed: Assemble again to run it.');
        }
        KeepSource(text);
    },
    onToggleBreakpoint(line)
    {
        const on = !view.breakpoints.has(line);
        if (on) {
            view.breakpoints.add(line);
        } else {
            view.breakpoints.delete(line);
        }
        editor.SetBreakpoints(view.breakpoints);
        worker.postMessage({ op: 'breakpoint', line, on });
        Say(on ? `Breakpoint at line ${line}.` : `No breakpoint at line ${line}.`);
    },
});

function Counted(count, noun)
{
    return `${count} ${noun}${count === 1 ? '' : 's'}`;
}

function Say(text)
{
    $('status').textContent = text;
}

function Download(name, data, type)
{
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([data], { type }));
    link.download = name;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

// ----- building the panels once -----

function BuildPanels()
{
    $('registers').tBodies[0].innerHTML = RegisterRows.map(([name, key]) =>
        `<tr><th scope="row">${name}</th><td><input data-reg="${key}" aria-label="Register ${name}" ` +
        'size="16" autocomplete="off"></td></tr>').join('');
    $('flags').innerHTML = FlagRows.map(([name, key]) =>
        `<label class="flag" data-flag="${key}"><input type="checkbox" data-flag="${key}"> ${name}</label>`).join('');
    $('cpu-state').tBodies[0].innerHTML = StateRows.map(([name]) =>
        `<tr><th scope="row">${name}</th><td></td></tr>`).join('');
    $('memory').tHead.innerHTML = '<tr><th scope="col">Address</th>' +
        Array.from({ length: MemoryColumns }, (_, i) => `<th scope="col">+${i}</th>`).join('') + '</tr>';
    $('memory').tBodies[0].innerHTML = Array.from({ length: MemoryRows }, () =>
        '<tr><th scope="row"></th>' + Array.from({ length: MemoryColumns }, () =>
            '<td><input size="8" autocomplete="off"></td>').join('') + '</tr>').join('');
}

// ----- showing a state -----

function Render()
{
    performance.mark('render-start');
    view.pending = false;
    const s = view.state;
    const p = view.previous;
    const ready = Boolean(view.assembled && s);
    for (const input of $('registers').querySelectorAll('input')) {
        const row = RegisterRows.find((r) => r[1] === input.dataset.reg);
        input.disabled = !ready || view.running;
        input.value = ready ? FormatNumber(s[row[1]], row[2], view.base) : '';
        input.closest('tr').classList.toggle('changed', Boolean(ready && p && p[row[1]] !== s[row[1]]));
    }
    for (const input of $('flags').querySelectorAll('input')) {
        const key = input.dataset.flag;
        const only8085 = key === 'k' || key === 'v';
        input.closest('label').hidden = only8085 && view.cpu === '8080';
        input.disabled = !ready || view.running || only8085;
        input.checked = ready && s.flags[key] === 1;
        input.closest('label').classList.toggle('changed', Boolean(ready && p && p.flags[key] !== s.flags[key]));
    }
    const stateCells = $('cpu-state').tBodies[0].rows;
    StateRows.forEach(([name, value], i) => {
        const only8085 = ['M7.5', 'M6.5', 'M5.5', 'I7.5', 'SOD'].includes(name);
        stateCells[i].hidden = only8085 && view.cpu === '8080';
        const text = ready ? value(s) : '';
        stateCells[i].classList.toggle('changed', Boolean(ready && p && value(p) !== text && i < 6));
        stateCells[i].cells[1].textContent = text;
    });
    RenderMemory();
    RenderPorts();
    RenderListingPosition();
    editor.SetCurrentLine(ready && !view.running ? s.sourceLine || 0 : 0);
    RenderButtons();
    performance.measure('render', 'render-start'); // the page's benchmark observes these
    performance.clearMarks('render-start');
    performance.clearMeasures('render');
}

function RenderMemory()
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

function RenderPorts()
{
    const port = parseInt($('show-port').value, 16) & 0xFF;
    const value = view.ports.get(port) ?? 0;
    const display = $('display');
    const bits = value.toString(2).padStart(8, '0');
    if ($('show-as').value === 'leds') {
        display.setAttribute('aria-label', `Port ${Hex(port, 2)} as LEDs: ${bits}`);
        display.innerHTML = Array.from(bits, (b, i) =>
            `<span class="led${b === '1' ? ' on' : ''}" title="bit ${7 - i}"></span>`).join('');
    } else {
        display.setAttribute('aria-label', `Port ${Hex(port, 2)} as a 7-segment digit: segments ${bits}`);
        display.innerHTML = '<svg viewBox="0 0 66 92" width="44" height="62">' + Segments.map(([x, y, w, h], bit) =>
            `<rect x="${x}" y="${y}" width="${w}" height="${h}" rx="2" class="seg${value >> bit & 1 ? ' on' : ''}"/>`)
            .join('') + '</svg>';
    }
    $('out-log').innerHTML = view.outLog.slice(-100).map((e) =>
        `<li>after ${Counted(e.instructions, 'instruction')}: OUT ${Hex(e.port, 2)}H = ` +
        `${FormatNumber(e.value, 8, view.base)}</li>`)
        .join('');
    $('inputs').innerHTML = [...view.inputs].map(([p, v]) =>
        `<li>IN ${Hex(p, 2)}H reads ${FormatNumber(v, 8, view.base)}</li>`).join('');
}

function RenderListingPosition()
{
    const pc = view.state?.pc;
    for (const row of $('listing').tBodies[0].rows) {
        const current = !view.running && Number(row.dataset.address) === pc && row.dataset.code === '1';
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

function RenderButtons()
{
    const ready = Boolean(view.assembled && view.state);
    const running = view.running;
    const halted = Boolean(view.state?.halted);
    $('assemble').disabled = running || view.assembling;
    $('run').disabled = !ready || running;
    for (const id of ['step', 'step-over', 'step-out', 'continue']) {
        $(id).disabled = !ready || running || halted;
    }
    $('step-back').disabled = !ready || running || !(view.state?.historyAvailable > 0);
    $('stop').disabled = !running && !view.assembling;
    $('reset').disabled = !ready;
    for (const id of ['export-hex', 'export-bin', 'export-img']) {
        $(id).disabled = !view.assembled;
    }
    for (const b of document.querySelectorAll('[data-source]')) {
        b.disabled = !ready || (view.cpu === '8080' && b.dataset.source !== 'INTR');
    }
}

function Schedule()
{
    if (!view.pending) {
        view.pending = true;
        requestAnimationFrame(Render);
    }
}

function TakeState(message)
{
    const s = message.state;
    if (!s) {
        return;
    }
    if (view.state && s.instructions < view.state.instructions) {
        view.outLog = view.outLog.filter((e) => e.instructions <= s.instructions);
    }
    const ports = new Map(s.outPorts ?? []);
    for (const [port, value] of ports) {
        if (view.ports.get(port) !== value && s.instructions > (view.state?.instructions ?? -1)) {
            view.outLog.push({ instructions: s.instructions, port, value });
        }
    }
    view.ports = ports;
    view.previous = view.state && !message.keepPrevious ? view.state : view.previous;
    view.state = s;
    view.memory = message.memory;
    view.running = Boolean(message.running);
    if (message.output) {
        const log = $('console');
        log.textContent = (log.textContent + message.output).slice(-4000);
        log.scrollTop = log.scrollHeight;
    }
    if (message.refused) {
        Say(message.output?.trim() || `The debugger refused: ${message.command}`);
    } else if (view.running) {
        Say('Running… (Stop or Shift+F5 stops it)');
    } else {
        Say(DescribeStop(s));
    }
    Schedule();
}

function DescribeStop(s)
{
    const where = s.sourceLine ? ` at line ${s.sourceLine}` : '';
    const counts = `${Counted(s.instructions, 'instruction')}, ${s.states} T-states`;
    if (s.halted) {
        return `Halted${where} after ${counts}.`;
    }
    if (s.instructions === 0 && s.historyAvailable === 0) {
        return `Ready${where}: PC ${Hex(s.pc, 4)}H. Step or Run.`;
    }
    return `Stopped${where}, PC ${Hex(s.pc, 4)}H, after ${counts}.`;
}

function ShowAssembly(result)
{
    view.assembled = result.ok ? result : null;
    view.stale = false;
    view.previous = null;
    view.state = null;
    view.outLog = [];
    view.ports = new Map();
    editor.SetProblems(result.problems);
    $('messages').innerHTML = '';
    for (const p of result.problems) {
        const li = document.createElement('li');
        li.className = p.kind;
        const button = document.createElement('button');
        button.type = 'button';
        button.textContent = p.shown;
        if (p.line > 0) {
            button.addEventListener('click', () => editor.GoToLine(p.line));
        }
        li.append(button);
        $('messages').append(li);
    }
    const lines = editor.Get().split('\n');
    const body = $('listing').tBodies[0];
    body.innerHTML = '';
    for (const r of result.records) {
        const tr = body.insertRow();
        const code = r.code;
        tr.dataset.address = r.address;
        tr.dataset.code = code ? '1' : '0';
        const cells = [String(r.sourceLine || ''), Hex(r.address, 4), (r.bytes ?? []).map((b) => Hex(b, 2)).join(' '),
            code && r.bytes?.length ? DescribeStates(view.cpu, r.bytes[0]) : '', lines[r.sourceLine - 1] ?? ''];
        for (const text of cells) {
            tr.insertCell().textContent = text;
        }
        tr.addEventListener('click', () => r.sourceLine && editor.GoToLine(r.sourceLine));
    }
    const errors = result.problems.filter((p) => p.kind === 'error').length;
    Say(result.ok ? `Assembled: ${result.records.length} records.` +
        (result.problems.length ? ` ${result.problems.length} messages.` : '') :
        `${errors} error${errors === 1 ? '' : 's'}: nothing to run. See the marked lines.`);
    Schedule();
}

// ----- actions -----

function Assemble()
{
    view.assembling = true;
    RenderButtons();
    Say('Assembling… (Stop or Shift+F5 stops it)');
    // An example's register file goes with it while its first line is there.
    const example = view.example && editor.Get().split('\n')[0] === view.example.firstLine ? view.example : null;
    worker.postMessage({ op: 'assemble', source: editor.Get(), registers: example?.registers ?? '',
        breakpoints: [...view.breakpoints] });
}

// A debugger command; those that act like a kit's switches and buttons
// (an input value, an interrupt) work while the program runs too.
function Command(line, whileRunning = false)
{
    if (view.assembled && (whileRunning || !view.running)) {
        worker.postMessage({ op: 'command', line });
    }
}

function Go(fromStart)
{
    if (!view.assembled || view.running) {
        return;
    }
    if (fromStart) {
        view.outLog = [];
    }
    view.running = true;
    RenderButtons();
    worker.postMessage({ op: 'go', fromStart, speed: $('speed').value });
}

const Actions = {
    assemble: Assemble,
    run: () => Go(true),
    step: () => Command('step'),
    'step-over': () => Command('next'),
    'step-out': () => Command('finish'),
    'step-back': () => Command('reverse-step'),
    continue: () => Go(false),
    stop: () => (view.assembling ? StopAssembling() : worker.postMessage({ op: 'stop' })),
    reset: () => { view.outLog = []; view.previous = null; worker.postMessage({ op: 'reset' }); },
    'toggle-breakpoint': () => editor.ToggleBreakpointAtCaret(),
};

const Shortcuts = [ // key, shift, ctrl, action
    ['b', false, true, 'assemble'], ['F5', false, true, 'run'], ['F11', false, false, 'step'],
    ['F10', false, false, 'step-over'], ['F11', true, false, 'step-out'], ['F10', true, false, 'step-back'],
    ['F5', false, false, 'continue'], ['F5', true, false, 'stop'], ['F5', true, true, 'reset'],
    ['F9', false, false, 'toggle-breakpoint'],
];

function Wire()
{
    for (const [id, action] of Object.entries(Actions)) {
        $(id)?.addEventListener('click', action);
    }
    document.addEventListener('keydown', (event) => {
        const key = event.key.length === 1 ? event.key.toLowerCase() : event.key;
        const hit = Shortcuts.find(([k, shift, ctrl]) => k === key && shift === event.shiftKey &&
            ctrl === (event.ctrlKey || event.metaKey));
        if (hit && !$(hit[3])?.disabled) {
            event.preventDefault();
            Actions[hit[3]]();
        }
    });
    $('registers').addEventListener('change', (event) => {
        const row = RegisterRows.find((r) => r[1] === event.target.dataset.reg);
        const value = ParseNumber(event.target.value, row[2], view.base);
        if (Number.isNaN(value)) {
            Say(`${row[0]}: not a ${row[2]}-bit number in ${view.base}`);
            Schedule();
            return;
        }
        Command(`set ${row[0]} = ${Hex(value, row[2] / 4)}H`);
    });
    $('flags').addEventListener('change', (event) => {
        Command(`set ${event.target.dataset.flag.toUpperCase()} = ${event.target.checked ? 1 : 0}`);
    });
    $('memory').addEventListener('change', (event) => {
        const address = Number(event.target.dataset.address);
        const value = ParseNumber(event.target.value, 8, view.base);
        if (Number.isNaN(value)) {
            Say(`Byte ${Hex(address, 4)}: not a byte in ${view.base}`);
            Schedule();
            return;
        }
        Command(`set [${Hex(address, 4)}H] = ${Hex(value, 2)}H`);
    });
    $('goto').addEventListener('submit', (event) => {
        event.preventDefault();
        const address = ParseNumber($('goto-address').value, 16, 'hex');
        if (!Number.isNaN(address)) {
            view.memoryStart = address & 0xFFF8;
            Schedule();
        }
    });
    $('goto-pc').addEventListener('click', () => { view.memoryStart = (view.state?.pc ?? 0) & 0xFFF8; Schedule(); });
    $('goto-sp').addEventListener('click', () => { view.memoryStart = (view.state?.sp ?? 0) & 0xFFF8; Schedule(); });
    $('input-form').addEventListener('submit', (event) => {
        event.preventDefault();
        const port = ParseNumber($('in-port').value, 8, 'hex');
        const value = ParseNumber($('in-value').value, 8, view.base);
        if (Number.isNaN(port) || Number.isNaN(value)) {
            Say('IN: port and value must be bytes');
            return;
        }
        view.inputs.set(port, value);
        Command(`input ${Hex(port, 2)}H = ${Hex(value, 2)}H`, true);
    });
    for (const id of ['show-port', 'show-as']) {
        $(id).addEventListener('change', Schedule);
    }
    for (const b of document.querySelectorAll('[data-source]')) {
        b.addEventListener('click', () => {
            const source = b.dataset.source === 'INTR' ? 'INTR:' + $('intr-number').value : b.dataset.source;
            Command('interrupt ' + source, true);
        });
    }
    $('base').addEventListener('change', () => { view.base = $('base').value; Schedule(); });
    $('cpu').addEventListener('change', () => {
        view.cpu = $('cpu').value;
        if (view.assembled) {
            ShowAssembly(view.assembled);
        }
        view.previous = null;
        worker.postMessage({ op: 'cpu', cpu: view.cpu });
    });
    $('open').addEventListener('click', () => $('open-file').click());
    $('open-file').addEventListener('change', async () => {
        const file = $('open-file').files[0];
        if (file) {
            editor.Set(await file.text());
            view.example = null;
            Say(`Opened ${file.name}.`);
            KeepSource(editor.Get());
        }
    });
    $('save').addEventListener('click', () => Download('program.asm', editor.Get(), 'text/plain'));
    $('share').addEventListener('click', async () => {
        const link = MakeShareLink(location.href, editor.Get());
        history.replaceState(null, '', link);
        $('share-link').value = link;
        $('share-link').hidden = false;
        try {
            await navigator.clipboard.writeText(link);
            Say('The link to this program is copied; it is also in the address bar.');
        } catch {
            Say('The link to this program is in the address bar.');
        }
    });
    $('export-hex').addEventListener('click', () => {
        const placed = ReadPlacedBytes(view.assembled.files.machineCode);
        Download('program.ihx', FormatIntelHex(placed), 'text/plain');
    });
    $('export-bin').addEventListener('click', () => {
        const placed = ReadPlacedBytes(view.assembled.files.machineCode);
        Download('program.bin', FormatBinary(placed), 'application/octet-stream');
    });
    $('export-img').addEventListener('click', () =>
        Download('program.img', view.assembled.image, 'application/octet-stream'));
    $('examples').addEventListener('change', async () => {
        const option = $('examples').selectedOptions[0];
        if (option?.value) {
            await OpenExample(option.value, option.dataset.registers);
            Say(`Example ${option.value} loaded: Assemble to run it.`);
            $('examples').value = '';
        }
    });
    worker.onmessage = OnWorkerMessage;
}

function OnWorkerMessage(event)
{
    const message = event.data;
    if (message.op === 'assembled') {
        view.assembling = false;
        ShowAssembly(message.result);
    } else if (message.op === 'state') {
        TakeState(message);
    } else if (message.op === 'failure') {
        view.running = false;
        view.assembling = false;
        Say('Something went wrong: ' + message.text.split('\n')[0]);
        RenderButtons();
    }
}

// Stop during Assemble: the programs run in the worker without a pause, so
// the worker is ended and a new one started; the program assembled before
// is gone with it.
function StopAssembling()
{
    worker.terminate();
    worker = new Worker(new URL('worker.js', import.meta.url), { type: 'module' });
    worker.onmessage = OnWorkerMessage;
    worker.postMessage({ op: 'cpu', cpu: view.cpu });
    view.assembling = false;
    view.assembled = null;
    view.state = null;
    Say('Assemble stopped: nothing is assembled. Assemble again to run the program.');
    Render();
}

// Keeps the source in the browser's storage for the next visit. Over the
// storage quota it is not kept, and the older copy is removed so that a
// reload does not bring it back as if it were this one; the user is told.
function KeepSource(text)
{
    try {
        localStorage.setItem(StorageKey, text);
    } catch {
        localStorage.removeItem(StorageKey);
        const before = $('status').textContent;
        Say(`${before ? before + ' ' : ''}This program (${Math.ceil(text.length / 1024)} KiB) is more than the ` +
            'browser lets the page keep: it is not kept, and a reload would lose it. Share or download it to keep it.');
    }
}

// An example, and the register data file it starts from, if it has one.
async function OpenExample(source, registers)
{
    editor.Set(await (await fetch('examples/' + source)).text());
    KeepSource(editor.Get());
    view.example = registers ? { firstLine: editor.Get().split('\n')[0], name: registers,
        registers: await (await fetch('examples/' + registers)).text() } : null;
}

async function Start()
{
    BuildPanels();
    Wire();
    const link = ReadShareLink(location.hash);
    const shared = link?.source ?? null;
    const stored = localStorage.getItem(StorageKey);
    if (shared !== null) {
        editor.Set(shared);
        Say('Program opened from a shared link: Assemble to run it.');
    } else if (stored !== null) {
        editor.Set(stored);
    }
    if (link?.error) {
        Say(`The shared link cannot be read: ${link.error}. ` +
            (stored !== null ? 'The program kept in this browser is open instead.' : 'An example is open instead.'));
    }
    Render();
    const [examples, table] = await Promise.all([
        fetch('examples/index.json').then((r) => r.json()).catch(() => []),
        fetch('etc/opcodes.txt').then((r) => r.text()).catch(() => ''),
    ]);
    editor.SetMnemonics(ReadMnemonics(table));
    // Each entry a file name, or { name, source, registers, summary }.
    const entries = examples.map((e) => (typeof e === 'string' ? { name: e.replace(/\.asm$/, ''), source: e } : e));
    for (const e of entries) {
        const option = new Option(e.name, e.source);
        option.title = e.summary ?? '';
        option.dataset.registers = e.registers ?? '';
        $('examples').add(option);
    }
    if (shared === null && stored === null && entries.length > 0) {
        const first = entries.find((e) => e.source === 'countdown.asm') ?? entries[0];
        await OpenExample(first.source, first.registers);
    }
    if ('serviceWorker' in navigator && location.protocol !== 'file:') {
        navigator.serviceWorker.register('sw.js').catch(() => {});
    }
}

Start();
