// The site's WebAssembly modules give byte for byte what the native programs
// give: for every shipped example and every golden case of Go8085, the whole
// chain Corvane -> Pass2 -> Tessily -> Run8085 runs twice in scratch
// directories, once natively and once as modules under Node's WASI, and every
// step's exit status, standard output and standard error, and in the end
// every file (listing, symbols, run log, machine code, image, and for the
// examples the final image and the trace), must be the same.
//
//   node --test tests/web/
//
// Where the programs are (defaults: the "web" and "default" presets' build
// directories of this source tree):
//   TOOLCHAIN_SITE                     the site holding Corvane.wasm, ...
//   CORVANE, PASS2, TESSILY, RUN8085   the native programs

import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { ListFiles, ReadTree, RunModule, RunNative } from './programs.mjs';

const repository = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const site = process.env.TOOLCHAIN_SITE ?? path.join(repository, 'build/web/site');
const nativeBuild = path.join(repository, 'build/default');
const opcodeTable = path.join(repository, 'etc/opcodes.txt');

// The programs of the chain: each one's native executable (its module is
// <name>.wasm in the site).
const natives = {
    Corvane: process.env.CORVANE ?? path.join(nativeBuild, 'pass1/Corvane'),
    Pass2: process.env.PASS2 ?? path.join(nativeBuild, 'pass2/Pass2'),
    Tessily: process.env.TESSILY ?? path.join(nativeBuild, 'imagebuilder/Tessily'),
    Run8085: process.env.RUN8085 ?? path.join(nativeBuild, 'run8085/Run8085'),
};

const runners = {
    native: async (name, args, directory) => RunNative(natives[name], args, directory),
    module: async (name, args, directory) => RunModule(path.join(site, `${name}.wasm`), args, directory),
};

const scratchRoot = fs.mkdtempSync(path.join(os.tmpdir(), 'web-exactness-'));
after(() => fs.rmSync(scratchRoot, { recursive: true, force: true }));

// A new scratch directory holding a copy of the files of from.
function MakeScratch(label, from) {
    const directory = fs.mkdtempSync(path.join(scratchRoot, `${label}-`));
    for (const [name, source] of from) {
        fs.mkdirSync(path.dirname(path.join(directory, name)), { recursive: true });
        fs.copyFileSync(source, path.join(directory, name));
    }
    return directory;
}

// The register data file Go8085 writes when none is given: the program
// counter at the listing's first address, everything else 0.
function DefaultRegisters(listing) {
    const first = /^(-?\d+)[ \n]/.exec(listing);
    const address = first ? Number(first[1]) & 0xffff : 0x2000;
    const word = address < 0x8000 ? address : address - 0x10000;
    return `0 0 0 0 0 0 0\n${word} 0\n0 0 0 0 0\n0\n`;
}

// Runs the chain as Go8085 does, every step in the source's directory below
// work, each program by run(name, args, directory). A step that fails ends
// the chain. Returns every step's result.
async function RunChain(work, chain, run) {
    const directory = path.join(work, path.dirname(chain.source));
    const base = path.basename(chain.source);
    const results = [];
    const step = async (name, args) => {
        const result = await run(name, args, directory);
        results.push({ name, ...result });
        return result.status === 0;
    };
    if (!fs.existsSync(path.join(directory, 'etc/opcodes.txt'))) {
        fs.mkdirSync(path.join(directory, 'etc'), { recursive: true });
        fs.copyFileSync(opcodeTable, path.join(directory, 'etc/opcodes.txt'));
    }
    if (!(await step('Corvane', [base])) || !(await step('Pass2', [base]))) {
        return results;
    }
    let registers = chain.registers && path.relative(directory, path.join(work, chain.registers));
    if (!registers) {
        registers = 'default.regs';
        const listing = fs.readFileSync(path.join(directory, `${base}.pass1`), 'latin1');
        fs.writeFileSync(path.join(directory, registers), DefaultRegisters(listing));
    }
    const image = `${base}.img`;
    if (await step('Tessily', [registers, `${base}.hex`, image])) {
        await step('Run8085', [...chain.options, image]);
    }
    return results;
}

