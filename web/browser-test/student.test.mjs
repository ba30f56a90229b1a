// The page as a student in a lab uses it, in headless Chromium: values typed
// by keyboard, programs kept as files, the keyboard alone, editing while
// stopped, the keys that must not reach the browser. Needs a built site
// (IDE_SITE); each test has a browser context (and storage) of its own.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { site, OpenBrowser, NewPerson } from './person.mjs';

const skip = !site && 'no site built';
let opened;

before(async () => {
    if (site) {
        opened = await OpenBrowser();
    }
});

after(async () => {
    await opened?.close();
});

const ShareLink = (text) => opened.address + '#src=' + Buffer.from(text).toString('base64url');

async function Choose(person, name, label)
{
    const select = await person.Control('combobox', name);
    const value = await select.evaluate((s, text) => [...s.options].find((o) => o.textContent === text)?.value, label);
    assert.ok(value !== undefined, `${name} offers ${label}`);
    await select.select(value);
}

async function ListItems(person, name)
{
    return (await person.Control('list', name)).evaluate((l) => [...l.children].map((li) => li.textContent));
}

test('every value can be typed: FF into A, C3 into a byte, F000 into SP and PC, 0FFH as an IN value', { skip },
    async () => {
        const p = await NewPerson(opened.browser, opened.address);
        await p.TypeProgram('\tORG 2000H\n\tLXI SP, 3000H\n\tIN 05H\n\tHLT');
        await p.Press('Assemble');
        await p.WaitForStatus(/^Ready/);
        const cases = [['Register A', 'FF'], ['Register SP', 'F000'], ['Register PC', 'F000'], ['Register BC', 'A000']];
        for (const [name, typed] of cases) {
            await p.TypeInto('textbox', name, typed);
            await p.page.waitForFunction((n, v) => document.querySelector(`[aria-label="${n}"]`).value === v,
                { timeout: 5000 }, name, typed).catch(() => {});
            assert.equal(await p.Value('textbox', name), typed, `${name} took ${typed}; the page said: ${await p.Status()}`);
        }
        await p.TypeInto('textbox', 'Register PC', '2000');
        await p.TypeInto('textbox', 'Go to address', '2050');
        await p.TypeInto('textbox', 'Byte 2050', 'C3');
        await p.page.waitForFunction(() => document.querySelector('[aria-label="Byte 2050"]').value === 'C3',
            { timeout: 5000 }).catch(() => {});
        assert.equal(await p.Value('textbox', 'Byte 2050'), 'C3', await p.Status());

        await p.TypeInto('textbox', 'Input port', '05', false);
        await p.TypeInto('textbox', 'Input value', '0FFH', false);
        await p.Press('Set input');
        await p.page.waitForFunction(() => document.querySelector('[aria-label="Input values"]').children.length > 0,
            { timeout: 5000 }).catch(() => {});
        assert.deepEqual(await ListItems(p, 'Input values'), ['IN 05H reads FF'], await p.Status());
        await p.TypeInto('textbox', 'Register A', '00');
        for (let i = 1; i <= 2; ++i) {
            await p.Press('Step');
            await p.WaitForStatus(new RegExp(`after ${i} instructions?,`));
        }
        assert.equal((await p.Registers()).A, 'FF', 'IN 05H read the value typed');
        await p.page.close();
    });

