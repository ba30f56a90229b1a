// How fast the page answers in headless Chromium: time to a usable page,
// and for Step, the time from the click to the new state and the time the
// page takes to update every panel (its "render" measure). Prints medians.
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
const page = await browser.newPage();
await page.setViewport({ width: 1400, height: 900 });
const started = Date.now();
await page.goto(address);
await page.waitForFunction(() => document.querySelector('[aria-label="Source code"]').textContent !== '');
const first = Date.now() - started;
const again = Date.now();
await page.reload();
await page.waitForFunction(() => document.querySelector('[aria-label="Source code"]').textContent !== '');
const ready = Date.now() - again;
await page.click('#assemble');
await page.waitForFunction(() => /^Ready/.test(document.querySelector('#status').textContent));
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
const median = (values) => values.sort((a, b) => a - b)[values.length >> 1].toFixed(1);
console.log(`page usable after ${first} ms on the first visit, ${ready} ms on the next`);
console.log(`step: state shown ${median(steps.answers)} ms after the click; updating every panel ` +
    `${median(steps.renders)} ms (median of ${steps.renders.length})`);
await browser.close();
server.close();
fs.rmSync(profile, { recursive: true, force: true });
