// The page: wires the panels (one module each) to the worker that assembles
// and runs the program, and to each other.
import { $, view, Say, WithFileName } from './page.js';
import { ParseNumber, Hex } from './format.js';
import { CreateEditor } from './editor.js';
import { ReadMnemonics, HasInstruction } from './highlight.js';
import { BuildStatePanel, BuildRegisterPanels, RenderRegisters, WireRegisters } from './registers-panel.js';
import { BuildMemoryPanel, RenderMemory, WireMemory } from './memory-panel.js';
import { TakeOutputs, TakeInputAnswer, RenderPorts, WirePorts } from './ports-panel.js';
import { RenderKit, RenderInterruptButtons, WireKit } from './kit-panel.js';
import { RenderStack } from './stack-panel.js';
import { RenderLabels } from './labels-panel.js';
import { ShowListing, RenderListingStates, RenderListingPosition } from './listing-panel.js';
import { DescribeStop, RenderButtons, WireDebugBar } from './debug-bar.js';
import { StoreSource, ExampleRegisters, SaveExport, WireFiles, OpenFirstProgram, FileName } from './files-panel.js';

// The worker src/boot.js started early (compiling the modules already), or one of our own.
const worker = window.ideBoot?.worker ?? new Worker(new URL('worker.js', import.meta.url), { type: 'module' });
const Post = (message) => worker.postMessage(message);

const editor = CreateEditor({
    parent: $('editor'), label: 'Source code',
    onChange(text)
    {
        StoreSource(text);
        if (view.assembled && !view.stale) {
            view.stale = true;
            Say('The source changed: Assemble again to run it. Until then the marks follow the lines.');
        }
        if (view.assembled) {
            SendBreakpoints();
        }
        KeepSource(text);
    },
    onToggleBreakpoint: ToggleBreakpoint,
});

// The debugger's breakpoints: the editor's, on the lines of the program
// assembled (a line written since has none until the next Assemble).
let sentBreakpoints = '';
function SendBreakpoints()
{
    const lines = editor.Breakpoints().map((n) => editor.AssembledLine(n)).filter((n) => n > 0);
    if (JSON.stringify(lines) !== sentBreakpoints) {
        sentBreakpoints = JSON.stringify(lines);
        Post({ op: 'breakpoints', lines });
    }
}

// A line a breakpoint can stop at: one with an instruction (by the listing
// of the program assembled, or by the colouring for a line written since).
function InstructionLine(n)
{
    const line = editor.AssembledLine(n);
    if (view.assembled && line > 0) {
        return view.assembled.records.some((r) => r.sourceLine === line && r.code && r.size > 0);
    }
    return HasInstruction(editor.LineText(n) ?? '', view.mnemonics);
}

function ToggleBreakpoint(line)
{
    if (editor.HasBreakpoint(line)) {
        editor.SetBreakpoint(line, false);
        SendBreakpoints();
        Say(`No breakpoint at line ${line}.`);
        return;
    }
    let at = line;
    while (at <= editor.LineCount() && !InstructionLine(at)) {
        ++at;
    }
    if (at > editor.LineCount()) {
        Say(`Line ${line} has no instruction, and none follows it: no breakpoint.`);
        return;
    }
    editor.SetBreakpoint(at, true);
    SendBreakpoints();
    Say(at === line ? `Breakpoint at line ${at}.`
        : `Line ${line} has no instruction: the breakpoint is at line ${at}, the next instruction.`);
}

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
    RenderListingPosition(Watched());
    // While running, the line is followed only at the speeds made for watching a loop go round.
    editor.SetCurrentLine(ready && (!view.running || Watched()) ? editor.LineOfAssembled(view.state.sourceLine || 0) : 0);
    RenderButtons();
    RenderInterruptButtons();
    performance.measure('render', 'render-start'); // the page's benchmark observes these
    performance.clearMarks('render-start');
    performance.clearMeasures('render');
}

// The speeds (instructions a second) slow enough to follow the source line.
function Watched()
{
    return ['10', '2'].includes($('speed').value);
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
    TakeInputAnswer(message);
    // What changed is marked against the state before the last step, or
    // before Run/Continue however many slices it ran in; a state shown again
    // unchanged keeps the comparison.
    const same = view.state && s.instructions === view.state.instructions && s.states === view.state.states &&
        JSON.stringify(s.registers) === JSON.stringify(view.state.registers);
    if (view.runFrom) {
        view.previous = view.runFrom;
        view.runFrom = message.running ? view.runFrom : null;
    } else if (!same && !message.keepPrevious) {
        view.previous = view.state ?? view.previous;
    }
    view.state = s;
    view.memory = message.memory;
    view.running = Boolean(message.running);
    if (message.output) {
        const log = $('console');
        log.textContent = (log.textContent + WithFileName(message.output)).slice(-4000);
        log.scrollTop = log.scrollHeight;
    }
    // What Run, Reset or Assemble did with the values entered is said with
    // the states that follow, until the next command.
    if (message.said !== undefined) {
        view.note = message.said;
    }
    const note = view.note ? ' ' + view.note : '';
    const raised = /^interrupt (\S+)$/.exec(message.command ?? '');
    if (!view.assembled) {
        // Nothing to run (refused at Assemble): the status keeps saying why.
    } else if (message.refused) {
        Say(WithFileName(message.output?.trim() || `The debugger refused: ${message.command}`));
    } else if (raised && !view.running) {
        Say(RaisedText(raised[1], s));
    } else if (view.running) {
        Say('Running… (Stop or Shift+F5 stops it)' + note);
    } else {
        Say(WithFileName(DescribeStop(s, editor.LineOfAssembled(s.sourceLine || 0))) + note);
    }
    Schedule();
}

