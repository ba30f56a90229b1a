// How long the page takes to assemble a long program in headless Chromium:
// Assemble pressed to "Ready" for programs of 1,000, 2,000 and 4,000 lines
// (a loop, then tables of DB and DW), and the floor: 4,000 lines within 2 s.
// Exits 1 when the floor is not met.
//   node bench/web-assemble.mjs [build/web/site]
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';

const repository = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const require = createRequire(path.join(repository, 'web/package.json'));
const puppeteer = require('puppeteer-core');
const { StartServer } = await import(path.join(repository, 'scripts/serve-site.mjs'));

const floorLines = 4000;
const floorMs = 2000;

function Program(lines) {
    let text = '; bench: a loop over a table\n\tORG 2000H\nSTART:\tLXI H, TABLE\n\tMVI C, 10\nLOOP:\tMOV A, M\n' +
        '\tADD B\n\tMOV B, A\n\tINX H\n\tDCR C\n\tJNZ LOOP\n\tHLT\nTABLE:\tDB 0\n';
    for (let line = 13; line <= lines; ++line) {
        text += line % 3 === 0 ? `\tDW ${line}, ${line * 3}\n` : `\tDB ${line % 256}, ${(line * 7) % 256}, 0AH, 20H\n`;
    }
    return text;
}

const site = process.argv[2] ?? path.join(repository, 'build/web/site');
const { server, url } = await StartServer(site, 0);
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'ide-assemble-bench-'));
const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', userDataDir: profile,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
        '--disable-component-update', '--disable-sync'] });
let status = 0;
try {
    const page = await browser.newPage();
    await page.goto(url);
    await page.waitForFunction(() => document.querySelector('#source').value !== '');
    for (const lines of [1000, 2000, floorLines]) {
        const source = Program(lines);
        const took = await page.evaluate(async (text) => {
            const editor = document.querySelector('#source');
            editor.value = text;
            editor.dispatchEvent(new Event('input', { bubbles: true }));
            const status = document.querySelector('#status');
            const started = performance.now();
            document.querySelector('#assemble').click();
            while (!/^Ready|error/.test(status.textContent)) {
                await new Promise((resolve) => setTimeout(resolve, 5));
            }
            return { ms: performance.now() - started, said: status.textContent };
        }, source);
        console.log(`assemble ${lines} lines: ${took.ms.toFixed(0)} ms (${took.said.slice(0, 60)})`);
        if (!/^Ready/.test(took.said)) {
            console.log('  the program did not assemble');
            status = 1;
        }
        if (lines === floorLines && took.ms > floorMs) {
            console.log(`  over the floor of ${floorMs} ms for ${floorLines} lines`);
            status = 1;
        }
    }
} finally {
    await browser.close();
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
}
process.exit(status);
