// The machine code in the forms that trainer kits and EPROM programmers
// read, as the command-line chain writes them: Intel HEX, and a raw binary
// from the lowest to the highest placed address.

// Reads Pass2's machine code (lines of a load address and bytes, all
// hexadecimal) into the bytes placed: { memory, placed } or null.
export function ReadPlacedBytes(machineCode)
{
    const memory = new Uint8Array(65536);
    const placed = new Uint8Array(65536);
    for (const line of machineCode.split('\n')) {
        const fields = line.split(/[ \t\r]+/).filter((f) => f !== '');
        if (fields.length === 0) {
            continue;
        }
        if (!fields.every((f) => /^[0-9A-Fa-f]+$/.test(f))) {
            return null;
        }
        let address = parseInt(fields[0], 16);
        if (address > 0xFFFF) {
            return null;
        }
        for (const field of fields.slice(1)) {
            memory[address] = parseInt(field, 16);
            placed[address] = 1;
            address = (address + 1) & 0xFFFF;
        }
    }
    return { memory, placed };
}

function Hex2(value)
{
    return value.toString(16).toUpperCase().padStart(2, '0');
}

// One data record for each run of placed bytes within an aligned block of
// 16, in address order, then the end record.
export function FormatIntelHex({ memory, placed })
{
    let text = '';
    for (let block = 0; block < 65536; block += 16) {
        let at = block;
        while (at < block + 16) {
            if (!placed[at]) {
                ++at;
                continue;
            }
            let end = at;
            while (end < block + 16 && placed[end]) {
                ++end;
            }
            let sum = (end - at) + (at >> 8) + (at & 0xFF);
            text += ':' + Hex2(end - at) + Hex2(at >> 8) + Hex2(at & 0xFF) + '00';
            for (let i = at; i < end; ++i) {
                text += Hex2(memory[i]);
                sum += memory[i];
            }
            text += Hex2((0x100 - (sum & 0xFF)) & 0xFF) + '\n';
            at = end;
        }
    }
    return text + ':00000001FF\n';
}

export function FormatBinary({ memory, placed })
{
    const first = placed.indexOf(1);
    if (first < 0) {
        return new Uint8Array(0);
    }
    const last = placed.lastIndexOf(1);
    return memory.slice(first, last + 1);
}
