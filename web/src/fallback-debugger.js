// The debugger's functions over the simulator program alone, for a site
// built without the debugger module. Every state is computed exactly by
// running Run8085 from the last starting image for a counted number of
// instructions, so stepping back is running one instruction fewer. Editing
// a register, a byte or an input starts a new starting image at that point.
// What an image cannot carry (the interrupt masks, I7.5, SOD, K and V) is
// as after a reset at each new starting image; long runs start a new one
// every RestartAfter instructions.
import { ImageSize, StateFromImage, StateFromReport, StoreState } from './machine.js';
import { IsCall } from './isa.js';

const RestartAfter = { plain: 2000000, traced: 20000 };
const Returns = new Set(['RET', 'RNZ', 'RZ', 'RNC', 'RC', 'RPO', 'RPE', 'RP', 'RM']);
const Registers = ['a', 'b', 'c', 'd', 'e', 'h', 'l', 'pc', 'sp', 'f'];

function ParseValue(text)
{
    const t = text.trim().toUpperCase();
    return /H$/.test(t) ? parseInt(t.slice(0, -1), 16) : /^0X/.test(t) ? parseInt(t.slice(2), 16) : parseInt(t, 10);
}

// runProgram(args, files) runs Run8085 and returns {status, stdout, stderr,
// files}; records are the assembled listing records (address, sourceLine).
export function CreateFallbackDebugger(runProgram, records = [])
{
    let segments = [];
    let position = 0;      // instructions run since the load
    let current = null;    // { state, memory }
    let output = '';
    let options = [];
    const breakLines = new Set();
    let pending = null;    // what ContinueSlice is working towards

    const segmentAt = (n) => segments.findLast((s) => s.start <= n);

    function RunSegment(segment, steps, trace)
    {
        const args = ['Run8085', ...options];
        for (const [port, value] of segment.inputs) {
            args.push('--input', port.toString(16) + '=' + value.toString(16));
        }
        for (const [step, source] of segment.interrupts) {
            if (step <= steps) {
                args.push('--interrupt', step + ':' + source);
            }
        }
        args.push('--max-steps', String(steps), '--out', 'now.img');
        if (trace) {
            args.push('--trace', '-');
        }
        args.push('start.img');
        return runProgram(args, { 'start.img': segment.image });
    }

    function Compute(n)
    {
        const segment = segmentAt(n);
        const steps = n - segment.start;
        if (steps === 0) {
            return { state: { ...segment.state, outPorts: segment.state.outPorts.slice() },
                memory: segment.image.slice(0, 65536), reached: n };
        }
        const run = RunSegment(segment, steps, false);
        const state = StateFromReport(run.stdout);
        const image = run.files['now.img'];
        if (!image || run.status === 1) {
            throw new Error(run.stderr.trim() || 'the simulator could not run');
        }
        state.instructions += segment.state.instructions;
        state.states += segment.state.states;
        state.outPorts = MergePorts(segment.state.outPorts, state.outPorts);
        return { state, memory: image.slice(0, 65536), reached: segment.start + Math.min(steps, state.instructions -
            segment.state.instructions) };
    }

    function MergePorts(before, after)
    {
        const ports = new Map(before);
        for (const [port, value] of after) {
            ports.set(port, value);
        }
        return [...ports].sort((x, y) => x[0] - y[0]);
    }

    function MoveTo(n)
    {
        const previous = current;
        current = Compute(n);
        position = current.reached;
        current.state.lastWrite = -1;
        if (current.state.stop === 'step-limit') {
            current.state.stop = 'step';
        }
        if (previous && previous.memory) {
            for (let i = 0; i < 65536; ++i) {
                if (previous.memory[i] !== current.memory[i]) {
                    current.state.lastWrite = i;
                    break;
                }
            }
        }
        Describe();
    }

    function Describe()
    {
        const state = current.state;
        state.historyAvailable = position;
        const record = records.findLast((r) => r.address === state.pc && r.sourceLine > 0);
        state.sourceLine = record ? record.sourceLine : 0;
    }

    // Starts a new segment at the current position from the current state.
    function Restart(change)
    {
        const image = new Uint8Array(ImageSize);
        image.set(current.memory);
        const state = structuredClone(current.state);
        change?.(state, image);
        StoreState(state, image);
        const last = segments.at(-1);
        const segment = { start: position, image, state, inputs: new Map(last.inputs), interrupts: [] };
        change?.(state, image, segment);
        segments = segments.filter((s) => s.start < position);
        segments.push(segment);
        current = { state: structuredClone(state), memory: image.slice(0, 65536), reached: position };
        Describe();
    }

    // Runs from the current position until stop(line, previous) says so for
    // a trace line, at most limit instructions; returns true when it stopped.
    function RunUntil(stop, limit)
    {
        let segment = segmentAt(position);
        if (position - segment.start > RestartAfter.traced) {
            Restart();
            segment = segmentAt(position);
        }
        const done = position - segment.start;
        const run = RunSegment(segment, done + limit, true);
        let previous = null;
        for (const text of run.stdout.split('\n')) {
            const match = /^(\d+) ([0-9A-F]{4}): ((?:[0-9A-F]{2} )+)\s*(\S+).*SP=([0-9A-F]{4})/.exec(text);
            if (!match) {
                continue;
            }
            const line = { step: Number(match[1]), pc: parseInt(match[2], 16), opcode: parseInt(match[3], 16),
                mnemonic: match[4], sp: parseInt(match[5], 16) };
            if (line.step > done + 1 && stop(line, previous)) {
                MoveTo(segment.start + line.step - 1);
                current.state.stop = stop.reason ?? 'step';
                return true;
            }
            if (line.step > done && stop.after?.(line)) {
                MoveTo(segment.start + line.step);
                return true;
            }
            previous = line;
        }
        MoveTo(segment.start + done + limit);
        return current.state.halted;
    }

    function BreakAddresses()
    {
        const addresses = new Set();
        for (const r of records) {
            if (breakLines.has(r.sourceLine) && r.code) {
                addresses.add(r.address);
            }
        }
        return addresses;
    }

    function AtBreakpoint()
    {
        const addresses = BreakAddresses();
        const stop = (line) => addresses.has(line.pc);
        stop.reason = 'breakpoint';
        return stop;
    }

    function Continue(limit)
    {
        const addresses = BreakAddresses();
        if (addresses.size === 0) {
            if (position - segmentAt(position).start > RestartAfter.plain) {
                Restart();
            }
            const before = position;
            MoveTo(position + limit);
            return current.state.halted || position < before + limit;
        }
        return RunUntil(AtBreakpoint(), limit);
    }

    const Commands = [
        [/^step(?:\s+(\d+))?$/, (m) => { MoveTo(position + Number(m[1] ?? 1)); }],
        [/^reverse-step$/, () => {
            if (position === 0) {
                output = 'no history: this is the start\n';
                return 1;
            }
            MoveTo(position - 1);
        }],
        [/^next$/, () => {
            const pc = current.state.pc;
            const opcode = current.memory[pc];
            if (!IsCall(opcode)) {
                MoveTo(position + 1);
                return;
            }
            const after = (pc + (opcode === 0xCD || (opcode & 0xC7) === 0xC4 ? 3 : 1)) & 0xFFFF;
            const sp = current.state.sp;
            const breaks = BreakAddresses();
            pending = (line, previous) => (line.pc === after && previous && previous.sp === sp) ||
                breaks.has(line.pc);
        }],
        [/^finish$/, () => {
            const sp = current.state.sp;
            const breaks = BreakAddresses();
            const stop = (line) => breaks.has(line.pc);
            stop.after = (line) => {
                const rise = (line.sp - sp) & 0xFFFF;
                return Returns.has(line.mnemonic) && rise > 0 && rise < 0x8000;
            };
            pending = stop;
        }],
        [/^continue$/, () => { pending = 'continue'; }],
        [/^break\s+(\d+)$/, (m) => { breakLines.add(Number(m[1])); output = 'breakpoint at line ' + m[1] + '\n'; }],
        [/^delete$/, () => { breakLines.clear(); }],
        [/^set\s+\[(\w+)\]\s*=\s*(\w+)$/, (m) => {
            const address = ParseValue(m[1]) & 0xFFFF;
            Restart((state, image) => { image[address] = ParseValue(m[2]) & 0xFF; });
            current.state.lastWrite = address;
        }],
        [/^set\s+(\w+)\s*=\s*(\w+)$/, (m) => {
            const name = m[1].toLowerCase();
            const value = ParseValue(m[2]);
            if (name in current.state.flags && !Registers.includes(name)) {
                const bit = { s: 0x80, z: 0x40, ac: 0x10, p: 0x04, cy: 0x01 }[name];
                if (!bit) {
                    return 1;
                }
                Restart((state) => { state.f = value ? state.f | bit : state.f & ~bit; });
                return;
            }
            if (!Registers.includes(name)) {
                output = 'no register ' + m[1] + '\n';
                return 1;
            }
            Restart((state) => { state[name] = value & (name === 'pc' || name === 'sp' ? 0xFFFF : 0xFF); });
        }],
        [/^input\s+(\w+)\s*=\s*(\w+)$/, (m) => {
            Restart((state, image, segment) => segment?.inputs.set(ParseValue(m[1]) & 0xFF, ParseValue(m[2]) & 0xFF));
        }],
        [/^interrupt\s+(TRAP|RST5\.5|RST6\.5|RST7\.5|INTR:\d)$/i, (m) => {
            const segment = segmentAt(position);
            segment.interrupts.push([position - segment.start + 1, m[1].toUpperCase()]);
            output = m[1].toUpperCase() + ' raised before the next instruction\n';
        }],
    ];

    return {
        Load(image, mapText, argsText)
        {
            options = argsText.split('\n').filter((x) => x !== '');
            const state = StateFromImage(image);
            segments = [{ start: 0, image: image.slice(), state, inputs: new Map(), interrupts: [] }];
            position = 0;
            current = null;
            pending = null;
            output = '';
            MoveTo(0);
            return 0;
        },
        Command(text)
        {
            output = '';
            pending = null;
            const line = text.trim();
            for (const [pattern, action] of Commands) {
                const match = pattern.exec(line);
                if (match) {
                    try {
                        const refused = action(match) ?? 0;
                        if (pending && pending !== 'continue') {
                            while (!this.ContinueSlice(50000) && position < 5000000) {
                                // a subroutine that runs long: keep going
                            }
                        }
                        return refused;
                    } catch (error) {
                        output = String(error.message ?? error) + '\n';
                        return 1;
                    }
                }
            }
            output = 'unknown command: ' + line + '\n';
            return 1;
        },
        ContinueSlice(limit)
        {
            const goal = pending ?? 'continue';
            const stopped = goal === 'continue' ? Continue(limit) : RunUntil(goal, limit);
            if (stopped) {
                pending = null;
            }
            return stopped ? 1 : 0;
        },
        Output() { return output; },
        State() { return current.state; },
        Memory() { return current.memory; },
        Breakpoints() { return [...breakLines]; },
    };
}
