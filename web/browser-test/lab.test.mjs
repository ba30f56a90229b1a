// The lab flow and the views, in headless Chromium: values entered kept
// across Run until Reset, the start address, the stack and labels views, the
// line followed at the slow speeds, interrupts while stopped, a TRAP into an
// empty vector, a phone's width, and offline on a first visit. Needs a built
// site (IDE_SITE); each test has a browser context of its own.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { site, OpenBrowser, NewPerson, Person } from './person.mjs';
import { ServeSite } from './serve.mjs';

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

async function Rows(person, name)
{
    return (await person.Control('table', name)).evaluate((t) =>
        [...t.tBodies[0].rows].map((r) => [...r.cells].map((c) => c.textContent)));
}

async function Byte(person, address)
{
    await person.TypeInto('textbox', 'Go to address', address);
    await person.page.waitForSelector(`[aria-label="Byte ${address}"]`, { timeout: 5000 });
    return person.Value('textbox', `Byte ${address}`);
}

const Sum = '\tORG 2000H\n\tLDA 2050H\n\tMOV B, A\n\tLDA 2051H\n\tADD B\n\tSTA 2052H\n\tHLT\n';

test('the lab flow: bytes entered are kept across Run and said so; Reset forgets them', { skip }, async () => {
    const p = await NewPerson(opened.browser, opened.address);
    await p.TypeProgram(Sum);
    await p.Press('Assemble');
    await p.WaitForStatus(/^Ready/);
    await p.TypeInto('textbox', 'Go to address', '2050');
    await p.TypeInto('textbox', 'Byte 2050', '05');
    await p.TypeInto('textbox', 'Byte 2051', '07');
    await p.WaitForStatus(/^Ready/);
    await p.Press('Run');
    const said = await p.WaitForStatus(/^Halted/);
    assert.match(said, /the 2 values you entered kept \(Reset forgets them\)/);
    assert.equal(await Byte(p, '2052'), '0C', 'the sum of the bytes entered');
    await p.Press('Run');
    await p.WaitForStatus(/^Halted.*kept/);
    assert.equal(await Byte(p, '2052'), '0C', 'a second Run keeps them too');
    await p.Press('Reset');
    assert.match(await p.WaitForStatus(/^Ready/), /forgotten/);
    assert.equal(await Byte(p, '2050'), '00');
    await p.Press('Run');
    await p.WaitForStatus(/^Halted/);
    assert.equal(await Byte(p, '2052'), '00', 'after Reset, Run starts from the program alone');
    await p.page.close();
});

test('the start address: a program that begins with its vector table starts where the box says', { skip },
    async () => {
        const p = await NewPerson(opened.browser, opened.address);
        await p.TypeProgram('\tORG 003CH\n\tJMP 2100H\n\tORG 2000H\n\tMVI A, 42H\n\tHLT\n');
        await p.Press('Assemble');
        await p.WaitForStatus(/^Ready/);
        await p.TypeInto('textbox', 'Start address', '2000', false);
        await p.Press('Run');
        assert.match(await p.WaitForStatus(/^Halted/), /at line 5, PC 2003H.* Run from 2000H \(the Start box\)\.$/);
        assert.equal((await p.Registers()).A, '42');
        // END names the start: the page's box empty, the program starts there, and the END line says so.
        await p.TypeInto('textbox', 'Start address', '', false);
        await p.TypeProgram('\tORG 003CH\n\tJMP 2100H\n\tORG 2000H\nSTART:\tMVI A, 42H\n\tHLT\n\tEND START\n');
        await p.Press('Assemble');
        assert.match(await p.WaitForStatus(/^Ready/), /^Ready at line 4: PC 2000H/);
        const messages = await (await p.Control('list', 'Messages')).evaluate((l) => l.textContent);
        assert.match(messages, /:6: note: the program starts at START, 2000H, as END names it/);
        await p.TypeInto('textbox', 'Start address', 'XYZ', false);
        await p.Press('Run');
        assert.match(await p.WaitForStatus(/^Start address/), /16-bit address/);
        await p.page.close();
    });

test('the stack names return addresses by label and line; the labels show values, lines and bytes', { skip },
    async () => {
        const p = await NewPerson(opened.browser, opened.address);
        await p.TypeProgram('\tORG 2000H\nSTART:\tLXI SP, 3000H\n\tLXI B, 1234H\n\tPUSH B\n\tCALL SHOW\n\tHLT\n' +
            'SHOW:\tNOP\n\tRET\nVALUE:\tDB 99H, 88H\n');
        await p.Press('Assemble');
        await p.WaitForStatus(/^Ready/);
        for (let i = 1; i <= 4; ++i) {
            await p.Press('Step');
            await p.WaitForStatus(new RegExp(`after ${i} instructions?,`));
        }
        const stack = await Rows(p, 'Stack');
        assert.deepEqual(stack[0], ['SP 2FFC', '200A', 'returns past the call at line 5 in START+0007H']);
        assert.deepEqual(stack[1], ['SP+2 2FFE', '1234', '']);
        assert.deepEqual(await Rows(p, 'Labels'), [
            ['START', '2000', '2', '31 00 30 01'], ['SHOW', '200B', '7', '00 C9'], ['VALUE', '200D', '9', '99 88 00 00']]);
        await p.page.close();
    });

