// The page's Intel HEX and binary against what Go8085 writes for the same
// machine code (GO8085 names the program; skipped without it).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { ReadPlacedBytes, FormatIntelHex, FormatBinary } from '../src/export.js';
import { repository } from './support/site.mjs';

const go8085 = process.env.GO8085 && fs.existsSync(process.env.GO8085) ? process.env.GO8085 : null;

test('exports are byte for byte those of Go8085 for every example', { skip: !go8085 && 'no GO8085' }, () => {
    const examples = path.join(repository, 'examples');
    const work = fs.mkdtempSync(path.join(os.tmpdir(), 'ide-export-'));
    try {
        for (const name of fs.readdirSync(examples).filter((f) => f.endsWith('.asm'))) {
            fs.copyFileSync(path.join(examples, name), path.join(work, name));
            execFileSync(go8085, ['--intel-hex', '--binary', name], { cwd: work, stdio: 'pipe' });
            const placed = ReadPlacedBytes(fs.readFileSync(path.join(work, name + '.hex'), 'utf8'));
            assert.equal(FormatIntelHex(placed), fs.readFileSync(path.join(work, name + '.ihx'), 'utf8'), name);
            assert.deepEqual(Buffer.from(FormatBinary(placed)), fs.readFileSync(path.join(work, name + '.bin')), name);
        }
    } finally {
        fs.rmSync(work, { recursive: true, force: true });
    }
});
