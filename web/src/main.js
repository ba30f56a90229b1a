// The page: wires the panels (one module each) to the worker that assembles
// and runs the program, and to each other.
import { $, view, Say } from './page.js';
import { CreateEditor } from './editor.js';
import { ReadMnemonics } from './highlight.js';
import { BuildStatePanel, BuildRegisterPanels, RenderRegisters, WireRegisters } from './registers-panel.js';
import { BuildMemoryPanel, RenderMemory, WireMemory } from './memory-panel.js';
import { TakeOutputs, RenderPorts, WirePorts } from './ports-panel.js';
import { RenderKit, RenderInterruptButtons, WireKit } from './kit-panel.js';
import { RenderStack } from './stack-panel.js';
import { RenderLabels } from './labels-panel.js';
import { ShowListing, RenderListingStates, RenderListingPosition } from './listing-panel.js';
import { DescribeStop, RenderButtons, WireDebugBar } from './debug-bar.js';
import { StoreSource, ExampleRegisters, SaveExport, WireFiles, OpenFirstProgram } from './files-panel.js';

const worker = new Worker(new URL('worker.js', import.meta.url), { type: 'module' });
const Post = (message) => worker.postMessage(message);

const editor = CreateEditor({
    textarea: $('source'), highlight: $('highlight'), gutter: $('gutter'),
    onChange(text)
    {
        StoreSource(text);
        if (view.assembled) {
            view.stale = true;
            Say('The source changed: Assemble again to run it.');
        }
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
        Post({ op: 'breakpoint', line, on });
        Say(on ? `Breakpoint at line ${line}.` : `No breakpoint at line ${line}.`);
    },
});

function Render()
{
    performance.mark('render-start');
    view.pending = false;
    const ready = Boolean(view.assembled && view.state);
    RenderRegisters();
    RenderMemory();
    RenderPorts();
    RenderKit();
    RenderStack();
    RenderLabels();
    RenderListingPosition();
    editor.SetCurrentLine(ready && !view.running ? view.state.sourceLine || 0 : 0);
    RenderButtons();
    RenderInterruptButtons();
    performance.measure('render', 'render-start'); // the page's benchmark observes these
    performance.clearMarks('render-start');
    performance.clearMeasures('render');
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
    TakeOutputs(s);
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

function ShowAssembly(result)
{
    view.assembled = result.ok ? result : null;
    view.stale = false;
    view.previous = null;
    view.state = null;
    view.outLog = [];
    view.ports = new Map();
    editor.SetProblems(result.problems);
    ShowListing(result, editor.Get(), (line) => editor.GoToLine(line));
    const errors = result.problems.filter((p) => p.kind === 'error').length;
    Say(result.ok ? `Assembled: ${result.records.length} records.` +
        (result.problems.length ? ` ${result.problems.length} messages.` : '') :
        `${errors} error${errors === 1 ? '' : 's'}: nothing to run. See the marked lines.`);
    Schedule();
}

// ----- actions -----

function Assemble()
{
    Say('Assembling…');
    Post({ op: 'assemble', source: editor.Get(), registers: ExampleRegisters(editor.Get()),
        breakpoints: [...view.breakpoints] });
}

// A debugger command; those that act like a kit's switches and buttons
// (an input value, an interrupt) work while the program runs too.
function Command(line, whileRunning = false)
{
    if (view.assembled && (whileRunning || !view.running)) {
        Post({ op: 'command', line });
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
    Post({ op: 'go', fromStart, speed: $('speed').value });
}

const Actions = {
    assemble: Assemble,
    run: () => Go(true),
    step: () => Command('step'),
    'step-over': () => Command('next'),
    'step-out': () => Command('finish'),
    'step-back': () => Command('reverse-step'),
    continue: () => Go(false),
    stop: () => Post({ op: 'stop' }),
    reset: () => { view.outLog = []; view.previous = null; Post({ op: 'reset' }); },
    'toggle-breakpoint': () => editor.ToggleBreakpointAtCaret(),
};

function Wire()
{
    const panel = { command: Command, schedule: Schedule, post: Post, editor };
    WireDebugBar(Actions);
    WireRegisters(panel);
    WireMemory(panel);
    WirePorts(panel);
    WireKit(panel);
    WireFiles(panel);
    $('base').addEventListener('change', () => { view.base = $('base').value; Schedule(); });
    $('cpu').addEventListener('change', () => {
        view.cpu = $('cpu').value;
        if (view.assembled) {
            ShowAssembly(view.assembled);
        }
        view.previous = null;
        Post({ op: 'cpu', cpu: view.cpu });
    });
    worker.onmessage = (event) => {
        const message = event.data;
        if (message.op === 'assembled') {
            ShowAssembly(message.result);
        } else if (message.op === 'state') {
            TakeState(message);
        } else if (message.op === 'tables') {
            BuildRegisterPanels(message.registers);
            view.instructions = message.instructions;
            RenderListingStates();
            Schedule();
        } else if (message.op === 'exported') {
            SaveExport(message.kind, message.data);
        } else if (message.op === 'failure') {
            view.running = false;
            Say('Something went wrong: ' + message.text.split('\n')[0]);
            RenderButtons();
        }
    };
}

async function Start()
{
    BuildStatePanel();
    BuildMemoryPanel();
    Wire();
    Post({ op: 'tables' });
    const opening = OpenFirstProgram(editor);
    Render();
    const table = await fetch('etc/opcodes.txt').then((r) => r.text()).catch(() => '');
    editor.SetMnemonics(ReadMnemonics(table));
    await opening;
    if ('serviceWorker' in navigator && location.protocol !== 'file:') {
        navigator.serviceWorker.register('sw.js').catch(() => {});
    }
}

Start();