test('at 10 instructions a second the source line and the listing row follow the run', { skip }, async () => {
    const p = await NewPerson(opened.browser, opened.address);
    await p.TypeProgram('\tORG 2000H\nLOOP:\tINR A\n\tJMP LOOP\n');
    await p.Press('Assemble');
    await p.WaitForStatus(/^Ready/);
    const speed = await p.Control('combobox', 'Speed');
    await speed.select('10');
    await p.Press('Run');
    await p.WaitForStatus(/^Running/);
    await p.page.waitForFunction(() => document.querySelector('#editor .cm-line.current') &&
        document.querySelector('#listing tr.current'), { timeout: 5000 });
    const lines = new Set();
    for (let i = 0; i < 8; ++i) {
        lines.add(await p.page.$eval('#listing tr.current', (r) => r.cells[0].textContent));
        await new Promise((resolve) => setTimeout(resolve, 60));
    }
    assert.deepEqual([...lines].sort(), ['2', '3'], 'both lines of the loop were shown in turn');
    await p.Press('Stop');
    await p.page.close();
});

test('an interrupt raised while stopped is said; a TRAP into an empty vector says why on the status line', { skip },
    async () => {
        const p = await NewPerson(opened.browser, opened.address);
        await p.TypeProgram('\tORG 2000H\n\tNOP\n\tHLT\n');
        await p.Press('Assemble');
        await p.WaitForStatus(/^Ready/);
        await p.Press('RST 7.5');
        assert.match(await p.WaitForStatus(/raised/), /^RST 7\.5 raised: .* Interrupts are disabled/);
        await p.Press('TRAP');
        assert.match(await p.WaitForStatus(/^TRAP raised/), /next Step or Continue\.$/);
        await p.Press('Step');
        assert.match(await p.WaitForStatus(/^Stopped, PC 0024H/),
            /TRAP taken at 2000H \(countdown\.asm:2\) jumped to 0024H, where the program placed nothing; .*ORG 0024H/);
        await p.page.close();
    });

test('on a 390-pixel phone nothing is wider than the screen, and the debug bar stays in view', { skip }, async () => {
    const p = await NewPerson(opened.browser, opened.address);
    await p.page.setViewport({ width: 390, height: 844, isMobile: true, hasTouch: true });
    await p.Press('Assemble');
    await p.WaitForStatus(/^Ready/);
    await p.Press('Step');
    await p.WaitForStatus(/after 1 instruction,/);
    const width = await p.page.evaluate(() => document.documentElement.scrollWidth);
    assert.ok(width <= 390, `the page is ${width} px wide`);
    await p.page.evaluate(() => window.scrollTo(0, document.body.scrollHeight));
    const bar = await (await p.Control('toolbar', 'Assemble and debug')).boundingBox();
    assert.ok(bar.y >= 0 && bar.y + bar.height <= 844, `the debug bar is at ${bar.y}`);
    await p.page.close();
});

test('the laptop (1366×768): the editor, registers, flags, LEDs and the debug bar are all in view', { skip },
    async () => {
        const p = await NewPerson(opened.browser, opened.address);
        await p.page.setViewport({ width: 1366, height: 768 });
        for (const [role, name] of [['textbox', 'Source code'], ['table', 'Registers'], ['group', 'Flags'],
            ['image', 'Port 01 as LEDs: 00000000'], ['toolbar', 'Assemble and debug']]) {
            const box = await (await p.Control(role, name)).boundingBox();
            assert.ok(box && box.y >= 0 && box.y + Math.min(box.height, 40) <= 768 && box.x + box.width <= 1366,
                `${name} is in view: ${JSON.stringify(box)}`);
        }
        assert.ok(await p.page.evaluate(() => document.documentElement.scrollWidth) <= 1366);
        await p.page.close();
    });

test('offline on a first visit that never assembled: the server stopped, the page still assembles and steps',
    { skip }, async () => {
        const { server, address } = await ServeSite(site);
        const context = await opened.browser.createBrowserContext();
        const page = await context.newPage();
        await page.goto(address, { waitUntil: 'networkidle0' });
        await page.evaluate(async () => {
            const registration = await navigator.serviceWorker.ready;
            // Wait until the worker has filled its cache (it activates after).
            while (!registration.active || registration.active.state !== 'activated') {
                await new Promise((resolve) => setTimeout(resolve, 50));
            }
        });
        server.closeAllConnections();
        await new Promise((resolve) => server.close(resolve));
        await page.reload();
        const p = Person(page);
        await page.waitForFunction(() => document.querySelector('[aria-label="Source code"]')?.textContent !== '',
            { timeout: 30000 });
        await p.Press('Assemble');
        await p.WaitForStatus(/^Ready/);
        await p.Press('Step');
        assert.match(await p.WaitForStatus(/after 1 instruction,/), /^Stopped at line/);
        await context.close();
    });