test('programs are files: an example and a link open new files, each tab its own, Undo after switching, ' +
    'rename, delete and restore, downloads by name', { skip }, async () => {
    const context = await opened.browser.createBrowserContext();
    const p = await NewPerson(opened.browser, opened.address, context);
    assert.deepEqual(await p.Options('Files'), ['countdown.asm']);
    const editor = await p.Control('textbox', 'Source code');
    await editor.click();
    await p.Keys('Control+End');
    await p.page.keyboard.type('\n; mine');
    assert.match(await p.Source(), /; mine$/);

    // An example is a new file; the student's program stays in the list, with its history.
    await (await p.Control('combobox', 'Examples')).select('multiply.asm');
    await p.WaitForStatus(/^Example multiply\.asm opened as multiply\.asm/);
    assert.deepEqual(await p.Options('Files'), ['countdown.asm', 'multiply.asm']);
    assert.doesNotMatch(await p.Source(), /; mine/);
    await Choose(p, 'Files', 'countdown.asm');
    assert.match(await p.Source(), /; mine$/);
    await (await p.Control('textbox', 'Source code')).click();
    await p.Keys('Control+z');
    assert.doesNotMatch(await p.Source(), /; mine/, 'Undo took back the typing made before the switch');
    await p.Keys('Control+Shift+z');
    assert.match(await p.Source(), /; mine$/);

    // Renamed, and saved under its name.
    await p.TypeInto('textbox', 'File name', 'mine.asm');
    await p.WaitForStatus(/^Renamed countdown\.asm to mine\.asm/);
    assert.deepEqual(await p.Options('Files'), ['mine.asm', 'multiply.asm']);
    const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'ide-downloads-'));
    try {
        const client = await p.page.createCDPSession();
        await client.send('Page.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
        await p.Press('Save');
        const saved = path.join(downloads, 'mine.asm');
        for (let i = 0; i < 50 && !fs.existsSync(saved); ++i) {
            await new Promise((resolve) => setTimeout(resolve, 100));
        }
        assert.match(fs.readFileSync(saved, 'utf8'), /^; countdown\.asm[^]*; mine$/);
    } finally {
        fs.rmSync(downloads, { recursive: true, force: true });
    }

    // A classmate's link in another tab: a file of that tab's own; typing there leaves this one alone.
    const other = await NewPerson(opened.browser, ShareLink('\tMVI A, 1\n\tHLT'), context);
    assert.equal(await other.Source(), '\tMVI A, 1\n\tHLT');
    await other.WaitForStatus(/shared link as shared\.asm/);
    await (await other.Control('textbox', 'Source code')).click();
    await other.page.keyboard.type('X');
    await new Promise((resolve) => setTimeout(resolve, 400));
    await p.page.bringToFront();
    await p.page.reload({ waitUntil: 'networkidle0' });
    await p.page.waitForFunction(() => document.querySelector('[aria-label="Source code"]').textContent !== '');
    assert.match(await p.Source(), /; mine$/, 'this tab reopened its own file');
    assert.equal(await p.Value('textbox', 'File name'), 'mine.asm');

    // A link pasted into the address bar of the open page opens too.
    await p.page.goto(ShareLink('\tMVI B, 2\n\tHLT'));
    await p.WaitForStatus(/^Program opened from a shared link/);
    assert.equal(await p.Source(), '\tMVI B, 2\n\tHLT');
    const files = await p.Options('Files');
    assert.ok(files.includes('mine.asm') && files.includes('multiply.asm') && files.length === 4, files.join());

    // Deleted, and restored.
    const name = await p.Value('textbox', 'File name');
    await p.Press('Delete');
    await p.WaitForStatus(new RegExp(`^Deleted ${name.replace(/[().]/g, '\\$&')}`));
    assert.ok(!(await p.Options('Files')).includes(name));
    await p.Press(`Restore ${name}`);
    await p.WaitForStatus(/^Restored/);
    assert.equal(await p.Source(), '\tMVI B, 2\n\tHLT');
    await p.Shot('files');
    await context.close();
});

test('the keyboard: Tab indents in the editor, Escape then Tab leaves it, and Tab walks the whole page', { skip },
    async () => {
        const p = await NewPerson(opened.browser, opened.address);
        await p.Press('Assemble');
        await p.WaitForStatus(/^Ready/);
        const editor = await p.Control('textbox', 'Source code');
        await editor.click();
        await p.Keys('Control+End');
        await p.page.keyboard.press('Tab');
        assert.match(await p.Source(), /\t$/, 'Tab in the editor indents');
        await p.page.keyboard.press('Backspace');

        const focused = () => p.page.evaluate(() => {
            const e = document.activeElement;
            return e.getAttribute('aria-label') || e.labels?.[0]?.textContent.trim() || e.textContent.trim();
        });
        await p.page.keyboard.press('Escape');
        await p.page.keyboard.down('Shift');
        await p.page.keyboard.press('Tab');
        await p.page.keyboard.up('Shift');
        assert.equal(await focused(), 'Keys', 'Escape, Shift+Tab: back to the debug bar');
        await p.page.keyboard.press('Tab');
        assert.equal(await focused(), 'Source code');
        await p.page.keyboard.press('Escape');
        const seen = [];
        // (the kit, INTR last, comes before the memory on a wide screen)
        for (let i = 0; i < 400 && !(seen.includes('INTR') && seen.includes('Byte 207F')); ++i) {
            await p.page.keyboard.press('Tab');
            seen.push(await focused());
        }
        for (const name of ['Listing', 'Register A', 'Register PC', 'S', 'Go to address', 'Byte 2000', 'Byte 207F',
            'Input value', 'Set input', 'Shown output port', 'TRAP', 'RST 7.5', 'INTR']) {
            assert.ok(seen.includes(name), `Tab reaches ${name}: ${seen.join(' | ')}`);
        }
        await p.page.close();
    });

