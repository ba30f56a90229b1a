// A person at the page in headless Chromium: controls found by role and
// accessible name, typed into by keyboard. Shared by the browser tests.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';
import { ServeSite } from './serve.mjs';

export const site = process.env.IDE_SITE;
export const shots = process.env.IDE_SCREENSHOTS || path.join(os.tmpdir(), 'ide-screenshots');

// The site served and a browser; close() ends both.
export async function OpenBrowser()
{
    const { server, address } = await ServeSite(site);
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'ide-chromium-'));
    fs.mkdirSync(shots, { recursive: true });
    const browser = await puppeteer.launch({
        executablePath: '/usr/bin/chromium', userDataDir: profile, headless: true,
        args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
            '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    });
    return {
        browser, address,
        async close()
        {
            await browser.close();
            server.close();
            fs.rmSync(profile, { recursive: true, force: true });
        },
    };
}

// A person at one page: its controls by role and name.
export function Person(page)
{
    const person = {
        page,
        async Control(role, name)
        {
            const handle = await page.waitForSelector(`::-p-aria([name="${name}"][role="${role}"])`, { timeout: 5000 });
            assert.ok(handle, `${role} named ${name}`);
            return handle;
        },
        async Press(name)
        {
            const button = await person.Control('button', name);
            await page.waitForFunction((b) => !b.disabled, { timeout: 30000 }, button);
            await button.click();
        },
        async Status()
        {
            return page.$eval('[role="status"]', (e) => e.textContent);
        },
        async WaitForStatus(pattern)
        {
            await page.waitForFunction((source) => new RegExp(source).test(document.querySelector('[role="status"]')
                .textContent), { timeout: 30000 }, pattern.source);
            // The panels are drawn at the next frame after the status line changes.
            await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() =>
                requestAnimationFrame(resolve))));
            return person.Status();
        },
        async Value(role, name)
        {
            return (await person.Control(role, name)).evaluate((e) => e.value);
        },
        // Clicks a text box, selects what it holds and types text (Enter after, unless enter is false).
        async TypeInto(role, name, text, enter = true)
        {
            const box = await person.Control(role, name);
            await box.click({ count: 3 });
            await box.type(text);
            if (enter) {
                await page.keyboard.press('Enter');
            }
        },
        async Source()
        {
            return (await person.Control('textbox', 'Source code')).evaluate((e) => e.innerText);
        },
        // Replaces the program by typing it.
        async TypeProgram(text)
        {
            const editor = await person.Control('textbox', 'Source code');
            await editor.click();
            await person.Keys('Control+a');
            await page.keyboard.press('Delete');
            await editor.type(text);
        },
        // "Control+Shift+Z": holds the modifiers, presses the key.
        async Keys(chord)
        {
            const keys = chord.split('+');
            for (const k of keys.slice(0, -1)) {
                await page.keyboard.down(k);
            }
            await page.keyboard.press(keys.at(-1));
            for (const k of keys.slice(0, -1).reverse()) {
                await page.keyboard.up(k);
            }
        },
        async Registers()
        {
            const table = await person.Control('table', 'Registers');
            return table.evaluate((t) => Object.fromEntries([...t.rows].map((r) => [r.cells[0].textContent,
                r.cells[1].querySelector('input').value])));
        },
        async Options(name)
        {
            return (await person.Control('combobox', name)).evaluate((s) => [...s.options].map((o) => o.textContent));
        },
        async Shot(name)
        {
            await page.screenshot({ path: path.join(shots, name + '.png') });
        },
    };
    return person;
}

// A new page in a context of its own (storage of its own), opened at the
// address, with the program loaded.
export async function NewPerson(browser, address, context = null)
{
    const page = await (context ?? await browser.createBrowserContext()).newPage();
    page.on('pageerror', (error) => { throw error; });
    await page.setViewport({ width: 1400, height: 900 });
    await page.goto(address, { waitUntil: 'networkidle0' });
    await page.waitForFunction(() => document.querySelector('[aria-label="Source code"]')?.textContent !== '',
        { timeout: 30000 });
    return Person(page);
}