// An interrupt raised while the program stands still: when it is taken.
function RaisedText(command, s)
{
    const source = command.replace(/^RST/, 'RST ').replace(/^INTR:(\d)$/, 'INTR (RST $1)');
    const masked = source === 'TRAP' ? '' : !s.ie ? ' Interrupts are disabled (EI enables them): it waits until then.' : '';
    return `${source} raised: the processor takes it at the next Step or Continue.${masked}`;
}

// With Processor 8080, each instruction the 8080 lacks (by the debugger's
// instruction table of each model: RIM, SIM and the 8085's undocumented
// ones) is an error on its line: the 8080 would run its byte as another
// instruction.
function ModelProblems(result)
{
    const tables = view.instructions;
    if (view.cpu !== '8080' || !tables || !result.ok) {
        return [];
    }
    return result.records.filter((r) => r.code && r.size > 0 && r.bytes?.length && !tables[8080][r.bytes[0]].documented)
        .map((r) => {
            const op = r.bytes[0];
            const text = `${tables[8085][op].mnemonic} is an 8085 instruction: the 8080 has none, and would run its ` +
                `byte ${Hex(op, 2)}H as ${tables[8080][op].mnemonic}; choose Processor 8085, or leave it out`;
            return { line: r.sourceLine, kind: 'error', text, shown: `${FileName()}:${r.sourceLine}: error: ${text}`,
                from: 'Processor 8080' };
        });
}

function ShowAssembly(given)
{
    view.lastAssembly = given;
    const refused = ModelProblems(given);
    const result = refused.length ? { ...given, ok: false, problems: [...given.problems, ...refused] } : given;
    view.assembled = result.ok ? result : null;
    view.stale = false;
    view.previous = null;
    view.state = null;
    view.outLog = [];
    view.ports = new Map();
    view.note = '';
    editor.MarkAssembled();
    sentBreakpoints = JSON.stringify(editor.Breakpoints());
    editor.SetProblems(result.problems);
    ShowListing(result, editor.Get(), FileName(), (line) => editor.GoToLine(editor.LineOfAssembled(line)));
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
        breakpoints: editor.Breakpoints() });
}

// A debugger command; those that act like a kit's switches and buttons
// (an input value, an interrupt) work while the program runs too.
function Command(line, whileRunning = false)
{
    if (view.assembled && (whileRunning || !view.running)) {
        view.note = '';
        Post({ op: 'command', line });
    }
}

// The start address box: empty for the program's own start (the first
// address it fills, or END's label); NaN when it holds no address.
function StartAddress()
{
    const text = $('start-address').value.trim();
    return text === '' ? null : ParseNumber(text, 16, 'hex');
}

function Go(fromStart)
{
    if (!view.assembled || view.running) {
        return;
    }
    if (fromStart && Number.isNaN(StartAddress())) {
        Say('Start address: type a 16-bit address such as 2000 or 2000H, or leave it empty.');
        return;
    }
    if (fromStart) {
        view.outLog = [];
    }
    view.running = true;
    view.runFrom = fromStart ? null : view.state;
    RenderButtons();
    Post({ op: 'go', fromStart, speed: $('speed').value, start: StartAddress() });
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
    reset: () => { view.outLog = []; view.previous = null; Post({ op: 'reset', start: StartAddress() }); },
    'toggle-breakpoint': () => ToggleBreakpoint(editor.CaretLine()),
};

function Wire()
{
    const panel = { command: Command, schedule: Schedule, post: Post, editor, onOpened: Forget };
    WireDebugBar(Actions);
    WireRegisters(panel);
    WireMemory(panel);
    WirePorts(panel);
    WireKit(panel);
    WireFiles(panel);
    $('base').addEventListener('change', () => { view.base = $('base').value; Schedule(); });
    $('cpu').addEventListener('change', () => {
        view.cpu = $('cpu').value;
        if (view.lastAssembly) {
            ShowAssembly(view.lastAssembly);
        }
        view.previous = null;
        Post({ op: 'cpu', cpu: view.cpu });
    });
    worker.onmessage = Answer;
    for (const event of window.ideBoot?.early.splice(0) ?? []) {
        Answer(event);
    }
}

function Answer(event)
{
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
}

// Another file is shown: what was assembled is another program's.
function Forget()
{
    if (view.running) {
        Post({ op: 'stop' });
    }
    view.assembled = null;
    view.lastAssembly = null;
    view.state = null;
    view.previous = null;
    view.runFrom = null;
    view.stale = false;
    ShowListing({ problems: [], records: [] }, '', FileName(), () => {});
    Post({ op: 'forget' });
    Schedule();
}

async function Start()
{
    BuildStatePanel();
    BuildMemoryPanel();
    Wire();
    if (!window.ideBoot) {
        Post({ op: 'tables' });
    }
    const opening = OpenFirstProgram();
    Render();
    const table = await fetch('etc/opcodes.txt').then((r) => r.text()).catch(() => '');
    view.mnemonics = ReadMnemonics(table);
    editor.SetMnemonics(view.mnemonics);
    await opening;
    if ('serviceWorker' in navigator && location.protocol !== 'file:') {
        navigator.serviceWorker.register('sw.js').catch(() => {});
    }
}

Start();
