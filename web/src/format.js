// Numbers as the page shows them: hexadecimal, decimal or binary.

export function FormatNumber(value, bits, base)
{
    if (base === 'dec') {
        return String(value);
    }
    if (base === 'bin') {
        return value.toString(2).padStart(bits, '0');
    }
    return value.toString(16).toUpperCase().padStart(bits / 4, '0');
}

// Reads what a person typed in the given base; a trailing H or a leading 0x
// always means hexadecimal. NaN when it is no number or beyond bits.
export function ParseNumber(text, bits, base)
{
    const t = text.trim();
    let value = NaN;
    if (/^[0-9A-Fa-f]+[Hh]$/.test(t)) {
        value = parseInt(t.slice(0, -1), 16);
    } else if (/^0[xX][0-9A-Fa-f]+$/.test(t)) {
        value = parseInt(t.slice(2), 16);
    } else if (base === 'dec' && /^\d+$/.test(t)) {
        value = parseInt(t, 10);
    } else if (base === 'bin' && /^[01]+$/.test(t)) {
        value = parseInt(t, 2);
    } else if (base === 'hex' && /^[0-9A-Fa-f]+$/.test(t)) {
        value = parseInt(t, 16);
    }
    return value >= 0 && value < 2 ** bits ? value : NaN;
}

export function Hex(value, digits)
{
    return value.toString(16).toUpperCase().padStart(digits, '0');
}

// A number as the debugger's commands read it: hexadecimal with a leading
// digit (0FFH; FFH would be a name).
export function DebuggerNumber(value, digits)
{
    return '0' + Hex(value, digits) + 'H';
}