function AssertSameBytes(what, actual, expected) {
    if (Buffer.compare(actual, expected) === 0) {
        return;
    }
    let at = 0;
    while (at < actual.length && at < expected.length && actual[at] === expected[at]) {
        ++at;
    }
    const show = (bytes) => (bytes.length < 4096 ? bytes.toString('latin1') : '(too long to show)');
    assert.fail(
        `${what}: the module gave ${actual.length} bytes, the native program ${expected.length}; ` +
            `first difference at byte ${at}\n--- module:\n${show(actual)}\n--- native:\n${show(expected)}`,
    );
}

// Runs the chain natively and as modules on copies of the same files and
// compares everything. Returns the native steps' results.
async function CompareChains(files, chain) {
    const natively = MakeScratch('native', files);
    const asModules = MakeScratch('module', files);
    const expected = await RunChain(natively, chain, runners.native);
    const actual = await RunChain(asModules, chain, runners.module);
    assert.deepEqual(
        actual.map((step) => step.name),
        expected.map((step) => step.name),
        'the chain stopped after a different step',
    );
    actual.forEach((step, i) => {
        assert.equal(step.status, expected[i].status, `${step.name}: exit status`);
        AssertSameBytes(`${step.name}: standard output`, step.stdout, expected[i].stdout);
        AssertSameBytes(`${step.name}: standard error`, step.stderr, expected[i].stderr);
    });
    const expectedFiles = ReadTree(natively);
    const actualFiles = ReadTree(asModules);
    assert.deepEqual([...actualFiles.keys()], [...expectedFiles.keys()], 'the files written');
    for (const [name, bytes] of actualFiles) {
        AssertSameBytes(name, bytes, expectedFiles.get(name));
    }
    return expected;
}

// A Go8085 command line as the chain it runs: the source, the register data
// file when one is given, and the options that go to Run8085.
function ParseGoCommandLine(args) {
    const chain = { source: null, registers: null, options: [] };
    let registersAllowed = false;
    for (const arg of args) {
        const option = arg.length > 1 && arg.startsWith('-');
        if (arg === '--keep-going' || arg === '--verbose') {
            continue;
        } else if (!chain.source && !option) {
            chain.source = arg;
            registersAllowed = true;
        } else if (registersAllowed && !option) {
            chain.registers = arg;
            registersAllowed = false;
        } else {
            chain.options.push(arg);
            registersAllowed = false;
        }
    }
    return chain;
}

test('the site and the native programs are there', () => {
    for (const name of Object.keys(natives)) {
        assert.ok(fs.existsSync(path.join(site, `${name}.wasm`)), `${site}/${name}.wasm is missing: build the web preset`);
        assert.ok(fs.existsSync(natives[name]), `${natives[name]} is missing: build the default preset`);
    }
});

describe('every shipped example, with a trace and the final image', () => {
    const examples = path.join(repository, 'examples');
    for (const source of fs.readdirSync(examples).filter((name) => name.endsWith('.asm')).sort()) {
        test(source, async () => {
            const name = path.basename(source, '.asm');
            const files = [[source, path.join(examples, source)]];
            const registers = path.join(examples, `${name}.regs`);
            if (fs.existsSync(registers)) {
                files.push([`${name}.regs`, registers]);
            }
            const chain = {
                source,
                registers: files.length > 1 ? `${name}.regs` : null,
                options: ['--trace', `${name}.trace`, '--out', `${name}.final.img`],
            };
            const steps = await CompareChains(files, chain);
            // The example runs to its end natively, so the comparison covers every step.
            assert.deepEqual(
                steps.map((step) => [step.name, step.status]),
                [
                    ['Corvane', 0],
                    ['Pass2', 0],
                    ['Tessily', 0],
                    ['Run8085', 0],
                ],
            );
        });
    }
});

describe('every golden case of Go8085', () => {
    const cases = path.join(repository, 'tests/golden/go8085');
    for (const name of fs.readdirSync(cases).sort()) {
        test(name, async () => {
            const argsFile = path.join(cases, name, 'args');
            const args = fs.readFileSync(argsFile, 'utf8').split('\n').filter((line) => line !== '');
            const inputs = path.join(cases, name, 'in');
            const files = ListFiles(inputs).map((file) => [file, path.join(inputs, file)]);
            await CompareChains(files, ParseGoCommandLine(args));
        });
    }
});
