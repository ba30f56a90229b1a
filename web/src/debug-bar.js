// The bar of Assemble and the debugger's buttons, their keyboard shortcuts,
// and the status line's account of where the program stopped.
import { $, view, Counted } from './page.js';
import { Hex } from './format.js';

// key, shift, ctrl, action (a button's id)
const Shortcuts = [
    ['b', false, true, 'assemble'], ['F5', false, true, 'run'], ['F11', false, false, 'step'],
    ['F10', false, false, 'step-over'], ['F11', true, false, 'step-out'], ['F10', true, false, 'step-back'],
    ['F5', false, false, 'continue'], ['F5', true, false, 'stop'], ['F5', true, true, 'reset'],
    ['F9', false, false, 'toggle-breakpoint'],
];

export function DescribeStop(s)
{
    const where = s.sourceLine ? ` at line ${s.sourceLine}` : '';
    const counts = `${Counted(s.instructions, 'instruction')}, ${s.states} T-states`;
    if (s.halted) {
        return `Halted${where}, PC ${Hex(s.pc, 4)}H, after ${counts}.`;
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
    document.addEventListener('keydown', (event) => {
        const key = event.key.length === 1 ? event.key.toLowerCase() : event.key;
        const hit = Shortcuts.find(([k, shift, ctrl]) => k === key && shift === event.shiftKey &&
            ctrl === (event.ctrlKey || event.metaKey));
        if (hit && !$(hit[3])?.disabled) {
            event.preventDefault();
            actions[hit[3]]();
        }
    });
}
