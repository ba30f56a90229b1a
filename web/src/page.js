// What every panel of the page shares: the element finder, the state shown
// (one record: the panels read it, the wiring in main.js and the panels'
// own edits write it), the status line and downloads.

export const $ = (id) => document.getElementById(id);

export const view = {
    base: 'hex', cpu: '8085', memoryStart: 0x2000, assembled: null, state: null, previous: null, memory: null,
    running: false, runFrom: null, fileName: 'program.asm', mnemonics: new Set(), example: null, outLog: [], ports: new Map(), inputs: new Map(),
    pending: false, stale: false,
    registerTable: [], // the debugger's: [{name, width, only8085, writable}]; width 1 is a flag
    instructions: null, // by model: [{size, states, statesTaken}] by opcode
};

export function Counted(count, noun)
{
    return `${count} ${noun}${count === 1 ? '' : 's'}`;
}

export function Say(text)
{
    $('status').textContent = text;
}

export function Download(name, data, type)
{
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([data], { type }));
    link.download = name;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

// The debugger's words name the program prog.asm, the name the chain gives
// it; the student sees the name of their file.
export function WithFileName(text)
{
    return text.replace(/\bprog\.asm\b/g, view.fileName);
}