test('edited while stopped: breakpoints and the current line follow the text; a breakpoint on a comment or ' +
    'blank line goes to the next instruction; Continue marks what changed', { skip }, async () => {
    const p = await NewPerson(opened.browser, opened.address);
    await p.TypeProgram(['; two numbers', '\tORG 2000H', 'START:\tMVI A, 5', '\tMVI B, 7', '', '\tADD B',
        'LOOP:\tINR C', '\tJMP LOOP', '; end'].join('\n'));
    await p.Press('Assemble');
    await p.WaitForStatus(/^Ready at line 3/);
    const pressed = async (line) => (await p.Control('button', `Breakpoint at line ${line}`))
        .evaluate((b) => b.getAttribute('aria-pressed'));

    await (await p.Control('button', 'Breakpoint at line 1')).click();
    assert.match(await p.WaitForStatus(/^Line 1/), /the breakpoint is at line 3, the next instruction/);
    assert.deepEqual([await pressed(1), await pressed(3)], ['false', 'true']);
    await (await p.Control('button', 'Breakpoint at line 3')).click();
    await (await p.Control('button', 'Breakpoint at line 5')).click();
    assert.deepEqual([await pressed(5), await pressed(6)], ['false', 'true']);
    await (await p.Control('button', 'Breakpoint at line 9')).click();
    assert.match(await p.WaitForStatus(/^Line 9/), /none follows it: no breakpoint/);
    assert.equal(await pressed(9), 'false');

    await p.Press('Step');
    await p.WaitForStatus(/^Stopped at line 4,/);
    // A line written above, while stopped.
    await (await p.Control('textbox', 'Source code')).click();
    await p.Keys('Control+Home');
    await p.page.keyboard.type('; a note\n');
    await p.WaitForStatus(/^The source changed/);
    assert.equal(await p.page.$eval('.cm-line.current', (l) => l.textContent), '\tMVI B, 7');
    assert.deepEqual([await pressed(6), await pressed(7)], ['false', 'true']);
    await p.Press('Continue');
    assert.match(await p.WaitForStatus(/^Stopped at line 7/), /PC 2004H, after 2 instructions/);
    assert.equal(await p.page.$eval('.cm-line.current', (l) => l.textContent), '\tADD B');
    const listed = await p.page.$eval('#listing tr.current', (r) => r.cells[4].textContent.trim());
    assert.equal(listed, 'ADD B');
    const changed = await (await p.Control('table', 'Registers')).evaluate((t) => [...t.rows]
        .filter((r) => r.classList.contains('changed')).map((r) => r.cells[0].textContent));
    assert.ok(changed.includes('B') && !changed.includes('A'), `changed: ${changed}`);
    await p.Shot('edited-while-stopped');
    await p.page.close();
});

test('F5 and F10 after a halt stay in the page; F1 shows the keys', { skip }, async () => {
    const p = await NewPerson(opened.browser, opened.address);
    await p.TypeProgram('\tORG 2000H\n\tMVI A, 1\n\tHLT');
    await p.Press('Assemble');
    await p.WaitForStatus(/^Ready/);
    await p.Press('Run');
    await p.WaitForStatus(/^Halted/);
    await p.page.evaluate(() => {
        window.keysSeen = [];
        window.addEventListener('keydown', (e) => window.keysSeen.push([e.key, e.defaultPrevented]));
    });
    await p.page.keyboard.press('F5');
    await p.page.keyboard.press('F10');
    assert.deepEqual(await p.page.evaluate(() => window.keysSeen), [['F5', true], ['F10', true]]);
    assert.match(await p.Status(), /^The program has halted: Run \(Ctrl\+F5\) starts it again/);

    await p.page.keyboard.press('F1');
    const help = await p.Control('dialog', 'Keyboard shortcuts');
    const rows = await help.evaluate((d) => [...d.querySelectorAll('tr')].map((r) => r.cells[0].textContent + ': ' +
        r.cells[1].textContent));
    assert.ok(rows.includes('F9: Breakpoint at the cursor\'s line') && rows.includes('Ctrl+F5: Run from the start'),
        rows.join('\n'));
    await p.Shot('keys');
    await p.page.keyboard.press('Escape');
    assert.equal(await help.evaluate((d) => d.open), false);
    await p.page.close();
});

test('a \';\' glued to the operands is said once for the program, under the file\'s name', { skip }, async () => {
    const p = await NewPerson(opened.browser, opened.address);
    await p.TypeProgram('\tORG 2000H\n\tMVI A,5;load\n\tINR A;next\n\tMOV B,A;copy\n\tHLT');
    await p.Press('Assemble');
    await p.WaitForStatus(/^Ready/);
    const shown = await ListItems(p, 'Messages');
    assert.equal(shown.length, 2, shown.join('\n'));
    assert.match(shown[0], /^countdown\.asm:2: warning: ';' in 5;load starts a comment/);
    assert.equal(shown[1], 'countdown.asm: note: the same on lines 3, 4: each \';\' glued to the operands starts ' +
        'a comment there too');
    const page = await p.page.evaluate(() => document.body.innerText);
    assert.doesNotMatch(page, /prog\.asm/);
    await p.page.close();
});
