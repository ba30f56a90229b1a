// The page's Intel HEX and binary, made by Explain8085 with Go8085's own
// code: by hand on a small case, and against what Go8085 writes for every
// example (GO8085 names the program). Skipped without a built site.
import { test, before } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { ExportMachineCode } from '../src/export.js';
import { site, repository, LoadPrograms, Run } from './support/site.mjs';

const go8085 = process.env.GO8085 && fs.existsSync(process.env.GO8085) ? process.env.GO8085 : null;

before(async () => {
    if (site) {
        await LoadPrograms();
    }
});

test('Intel HEX has one record per run of bytes in a block of 16, then the end', { skip: !site && 'no site built' },
    () => {
        // 3E 05 at 2000H, and 76 00 at 200FH-2010H across a block boundary; checksums worked by hand.
        const code = '2000 3E 05\n200F 76 00\n';
        assert.equal(ExportMachineCode(Run, code, 'intel-hex'),
            ':022000003E059B\n:01200F00765A\n:0120100000CF\n:00000001FF\n');
        assert.deepEqual([...ExportMachineCode(Run, code, 'binary')], [0x3E, 0x05, ...new Array(13).fill(0), 0x76, 0]);
        assert.equal(ExportMachineCode(Run, '', 'binary').length, 0);
        assert.throws(() => ExportMachineCode(Run, 'XY 00\n', 'intel-hex'), /code\.hex: line 1 has no load address/);
    });

test('exports are byte for byte those of Go8085 for every example', { skip: !(site && go8085) && 'no site or GO8085' },
    () => {
        const examples = path.join(repository, 'examples');
        const work = fs.mkdtempSync(path.join(os.tmpdir(), 'ide-export-'));
        try {
            for (const name of fs.readdirSync(examples).filter((f) => f.endsWith('.asm'))) {
                fs.copyFileSync(path.join(examples, name), path.join(work, name));
                execFileSync(go8085, ['--intel-hex', '--binary', name], { cwd: work, stdio: 'pipe' });
                const code = fs.readFileSync(path.join(work, name + '.hex'));
                assert.equal(ExportMachineCode(Run, code, 'intel-hex'),
                    fs.readFileSync(path.join(work, name + '.ihx'), 'utf8'), name);
                assert.deepEqual(Buffer.from(ExportMachineCode(Run, code, 'binary')),
                    fs.readFileSync(path.join(work, name + '.bin')), name);
            }
        } finally {
            fs.rmSync(work, { recursive: true, force: true });
        }
    });
