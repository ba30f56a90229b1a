// How fast the page answers in headless Chromium. Prints medians of:
//  - navigation to the first successful Assemble (Assemble pressed as soon
//    as the program shows), on a first visit and on the next;
//  - typing latency in a 1,000-line program: a key pressed to the frame
//    after the editor updated;
//  - for Step, the time from the click to the new state and the time the
//    page takes to update every panel (its "render" measure).
//   node web/browser-test/bench.mjs build/web/site
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';
import { ServeSite } from './serve.mjs';

const site = process.argv[2] ?? 'build/web/site';
const { server, address } = await ServeSite(site);
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'ide-bench-'));
const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', userDataDir: profile,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
        '--disable-background-networking', '--disable-component-update', '--disable-sync'] });
const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1].toFixed(1);
const editor = '[aria-label="Source code"]';

// Navigation to "Ready" after Assemble, in a context of its own.
async function FirstAssemble(page)
{
    const started = Date.now();
    await page.goto(address);
    await page.waitForFunction((e) => document.querySelector(e)?.textContent !== '', {}, editor);
    await page.waitForFunction(() => !document.querySelector('#assemble').disabled);
    await page.click('#assemble');
    await page.waitForFunction(() => /^Ready/.test(document.querySelector('#status').textContent), { timeout: 30000 });
    return Date.now() - started;
}

const firsts = [];
const agains = [];
for (let i = 0; i < 5; ++i) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setViewport({ width: 1400, height: 900 });
    firsts.push(await FirstAssemble(page));
    agains.push(await FirstAssemble(page));
    await context.close();
}

const page = await browser.newPage();
await page.setViewport({ width: 1400, height: 900 });
await page.goto(address);
await page.waitForFunction((e) => document.querySelector(e)?.textContent !== '', {}, editor);

// A 1,000-line program, opened from disk as a student would.
const lines = [];
for (let i = 0; i < 1000; ++i) {
    lines.push(i % 10 === 0 ? `L${i}:\tMVI A, ${i & 0xFF}\t; line ${i + 1}` : '\tADD B\t\t; a comment');
}
const big = path.join(profile, 'big.asm');
fs.writeFileSync(big, lines.join('\n') + '\n');
const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#open')]);
await chooser.accept([big]);
await page.waitForFunction(() => /^Opened big\.asm/.test(document.querySelector('#status').textContent));
await page.click(editor);
await page.keyboard.down('Control');
await page.keyboard.press('End');
await page.keyboard.up('Control');
await page.evaluate(() => {
    window.latencies = [];
    document.addEventListener('keydown', () => {
        const t = performance.now();
        requestAnimationFrame(() => setTimeout(() => window.latencies.push(performance.now() - t)));
    }, true);
});
for (let i = 0; i < 40; ++i) {
    await page.keyboard.press(i % 2 ? 'Backspace' : 'x');
    await new Promise((resolve) => setTimeout(resolve, 60));
}
const typing = await page.evaluate(() => window.latencies);
const total = await page.$eval(editor, (e) => e.closest('.cm-editor').querySelectorAll('.cm-line').length);

await page.click('#assemble');
await page.waitForFunction(() => /^Ready/.test(document.querySelector('#status').textContent), { timeout: 30000 });
const steps = await page.evaluate(async () => {
    const renders = [];
    new PerformanceObserver((list) => renders.push(...list.getEntries().map((e) => e.duration)))
        .observe({ entryTypes: ['measure'] });
    const answers = [];
    const status = document.querySelector('#status');
    for (let i = 0; i < 40; ++i) {
        const before = status.textContent;
        const t = performance.now();
        document.querySelector('#step').click();
        while (status.textContent === before) {
            await new Promise((resolve) => requestAnimationFrame(resolve));
        }
        answers.push(performance.now() - t);
    }
    await new Promise((resolve) => setTimeout(resolve, 100));
    return { answers, renders };
});
console.log(`first Assemble done ${median(firsts)} ms after navigation on a first visit ` +
    `(max ${Math.max(...firsts)}), ${median(agains)} ms on the next (median of ${firsts.length})`);
console.log(`typing in a 1,000-line program: ${median(typing)} ms from key to frame ` +
    `(max ${Math.max(...typing).toFixed(1)}, ${typing.length} keys; ${total} lines drawn)`);
console.log(`step: state shown ${median(steps.answers)} ms after the click; updating every panel ` +
    `${median(steps.renders)} ms (median of ${steps.renders.length})`);
await browser.close();
server.close();
fs.rmSync(profile, { recursive: true, force: true });
