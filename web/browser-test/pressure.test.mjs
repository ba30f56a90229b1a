// The page under pressure, in headless Chromium: a share link that cannot be
// read, a program over the browser's storage quota, and Stop during a long
// Assemble. Needs a built site (IDE_SITE).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';
import { ServeSite } from './serve.mjs';

const site = process.env.IDE_SITE;
let server;
let address;
let browser;
let profile;

before(async () => {
    if (!site) {
        return;
    }
    ({ server, address } = await ServeSite(site));
    profile = fs.mkdtempSync(path.join(os.tmpdir(), 'ide-pressure-'));
    browser = await puppeteer.launch({
        executablePath: '/usr/bin/chromium', userDataDir: profile, headless: true,
        args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
            '--disable-component-update', '--disable-sync'],
    });
});

after(async () => {
    await browser?.close();
    server?.close();
    if (profile) {
        fs.rmSync(profile, { recursive: true, force: true });
    }
});

async function Open(hash = '')
{
    const page = await browser.newPage();
    page.on('pageerror', (error) => { throw error; });
    await page.goto(address + hash, { waitUntil: 'networkidle0' });
    await page.waitForFunction(() => document.querySelector('#source').value !== '');
    return page;
}

function WaitForStatus(page, pattern)
{
    return page.waitForFunction((source) => new RegExp(source).test(document.querySelector('[role="status"]')
        .textContent), { timeout: 60000 }, pattern.source).then(() =>
        page.$eval('[role="status"]', (e) => e.textContent));
}

// Replaces the source as typing would.
function Type(page, text)
{
    return page.evaluate((value) => {
        const editor = document.querySelector('#source');
        editor.value = value;
        editor.dispatchEvent(new Event('input', { bubbles: true }));
    }, text);
}

test('a share link that cannot be read says so, and the page opens something else', { skip: !site }, async () => {
    const page = await Open('#src=_w');
    assert.match(await WaitForStatus(page, /shared link/),
        /^The shared link cannot be read: it holds no text \(was it changed\?\)\. /);
    await page.close();
});

test('a program over the storage quota is said not kept, and a reload does not bring back an older one',
    { skip: !site }, async () => {
        const page = await Open();
        await Type(page, '\tORG 2000H\n\tHLT\n; the kept one\n');
        await page.click('#assemble');
        await WaitForStatus(page, /^Ready/);
        // Far over the few MiB a page may keep.
        await Type(page, '; too large\n' + ';'.repeat(12 << 20) + '\n');
        assert.match(await WaitForStatus(page, /not kept/),
            /^The source changed: Assemble again to run it\. This program \(12289 KiB\) is more than the browser lets/);
        await page.reload({ waitUntil: 'networkidle0' });
        const source = await page.$eval('#source', (e) => e.value);
        assert.ok(!source.includes('the kept one'), 'the older program came back');
        await page.close();
    });

test('Stop ends a long Assemble, and the next Assemble works', { skip: !site }, async () => {
    const page = await Open();
    let long = '\tORG 0\n';
    for (let i = 0; i < 60000; ++i) {
        long += `L${i}:\tDB ${i % 256}\n`;
    }
    await Type(page, long);
    await page.click('#assemble');
    await WaitForStatus(page, /^Assembling/);
    await page.waitForFunction(() => !document.querySelector('#stop').disabled);
    await page.click('#stop');
    assert.match(await WaitForStatus(page, /stopped/), /^Assemble stopped: nothing is assembled/);
    await Type(page, '\tORG 2000H\n\tMVI A, 5\n\tHLT\n');
    await page.click('#assemble');
    assert.match(await WaitForStatus(page, /^Ready/), /^Ready at line 2/);
    await page.close();
});
