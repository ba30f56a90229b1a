// The ports panel: the values IN instructions read, set by hand, and the log
// of OUTs.
import { $, view, Say, Counted } from './page.js';
import { FormatNumber, ParseNumber, Hex } from './format.js';

// Takes the output ports of a new state into the OUT log (a step back drops
// the entries after it).
export function TakeOutputs(s)
{
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
}

export function RenderPorts()
{
    $('out-log').innerHTML = view.outLog.slice(-100).map((e) =>
        `<li>after ${Counted(e.instructions, 'instruction')}: OUT ${Hex(e.port, 2)}H = ` +
        `${FormatNumber(e.value, 8, view.base)}</li>`)
        .join('');
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
        view.inputs.set(port, value);
        command(`input ${Hex(port, 2)}H = ${Hex(value, 2)}H`, true);
    });
}
