// The machine state the page shows, in the shape of the debugger's state
// JSON, and the pieces of it that come from the image and the report.

export const ImageSize = 65560;
const Registers = 65536;

export const FlagBits = { s: 0x80, z: 0x40, k: 0x20, ac: 0x10, p: 0x04, v: 0x02, cy: 0x01 };

// A state with every field, from the registers an image holds.
export function StateFromImage(image)
{
    const at = (i) => image[Registers + i];
    const f = (at(18) ? 0x80 : 0) | (at(20) ? 0x40 : 0) | (at(22) ? 0x10 : 0) | (at(19) ? 0x04 : 0) |
        (at(21) ? 0x01 : 0);
    return Complete({
        pc: at(0) | (at(1) << 8), sp: at(2) | (at(3) << 8), a: at(4), b: at(5), c: at(6), d: at(7), e: at(8),
        h: at(9), l: at(10), f, ie: at(23) === 1, masks: 7, i75: false, sod: 0, sid: 0, halted: false,
        instructions: 0, states: 0, lastWrite: -1, stop: 'reset', stopText: '', outPorts: [],
    });
}

function Complete(state)
{
    state.flags = {};
    for (const [name, bit] of Object.entries(FlagBits)) {
        state.flags[name] = state.f & bit ? 1 : 0;
    }
    return state;
}

// The final report of Run8085 (one "name: value" a line) as a state.
export function StateFromReport(report)
{
    const values = {};
    const outPorts = [];
    for (const line of report.split('\n')) {
        const out = /^out ([0-9A-F]{2}): ([0-9A-F]{2})$/.exec(line);
        if (out) {
            outPorts.push([parseInt(out[1], 16), parseInt(out[2], 16)]);
            continue;
        }
        const match = /^([A-Za-z0-9.\-]+): (\S+)$/.exec(line);
        if (match) {
            values[match[1]] = match[2];
        }
    }
    const hex = (name) => parseInt(values[name] ?? '0', 16);
    const bit = (name) => values[name] === '1';
    const f = hex('PSW');
    return Complete({
        pc: hex('PC'), sp: hex('SP'), a: hex('A'), b: hex('B'), c: hex('C'), d: hex('D'), e: hex('E'), h: hex('H'),
        l: hex('L'), f, ie: bit('IE'), masks: (bit('M5.5') ? 1 : 0) | (bit('M6.5') ? 2 : 0) | (bit('M7.5') ? 4 : 0),
        i75: bit('I7.5'), sod: bit('SOD') ? 1 : 0, sid: 0, halted: values.stop === 'halt',
        instructions: Number(values.instructions ?? 0), states: Number(values['t-states'] ?? 0), lastWrite: -1,
        stop: values.stop ?? '', stopText: '', outPorts,
    });
}

// Writes a state's registers and flags into an image (in place).
export function StoreState(state, image)
{
    const put = (i, v) => { image[Registers + i] = v & 0xFF; };
    put(0, state.pc); put(1, state.pc >> 8); put(2, state.sp); put(3, state.sp >> 8);
    ['a', 'b', 'c', 'd', 'e', 'h', 'l'].forEach((r, i) => put(4 + i, state[r]));
    put(11, state.b); put(12, state.c); put(13, state.d); put(14, state.e); put(15, state.h); put(16, state.l);
    const f = state.f & 0xD5;
    put(17, f);
    put(18, f & 0x80 ? 1 : 0); put(19, f & 0x04 ? 1 : 0); put(20, f & 0x40 ? 1 : 0); put(21, f & 0x01 ? 1 : 0);
    put(22, f & 0x10 ? 1 : 0); put(23, state.ie ? 1 : 0);
}
