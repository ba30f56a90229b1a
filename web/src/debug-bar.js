// The bar of Assemble and the debugger's buttons, their keyboard shortcuts,
// and the status line's account of where the program stopped.
import { $, view, Say, Counted } from './page.js';
import { Hex } from './format.js';

// key, shift, ctrl, action (a button's id), what it does (for the help)
const Shortcuts = [
    ['b', false, true, 'assemble', 'Assemble'], ['F5', false, true, 'run', 'Run from the start'],
    ['F11', false, false, 'step', 'Step'], ['F10', false, false, 'step-over', 'Step over a CALL'],
    ['F11', true, false, 'step-out', 'Step out of the subroutine'], ['F10', true, false, 'step-back', 'Step back'],
    ['F5', false, false, 'continue', 'Continue'], ['F5', true, false, 'stop', 'Stop'],
    ['F5', true, true, 'reset', 'Reset'], ['F9', false, false, 'toggle-breakpoint', 'Breakpoint at the cursor\'s line'],
];
// Keys of the editor and of the page that are not a button's.
const OtherKeys = [
    ['Escape, then Tab', 'leave the editor (Tab alone indents)'], ['Shift+Tab', 'unindent; after Escape, leave the editor backwards'],
    ['Ctrl+Z / Ctrl+Shift+Z', 'undo / redo in the editor'], ['Ctrl+M', 'Tab always leaves the editor (again: indents)'],
    ['F1', 'this help'],
];

function KeyName(key, shift, ctrl)
{
    return [ctrl ? 'Ctrl' : '', shift ? 'Shift' : '', key.length === 1 ? key.toUpperCase() : key].filter(Boolean).join('+');
}

// The help's table, from the shortcuts themselves.
export function BuildKeysHelp()
{
    const rows = [...Shortcuts.map(([key, shift, ctrl, , what]) => [KeyName(key, shift, ctrl), what]), ...OtherKeys];
    $('keys-table').tBodies[0].replaceChildren(...rows.map(([keys, what]) => {
        const tr = document.createElement('tr');
        const th = document.createElement('th');
        th.scope = 'row';
        th.textContent = keys;
        tr.append(th);
        tr.insertCell().textContent = what;
        return tr;
    }));
}

// line: the stop's source line as the editor numbers it now.
export function DescribeStop(s, line)
{
    const where = line ? ` at line ${line}` : '';
    const counts = `${Counted(s.instructions, 'instruction')}, ${s.states} T-states`;
    if (s.halted) {
        return `Halted${where}, PC ${Hex(s.pc, 4)}H, after ${counts}.`;
    }
    if (s.stop === 'left-program' && s.stopText) {
        // Most often an interrupt into a vector the program left empty: the
        // debugger says which, and where its routine goes.
        return `Stopped, PC ${Hex(s.pc, 4)}H: ${s.stopText}.`;
    }
    if (s.instructions === 0 && s.historyAvailable === 0) {
        return `Ready${where}: PC ${Hex(s.pc, 4)}H. Step or Run.`;
    }
    return `Stopped${where}, PC ${Hex(s.pc, 4)}H, after ${counts}.`;
}

export function RenderButtons()
{
    const ready = Boolean(view.assembled && view.state);
    const running = view.running;
    const halted = Boolean(view.state?.halted);
    $('assemble').disabled = running;
    $('run').disabled = !ready || running;
    for (const id of ['step', 'step-over', 'step-out', 'continue']) {
        $(id).disabled = !ready || running || halted;
    }
    $('step-back').disabled = !ready || running || !(view.state?.historyAvailable > 0);
    $('stop').disabled = !running;
    $('reset').disabled = !ready;
    for (const id of ['export-hex', 'export-bin', 'export-img']) {
        $(id).disabled = !view.assembled;
    }
}

// actions: button id -> function.
export function WireDebugBar(actions)
{
    for (const [id, action] of Object.entries(actions)) {
        $(id)?.addEventListener('click', action);
    }
    BuildKeysHelp();
    $('keys').addEventListener('click', () => $('keys-help').showModal());
    document.addEventListener('keydown', (event) => {
        const key = event.key.length === 1 ? event.key.toLowerCase() : event.key;
        const hit = Shortcuts.find(([k, shift, ctrl]) => k === key && shift === event.shiftKey &&
            ctrl === (event.ctrlKey || event.metaKey));
        // The page's keys never reach the browser (F5 would reload the page),
        // whether or not the button can act now.
        if (hit) {
            event.preventDefault();
            if (!$(hit[3])?.disabled) {
                actions[hit[3]]();
            } else if (view.state?.halted && !view.running) {
                Say('The program has halted: Run (Ctrl+F5) starts it again, Step back (Shift+F10) goes back.');
            }
        } else if (event.key === 'F1') {
            event.preventDefault();
            $('keys-help').showModal();
        }
    });
}
