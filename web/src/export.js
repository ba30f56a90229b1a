// The machine code in the forms that trainer kits and EPROM programmers
// read, as Go8085 writes them: Explain8085 makes them with Go8085's own
// code. `run(name, args, files)` runs one program (a WASI command module).

// 'intel-hex' gives the Intel HEX text, 'binary' the bytes from the lowest
// to the highest placed address. Throws when the machine code is unreadable.
export function ExportMachineCode(run, machineCode, kind)
{
    const args = kind === 'binary' ? ['binary', 'code.hex', 'code.bin'] : ['intel-hex', 'code.hex'];
    const result = run('Explain8085', ['Explain8085', ...args], { 'code.hex': machineCode });
    if (result.status !== 0) {
        throw new Error(result.stderr.trim() || `Explain8085 ${args[0]} failed`);
    }
    return kind === 'binary' ? result.files['code.bin'] : result.stdout;
}
