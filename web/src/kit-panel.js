// The kit: an output port shown as eight LEDs or a 7-segment digit, and the
// interrupt buttons, which work while the program runs.
import { $, view } from './page.js';
import { Hex } from './format.js';

const Segments = [ // bit 0 = a ... bit 6 = g, bit 7 = dp: [x, y, width, height]
    [14, 4, 32, 6], [46, 10, 6, 32], [46, 48, 6, 32], [14, 80, 32, 6], [8, 48, 6, 32], [8, 10, 6, 32],
    [14, 42, 32, 6], [56, 80, 6, 6]];

export function RenderKit()
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
}

export function RenderInterruptButtons()
{
    const ready = Boolean(view.assembled && view.state);
    for (const b of document.querySelectorAll('[data-source]')) {
        b.disabled = !ready || (view.cpu === '8080' && b.dataset.source !== 'INTR');
    }
}

export function WireKit({ command, schedule })
{
    for (const id of ['show-port', 'show-as']) {
        $(id).addEventListener('change', schedule);
    }
    for (const b of document.querySelectorAll('[data-source]')) {
        b.addEventListener('click', () => {
            const source = b.dataset.source === 'INTR' ? 'INTR:' + $('intr-number').value : b.dataset.source;
            command('interrupt ' + source, true);
        });
    }
}
