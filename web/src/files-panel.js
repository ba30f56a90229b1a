// The program's files: the stored copy of the source, Open and Save, the
// share link, the examples, and the exports of the machine code.
import { $, view, Say, Download } from './page.js';
import { MakeShareLink, ReadShareLink } from './share.js';

const StorageKey = 'ide8085.source';

export function StoreSource(text)
{
    localStorage.setItem(StorageKey, text);
}

// An example, and the register data file it starts from, if it has one.
async function OpenExample(editor, source, registers)
{
    editor.Set(await (await fetch('examples/' + source)).text());
    StoreSource(editor.Get());
    view.example = registers ? { firstLine: editor.Get().split('\n')[0], name: registers,
        registers: await (await fetch('examples/' + registers)).text() } : null;
}

// The register file of the example being edited while its first line is there.
export function ExampleRegisters(text)
{
    const example = view.example && text.split('\n')[0] === view.example.firstLine ? view.example : null;
    return example?.registers ?? '';
}

export function SaveExport(kind, data)
{
    if (kind === 'binary') {
        Download('program.bin', data, 'application/octet-stream');
    } else {
        Download('program.ihx', data, 'text/plain');
    }
}

// post(message) goes to the worker.
export function WireFiles({ editor, post })
{
    $('open').addEventListener('click', () => $('open-file').click());
    $('open-file').addEventListener('change', async () => {
        const file = $('open-file').files[0];
        if (file) {
            editor.Set(await file.text());
            StoreSource(editor.Get());
            view.example = null;
            Say(`Opened ${file.name}.`);
        }
    });
    $('save').addEventListener('click', () => Download('program.asm', editor.Get(), 'text/plain'));
    $('share').addEventListener('click', async () => {
        const link = MakeShareLink(location.href, editor.Get());
        history.replaceState(null, '', link);
        $('share-link').value = link;
        $('share-link').hidden = false;
        try {
            await navigator.clipboard.writeText(link);
            Say('The link to this program is copied; it is also in the address bar.');
        } catch {
            Say('The link to this program is in the address bar.');
        }
    });
    $('export-hex').addEventListener('click', () => post({ op: 'export', kind: 'intel-hex' }));
    $('export-bin').addEventListener('click', () => post({ op: 'export', kind: 'binary' }));
    $('export-img').addEventListener('click', () =>
        Download('program.img', view.assembled.image, 'application/octet-stream'));
    $('examples').addEventListener('change', async () => {
        const option = $('examples').selectedOptions[0];
        if (option?.value) {
            await OpenExample(editor, option.value, option.dataset.registers);
            Say(`Example ${option.value} loaded: Assemble to run it.`);
            $('examples').value = '';
        }
    });
}

// The program the page opens with: a shared link's, else the stored one,
// else the first example; and the list of examples.
export async function OpenFirstProgram(editor)
{
    const shared = ReadShareLink(location.hash);
    const stored = localStorage.getItem(StorageKey);
    if (shared !== null) {
        editor.Set(shared);
        Say('Program opened from a shared link: Assemble to run it.');
    } else if (stored !== null) {
        editor.Set(stored);
    }
    const examples = await fetch('examples/index.json').then((r) => r.json()).catch(() => []);
    // Each entry a file name, or { name, source, registers, summary }.
    const entries = examples.map((e) => (typeof e === 'string' ? { name: e.replace(/\.asm$/, ''), source: e } : e));
    for (const e of entries) {
        const option = new Option(e.name, e.source);
        option.title = e.summary ?? '';
        option.dataset.registers = e.registers ?? '';
        $('examples').add(option);
    }
    if (shared === null && stored === null && entries.length > 0) {
        const first = entries.find((e) => e.source === 'countdown.asm') ?? entries[0];
        await OpenExample(editor, first.source, first.registers);
    }
}
