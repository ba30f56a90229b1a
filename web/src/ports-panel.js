// The ports panel: the values IN instructions read, set by hand, and the log
// of OUTs.
import { $, view, Say, Counted } from './page.js';
import { FormatNumber, ParseNumber, Hex, DebuggerNumber } from './format.js';

// Takes the output ports of a new state, and its OUT log: the debugger's
// own, every OUT run until the machine's moment now (so stepping back takes
// back the OUTs undone, and the LEDs and the log agree).
export function TakeOutputs(s)
{
    view.outLog = s.outLog ?? [];
    view.ports = new Map(s.outPorts ?? []);
}

// The debugger's answer to an input command: the list shows the value only
// once the debugger took it.
export function TakeInputAnswer(message)
{
    const match = /^input 0([0-9A-F]{2})H = 0([0-9A-F]{2})H$/.exec(message.command ?? '');
    if (match && !message.refused) {
        view.inputs.set(parseInt(match[1], 16), parseInt(match[2], 16));
    }
}

export function RenderPorts()
{
    const log = $('out-log');
    log.innerHTML = view.outLog.map((e) =>
        `<li>after ${Counted(e.instructions, 'instruction')}: OUT ${Hex(e.port, 2)}H = ` +
        `${FormatNumber(e.value, 8, view.base)} at ${Hex(e.address, 4)}H</li>`)
        .join('');
    log.scrollTop = log.scrollHeight;
    $('inputs').innerHTML = [...view.inputs].map(([p, v]) =>
        `<li>IN ${Hex(p, 2)}H reads ${FormatNumber(v, 8, view.base)}</li>`).join('');
}

export function WirePorts({ command })
{
    $('input-form').addEventListener('submit', (event) => {
        event.preventDefault();
        const port = ParseNumber($('in-port').value, 8, 'hex');
        const value = ParseNumber($('in-value').value, 8, view.base);
        if (Number.isNaN(port) || Number.isNaN(value)) {
            Say('IN: port and value must be bytes');
            return;
        }
        if (!view.assembled) {
            Say('IN: Assemble first; the value is set in the program\'s machine.');
            return;
        }
        command(`input ${DebuggerNumber(port, 2)} = ${DebuggerNumber(value, 2)}`, true);
    });
}