test('the single-file page opened from disk (file://, no server): assemble, step, step back, run to the halt',
    { skip }, async () => {
        const file = path.join(site, 'ide8085.html');
        assert.ok(fs.existsSync(file), 'the build made the single file');
        const context = await opened.browser.createBrowserContext();
        const page = await context.newPage();
        const errors = [];
        page.on('pageerror', (error) => errors.push(String(error)));
        const requests = [];
        page.on('request', (request) => requests.push(request.url()));
        await page.setViewport({ width: 1400, height: 900 });
        await page.goto(pathToFileURL(file).href, { waitUntil: 'load' });
        await page.waitForFunction(() => document.querySelector('[aria-label="Source code"]')?.textContent !== '',
            { timeout: 30000 });
        const p = Person(page);
        assert.deepEqual(await p.Options('Files'), ['countdown.asm'], 'the first example opened from inside the file');
        assert.ok((await p.Options('Examples')).length > 3, 'the examples are inside');
        await p.Press('Assemble');
        assert.match(await p.WaitForStatus(/^Ready/), /at line 8/);
        await p.Press('Step');
        await p.WaitForStatus(/after 1 instruction,/);
        await p.Press('Step back');
        await p.WaitForStatus(/^Ready at line 8/);
        await p.Press('Run');
        assert.match(await p.WaitForStatus(/^Halted/), /^Halted at line 16/);
        assert.equal(await page.$eval('[aria-label="OUT log"]', (l) => l.children.length > 0), true);
        await p.Shot('single-file');
        assert.deepEqual(errors, []);
        assert.deepEqual(requests.filter((url) => !/^(file|blob|data):/.test(url)), [], 'nothing from a network');
        await context.close();
    });

test('the OUT log is every OUT (the same value twice too), and steps back with the LEDs', { skip }, async () => {
    const p = await NewPerson(opened.browser, opened.address); // the countdown example: ten OUTs, 0A down to 01
    const log = async () => (await p.Control('list', 'OUT log')).evaluate((l) => [...l.children].map((li) => li.textContent));
    await p.Press('Assemble');
    await p.WaitForStatus(/^Ready/);
    await p.Press('Run');
    await p.WaitForStatus(/^Halted at line 16/);
    const all = await log();
    assert.equal(all.length, 10, all.join('\n'));
    assert.equal(all[0], 'after 4 instructions: OUT 01H = 0A at 2006H');
    assert.equal(all[9], 'after 58 instructions: OUT 01H = 01 at 2006H');
    for (let i = 1; i <= 6; ++i) {
        await p.Press('Step back');
        await p.WaitForStatus(new RegExp(`after ${63 - i} instructions`));
    }
    assert.deepEqual(await log(), all.slice(0, 9), 'the OUT undone left the log');
    await p.Control('image', 'Port 01 as LEDs: 00000010');
    await p.Press('Step');
    await p.WaitForStatus(/after 58 instructions/);
    assert.deepEqual(await log(), all, 'and came back once');

    await p.TypeProgram('\tORG 2000H\n\tMVI A, 5\n\tOUT 01H\n\tOUT 01H\n\tHLT\n');
    await p.Press('Assemble');
    await p.WaitForStatus(/^Ready/);
    await p.Press('Run');
    await p.WaitForStatus(/^Halted/);
    assert.deepEqual(await log(), ['after 2 instructions: OUT 01H = 05 at 2002H',
        'after 3 instructions: OUT 01H = 05 at 2004H']);
    await p.page.close();
});

test('with Processor 8080, SIM and RIM are refused at Assemble on their lines; with the 8085 they run', { skip },
    async () => {
        const p = await NewPerson(opened.browser, opened.address);
        const cpu = await p.Control('combobox', 'Processor');
        await cpu.select('8080');
        await p.TypeProgram('\tORG 2000H\n\tMVI A, 18H\n\tSIM\n\tRIM\n\tHLT\n');
        await p.Press('Assemble');
        assert.match(await p.WaitForStatus(/error/), /^2 errors: nothing to run/);
        const messages = await (await p.Control('list', 'Messages')).evaluate((l) => l.textContent);
        assert.match(messages, /:3: error: SIM is an 8085 instruction: the 8080 has none, and would run its byte 30H as NOP/);
        assert.match(messages, /:4: error: RIM is an 8085 instruction/);
        assert.equal(await (await p.Control('button', 'Run')).evaluate((b) => b.disabled), true);
        await cpu.select('8085');
        await p.WaitForStatus(/^Ready/);
        await p.Press('Run');
        assert.match(await p.WaitForStatus(/^Halted/), /at line 5/);
        await p.page.close();
    });
