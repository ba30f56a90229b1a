// The page in a real headless Chromium, used as a person would: controls are
// found by their role and accessible name. Needs a built site (IDE_SITE);
// screenshots of the main states go to IDE_SCREENSHOTS.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';
import { ServeSite } from './serve.mjs';

const site = process.env.IDE_SITE;
const shots = process.env.IDE_SCREENSHOTS || path.join(os.tmpdir(), 'ide-screenshots');
const Program = [
    '; adds two numbers, keeps the sum, then counts for ever',
    '\tORG 2000H',
    'START:\tMVI A, 5',
    '\tMVO B, 7',
    '\tADD B',
    '\tSTA 2050H',
    'LOOP:\tINR C',
    '\tJMP LOOP',
].join('\n');

let server;
let browser;
let page;
let profile;

before(async () => {
    ({ server, address: ServeSite.address } = await ServeSite(site));
    profile = fs.mkdtempSync(path.join(os.tmpdir(), 'ide-chromium-'));
    fs.mkdirSync(shots, { recursive: true });
    browser = await puppeteer.launch({
        executablePath: '/usr/bin/chromium', userDataDir: profile, headless: true,
        args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
            '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    });
    page = await browser.newPage();
    page.on('pageerror', (error) => { throw error; });
    await page.setViewport({ width: 1400, height: 900 });
    await page.goto(ServeSite.address, { waitUntil: 'networkidle0' });
});

after(async () => {
    await browser?.close();
    server?.close();
    fs.rmSync(profile, { recursive: true, force: true });
});

// The control with this role and accessible name (exactly).
async function Control(role, name, on = page)
{
    const handle = await on.waitForSelector(`::-p-aria([name="${name}"][role="${role}"])`, { timeout: 5000 });
    assert.ok(handle, `${role} named ${name}`);
    return handle;
}

async function Press(name)
{
    const button = await Control('button', name);
    await page.waitForFunction((b) => !b.disabled, { timeout: 30000 }, button);
    await button.click();
}

async function Status()
{
    return page.$eval('[role="status"]', (e) => e.textContent);
}

// Waits until the status says what is expected (the worker answers late).
async function WaitForStatus(pattern)
{
    await page.waitForFunction((source) => new RegExp(source).test(document.querySelector('[role="status"]')
        .textContent), { timeout: 30000 }, pattern.source);
    // The panels are drawn at the next frame after the status line changes.
    await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
    return Status();
}

async function Value(role, name)
{
    return (await Control(role, name)).evaluate((e) => e.value);
}

// The registers as the Registers table shows them: row header -> value.
async function Registers()
{
    const table = await Control('table', 'Registers');
    return table.evaluate((t) => Object.fromEntries([...t.rows].map((r) => [r.cells[0].textContent,
        r.cells[1].querySelector('input').value])));
}

async function Shot(name)
{
    await page.screenshot({ path: path.join(shots, name + '.png') });
}

test('a session: error, fix, steps forwards and back, breakpoint, memory, stop, share', { skip: !site }, async () => {
    for (const name of ['Assemble', 'Run', 'Step', 'Step over', 'Step out', 'Step back', 'Continue', 'Stop',
        'Reset']) {
        await Control('button', name);
    }
    await Shot('start');

    // Type a program with a typo on line 4 and assemble it.
    const editor = await Control('textbox', 'Source code');
    await editor.click();
    await page.keyboard.down('Control');
    await page.keyboard.press('a');
    await page.keyboard.up('Control');
    await page.keyboard.press('Delete');
    await editor.type(Program);
    await Press('Assemble');
    assert.match(await WaitForStatus(/error/), /^1 error: nothing to run/);
    const marked = await Control('button', 'Breakpoint at line 4 (error)');
    assert.ok(await marked.evaluate((e) => e.classList.contains('g-error')));
    const messages = await Control('list', 'Messages');
    // The page opened with the countdown example, typed over: its file's name.
    assert.deepEqual(await messages.evaluate((list) => [...list.querySelectorAll('li')].map((li) => li.textContent)),
        ['countdown.asm:4: error: unable to parse this line: MVO B, 7']);
    await Shot('error');

    // Fix it where it is: the message selects its line; type it again.
    await (await Control('button', 'countdown.asm:4: error: unable to parse this line: MVO B, 7')).click();
    await page.keyboard.type('\tMVI B, 7');
    await Press('Assemble');
    assert.match(await WaitForStatus(/^Ready/), /^Ready at line 3: PC 2000H/);
    assert.equal(await messages.evaluate((list) => list.children.length), 0);
    assert.equal(await page.$$eval('#listing tbody tr', (rows) => rows.length), 6);

    // Three steps: MVI A, MVI B, ADD B.
    for (let i = 0; i < 3; ++i) {
        await Press('Step');
        await WaitForStatus(new RegExp(`after ${i + 1} instructions?,`));
    }
    let registers = await Registers();
    assert.deepEqual([registers.A, registers.B, registers.PC], ['0C', '07', '2005']);
    assert.match(await Status(), /line 6/);
    const listingRow = await page.$eval('#listing tr.current', (r) => r.cells[1].textContent);
    assert.equal(listingRow, '2005');
    await Shot('stepped');

    // Two steps back: after the first instruction only.
    await Press('Step back');
    await WaitForStatus(/after 2 instructions,/);
    await Press('Step back');
    await WaitForStatus(/after 1 instruction,/);
    registers = await Registers();
    assert.deepEqual([registers.A, registers.B, registers.PC], ['05', '00', '2002']);

    // A breakpoint on the loop, and Continue to it.
    await (await Control('button', 'Breakpoint at line 7')).click();
    await Control('button', 'Breakpoint at line 7');
    await Press('Continue');
    assert.match(await WaitForStatus(/^Stopped at line 7/), /PC 2008H, after 4 instructions/);
    // The panels are drawn at the next frame after the status line.
    await page.waitForFunction(() => /^breakpoint/.test(document.querySelector('#cpu-state').rows[8].cells[1]
        .textContent), { timeout: 5000 }).catch(() => {});
    assert.match(await page.$eval('#cpu-state', (t) => t.rows[8].cells[1].textContent), /^breakpoint/);
    registers = await Registers();
    assert.deepEqual([registers.A, registers.PC], ['0C', '2008']);
    await Shot('breakpoint');

    // The sum is in memory at 2050H; change it by hand.
    const address = await Control('textbox', 'Go to address');
    await address.click({ count: 3 });
    await address.type('2050');
    await Press('Go');
    assert.equal(await Value('textbox', 'Byte 2050'), '0C');
    const byte = await Control('textbox', 'Byte 2050');
    await byte.click({ count: 3 });
    await byte.type('99');
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => document.querySelector('[aria-label="Byte 2050"]').closest('td')
        .classList.contains('written'), { timeout: 30000 });
    assert.equal(await Value('textbox', 'Byte 2050'), '99');
    assert.equal(await Value('textbox', 'Byte 2051'), '00');

    // Without the breakpoint the loop never ends: Stop ends it.
    await (await Control('button', 'Breakpoint at line 7')).click();
    await Press('Continue');
    await WaitForStatus(/^Running/);
    await new Promise((resolve) => setTimeout(resolve, 700));
    await Shot('running');
    await Press('Stop');
    const stopped = await WaitForStatus(/^Stopped at line [78]/);
    const count = Number(/after (\d+) instructions/.exec(stopped)[1]);
    assert.ok(count > 1000, `ran ${count} instructions before Stop`);
    assert.equal(await Value('textbox', 'Byte 2050'), '99', 'the edit lasted');
    assert.equal(await (await Control('button', 'Stop')).evaluate((b) => b.disabled), true);

    // Share the program and open the link where nothing is stored.
    await Press('Share link');
    const link = await Value('textbox', 'Link to this program');
    assert.match(link, /#src=/);
    const context = await browser.createBrowserContext();
    const other = await context.newPage();
    await other.goto(link, { waitUntil: 'networkidle0' });
    const opened = await Control('textbox', 'Source code', other);
    assert.equal(await opened.evaluate((t) => t.innerText), Program.replace('MVO', 'MVI'));
    await context.close();
});

// Replaces the editor's text by typing it.
async function TypeProgram(text)
{
    const editor = await Control('textbox', 'Source code');
    await editor.click();
    await page.keyboard.down('Control');
    await page.keyboard.press('a');
    await page.keyboard.up('Control');
    await page.keyboard.press('Delete');
    await editor.type(text);
}

async function Choose(name, value)
{
    await (await Control('combobox', name)).select(value);
}

test('like a kit: an input port, LEDs, a TRAP, number bases, edits, a slow run, the 8080', { skip: !site },
    async () => {
        await TypeProgram('\tORG 2000H\n\tLXI SP, 3000H\n\tIN 05H\n\tOUT 01H\nLOOP:\tJMP LOOP\n' +
            '\tORG 0024H\n\tMVI B, 55H\n\tHLT');
        await Press('Assemble');
        await WaitForStatus(/^Ready/);
        const port = await Control('textbox', 'Input port');
        await port.click({ count: 3 });
        await port.type('05');
        const value = await Control('textbox', 'Input value');
        await value.click({ count: 3 });
        await value.type('3C');
        await Press('Set input');
        for (let i = 1; i <= 3; ++i) {
            await Press('Step');
            await WaitForStatus(new RegExp(`after ${i} instructions?,`));
        }
        assert.equal((await Registers()).A, '3C', 'IN 05H read the value set');
        await Control('image', 'Port 01 as LEDs: 00111100');
        const log = await Control('list', 'OUT log');
        assert.deepEqual(await log.evaluate((l) => [...l.children].map((li) => li.textContent)),
            ['after 3 instructions: OUT 01H = 3C at 2005H']);
        await Choose('Show the port as', 'seven');
        await Control('image', 'Port 01 as a 7-segment digit: segments 00111100');
        await Shot('ports');

        // TRAP before the next instruction: the processor goes to 0024H.
        await Press('TRAP');
        await Press('Step');
        await WaitForStatus(/after 4 instructions,/);
        let registers = await Registers();
        assert.deepEqual([registers.PC, registers.SP], ['0024', '2FFE']);
        await Press('Continue');
        assert.match(await WaitForStatus(/^Halted/), /after 6 instructions, 54 T-states/);
        assert.equal((await Registers()).B, '55');

        // Decimal and binary, and an edit in decimal.
        await Choose('Numbers', 'dec');
        assert.equal((await Registers()).A, '60');
        const a = await Control('textbox', 'Register A');
        await a.click({ count: 3 });
        await a.type('12');
        await page.keyboard.press('Enter');
        await page.waitForFunction(() => document.querySelector('[aria-label="Register A"]').value === '12' &&
            document.querySelector('[aria-label="Register A"]').closest('tr').classList.contains('changed'));
        await Choose('Numbers', 'bin');
        assert.equal((await Registers()).A, '00001100');
        await Choose('Numbers', 'hex');

        // Two instructions a second: Run is still going after a second.
        await Choose('Speed', '2');
        await Press('Run');
        await new Promise((resolve) => setTimeout(resolve, 1300));
        assert.match(await Status(), /^Running/);
        await Press('Stop');
        const stopped = await WaitForStatus(/^Stopped/);
        const count = Number(/after (\d+) instruction/.exec(stopped)[1]);
        assert.ok(count >= 1 && count <= 5, `${count} instructions in about a second`);
        await Choose('Speed', 'fastest');

        // A TRAP pressed while the loop runs ends in the handler's HLT.
        await Press('Run');
        await WaitForStatus(/^Running/);
        await Press('TRAP');
        await WaitForStatus(/^Halted/);
        registers = await Registers();
        assert.deepEqual([registers.B, registers.PC, registers.SP], ['55', '0027', '2FFE']);

        // The 8080 has no TRAP, masks or K and V flags.
        await Choose('Processor', '8080');
        await WaitForStatus(/^Ready/);
        assert.equal(await (await Control('button', 'TRAP')).evaluate((b) => b.disabled), true);
        assert.equal(await page.$eval('[data-flag="k"]', (l) => l.hidden), true);
        assert.equal(await page.$eval('#listing tbody tr:nth-child(2)', (r) => r.cells[3].textContent), '10');
        await Choose('Processor', '8085');
        await WaitForStatus(/^Ready/);
    });

test('an example run to its end: the HLT\'s own line, PC past it, and a halt', { skip: !site }, async () => {
    await Choose('Examples', 'multiply.asm');
    await WaitForStatus(/^Example multiply\.asm opened as multiply\.asm/);
    await Press('Assemble');
    await WaitForStatus(/^Ready/);
    await Press('Run');
    // HLT is line 25, at 2020H; MCAND (line 27) is the byte after it.
    assert.match(await WaitForStatus(/^Halted/), /^Halted at line 25, PC 2021H, after \d+ instructions/);
    assert.equal((await Registers()).PC, '2021');
    const state = await Control('table', 'Processor state');
    const stop = await state.evaluate((t) => [...t.rows].find((r) => r.cells[0].textContent === 'Stop')
        .cells[1].textContent);
    assert.match(stop, /^halt/);
    assert.doesNotMatch(stop, /left the program/);
    const line = await page.$eval('.cm-line.current', (l) => l.textContent);
    assert.match(line, /^\s+HLT\s*$/);
    const listed = await (await Control('table', 'Listing')).evaluate((t) => [...t.querySelectorAll('tr.current')]
        .map((r) => [r.cells[0].textContent, r.cells[1].textContent, r.cells[4].textContent.trim()]));
    assert.deepEqual(listed, [['25', '2020', 'HLT']]);
    await Shot('halted');

    // The kit files come from the module: the first Intel HEX record holds the listing's first 16 bytes;
    // they are named after the file.
    const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'ide-downloads-'));
    try {
        const client = await page.createCDPSession();
        await client.send('Page.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
        await Press('Export Intel HEX');
        await Press('Export binary');
        const file = (name) => path.join(downloads, name);
        for (let i = 0; i < 100 && !(fs.existsSync(file('multiply.ihx')) && fs.existsSync(file('multiply.bin'))); ++i) {
            await new Promise((resolve) => setTimeout(resolve, 100));
        }
        const hex = fs.readFileSync(file('multiply.ihx'), 'utf8').split('\n');
        assert.equal(hex[0], ':102000003A21205F16003A22204F2100000608796D');
        assert.equal(hex.at(-2), ':00000001FF');
        const binary = fs.readFileSync(file('multiply.bin'));
        assert.deepEqual([binary.length, binary[0], binary[0x20], binary[0x21]], [0x25, 0x3A, 0x76, 25]);
    } finally {
        fs.rmSync(downloads, { recursive: true, force: true });
    }
});

test('dark theme and a phone', { skip: !site }, async () => {
    await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: 'dark' }]);
    await Shot('dark');
    const background = await page.evaluate(() => getComputedStyle(document.body).backgroundColor);
    assert.equal(background, 'rgb(22, 25, 29)');
    await page.setViewport({ width: 390, height: 844, isMobile: true, hasTouch: true });
    await page.waitForFunction(() => document.querySelector('[aria-label="Source code"]').textContent !== '', { timeout: 30000 });
    await Press('Assemble');
    await WaitForStatus(/^Ready/);
    await Press('Step');
    await WaitForStatus(/after 1 instruction,/);
    await Shot('phone');
    const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
    assert.ok(overflow <= 0, `the page is ${overflow}px wider than a phone`);
    await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: 'light' }]);
});

test('after the first visit the page works offline', { skip: !site }, async () => {
    await page.setViewport({ width: 1400, height: 900 });
    await page.evaluate(async () => {
        await navigator.serviceWorker.ready;
    });
    // The server goes away for good: everything must come from the cache.
    server.closeAllConnections();
    await new Promise((resolve) => server.close(resolve));
    server = null;
    await page.reload();
    await page.waitForFunction(() => document.querySelector('[aria-label="Source code"]').textContent !== '', { timeout: 30000 });
    await Press('Assemble');
    await WaitForStatus(/^Ready/);
    await Press('Step');
    assert.match(await WaitForStatus(/after 1 instruction,/), /^Stopped at line/);
});
