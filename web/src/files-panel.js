// The program's files: each program a file with a name, kept in the browser
// (one localStorage entry a file, so that tabs never write each other's);
// each tab edits its own file (sessionStorage remembers which, a Web Lock
// says which files another tab has open). A list to open, rename and delete
// them; Open from disk, an example and a share link each open a new file.
// Each file keeps its editor state (text and undo history) while the page is
// open; a deleted file can be restored. Save and the exports are named
// after the file.
import { $, view, Say, Download } from './page.js';
import { MakeShareLink, ReadShareLink } from './share.js';

const Prefix = 'ide8085.file.';
const TabKey = 'ide8085.tab-file';
const LegacyKey = 'ide8085.source';
const files = new Map(); // id -> { id, name, text, modified, state }
let editor = null;
let opened = () => {};
let currentId = null;
let release = null;       // lets go of the current file's lock
let deleted = null;       // the file last deleted, to restore
let saveTimer = 0;

function ReadStored()
{
    for (let i = 0; i < localStorage.length; ++i) {
        const key = localStorage.key(i);
        if (key.startsWith(Prefix) && !files.has(key.slice(Prefix.length))) {
            try {
                const { name, text, modified } = JSON.parse(localStorage.getItem(key));
                files.set(key.slice(Prefix.length), { id: key.slice(Prefix.length), name, text, modified, state: null });
            } catch { /* not one of ours */ }
        }
    }
}

function Persist(file)
{
    try {
        localStorage.setItem(Prefix + file.id, JSON.stringify({ name: file.name, text: file.text,
            modified: file.modified }));
    } catch {
        Say('The browser refused to keep the program (storage full?): use Save.');
    }
}

function Current()
{
    return files.get(currentId) ?? null;
}

// The current file's name, for messages and downloads.
export function FileName()
{
    return Current()?.name ?? 'program.asm';
}

function BaseName()
{
    return FileName().replace(/\.(asm|txt|s)$/i, '');
}

function UniqueName(name)
{
    const taken = new Set([...files.values()].map((f) => f.name));
    if (!taken.has(name)) {
        return name;
    }
    const [, stem, ext] = /^(.*?)(\.[^.]*)?$/.exec(name);
    for (let n = 2; ; ++n) {
        const candidate = `${stem} (${n})${ext ?? ''}`;
        if (!taken.has(candidate)) {
            return candidate;
        }
    }
}

function CreateFile(name, text)
{
    const id = Date.now().toString(36) + Math.random().toString(36).slice(2, 8);
    const file = { id, name: UniqueName(name), text, modified: Date.now(), state: null };
    files.set(id, file);
    Persist(file);
    return file;
}

// The text typed: kept in the file, written to storage a moment later.
export function StoreSource(text)
{
    const file = Current();
    if (!file) {
        return;
    }
    file.text = text;
    file.modified = Date.now();
    clearTimeout(saveTimer);
    saveTimer = setTimeout(() => Persist(file), 250);
}

function Flush()
{
    clearTimeout(saveTimer);
    if (Current()) {
        Persist(Current());
    }
}

async function Hold(id)
{
    release?.();
    release = null;
    if (!navigator.locks) {
        return;
    }
    await new Promise((held) => {
        navigator.locks.request(Prefix + id, { ifAvailable: true }, (lock) => {
            held();
            return lock ? new Promise((letGo) => { release = letGo; }) : null;
        });
    });
}

async function HeldElsewhere()
{
    if (!navigator.locks) {
        return new Set();
    }
    const { held } = await navigator.locks.query();
    return new Set(held.map((l) => l.name.slice(Prefix.length)));
}

function Show(file)
{
    const old = Current();
    if (old && old !== file) {
        Flush();
        old.state = editor.Save();
    }
    currentId = file.id;
    sessionStorage.setItem(TabKey, file.id);
    if (file.state) {
        editor.Restore(file.state);
    } else {
        editor.Set(file.text);
    }
    RenderFiles();
    opened(file);
    Hold(file.id);
}

export function RenderFiles()
{
    const list = $('files');
    const sorted = [...files.values()].sort((a, b) => a.name.localeCompare(b.name));
    list.replaceChildren(...sorted.map((f) => new Option(f.name, f.id, false, f.id === currentId)));
    $('file-name').value = FileName();
    view.fileName = FileName();
    $('restore-file').hidden = !deleted;
    if (deleted) {
        $('restore-file').textContent = `Restore ${deleted.name}`;
    }
}

// A program that comes from elsewhere (disk, example, link) opens as a new
// file; the one being edited stays in the list.
export function OpenAsNewFile(name, text)
{
    const file = CreateFile(name, text);
    Show(file);
    return file;
}

// An example, and the register data file it starts from, if it has one.
async function OpenExample(source, registers)
{
    const registerFile = registers ? fetch('examples/' + registers).then((r) => r.text()) : null;
    const text = await (await fetch('examples/' + source)).text();
    const file = OpenAsNewFile(source, text);
    view.example = registers ? { file: file.id, firstLine: text.split('\n')[0], name: registers,
        registers: await registerFile } : null;
}

// The register file of the example being edited while its first line is there.
export function ExampleRegisters(text)
{
    const example = view.example && view.example.file === currentId && text.split('\n')[0] === view.example.firstLine
        ? view.example : null;
    return example?.registers ?? '';
}

export function SaveExport(kind, data)
{
    if (kind === 'binary') {
        Download(BaseName() + '.bin', data, 'application/octet-stream');
    } else {
        Download(BaseName() + '.ihx', data, 'text/plain');
    }
}

function OpenShared()
{
    const shared = ReadShareLink(location.hash);
    if (shared === null) {
        return false;
    }
    history.replaceState(null, '', location.href.replace(/#.*$/, ''));
    const file = OpenAsNewFile('shared.asm', shared);
    Say(`Program opened from a shared link as ${file.name}: Assemble to run it.`);
    return true;
}

// editor: the editor; onOpened(file): another file is shown.
export function WireFiles({ editor: theEditor, post, onOpened })
{
    editor = theEditor;
    opened = onOpened;
    $('files').addEventListener('change', () => {
        const file = files.get($('files').value);
        if (file && file.id !== currentId) {
            Show(file);
            Say(`Opened ${file.name}.`);
        }
    });
    $('file-name').addEventListener('change', () => {
        const file = Current();
        const name = $('file-name').value.trim();
        if (!file || name === file.name) {
            return;
        }
        if (name === '' || [...files.values()].some((f) => f.name === name)) {
            Say(name === '' ? 'A file needs a name.' : `There is a file named ${name} already.`);
            $('file-name').value = file.name;
            return;
        }
        const old = file.name;
        file.name = name;
        Persist(file);
        RenderFiles();
        Say(`Renamed ${old} to ${name}.`);
    });
    $('new-file').addEventListener('click', () => {
        const file = OpenAsNewFile('untitled.asm', '');
        Say(`New file ${file.name}.`);
        editor.Focus();
    });
    $('delete-file').addEventListener('click', () => {
        const file = Current();
        if (!file) {
            return;
        }
        Flush();
        file.state = editor.Save();
        deleted = file;
        files.delete(file.id);
        localStorage.removeItem(Prefix + file.id);
        currentId = null;
        const next = [...files.values()].sort((a, b) => b.modified - a.modified)[0] ?? CreateFile('untitled.asm', '');
        Show(next);
        Say(`Deleted ${file.name} (Restore brings it back); now editing ${next.name}.`);
    });
    $('restore-file').addEventListener('click', () => {
        if (!deleted) {
            return;
        }
        const file = deleted;
        deleted = null;
        file.name = UniqueName(file.name);
        files.set(file.id, file);
        Persist(file);
        Show(file);
        Say(`Restored ${file.name}.`);
    });
    $('open').addEventListener('click', () => $('open-file').click());
    $('open-file').addEventListener('change', async () => {
        const chosen = $('open-file').files[0];
        if (chosen) {
            const file = OpenAsNewFile(chosen.name, await chosen.text());
            Say(`Opened ${chosen.name} as ${file.name}.`);
            $('open-file').value = '';
        }
    });
    $('save').addEventListener('click', () => Download(FileName(), editor.Get(), 'text/plain'));
    $('share').addEventListener('click', async () => {
        const link = MakeShareLink(location.href, editor.Get());
        $('share-link').value = link;
        $('share-link').hidden = false;
        try {
            await navigator.clipboard.writeText(link);
            Say('The link to this program is copied, and shown beside Share link.');
        } catch {
            Say('The link to this program is beside Share link: copy it from there.');
        }
    });
    $('export-hex').addEventListener('click', () => post({ op: 'export', kind: 'intel-hex' }));
    $('export-bin').addEventListener('click', () => post({ op: 'export', kind: 'binary' }));
    $('export-img').addEventListener('click', () =>
        Download(BaseName() + '.img', view.assembled.image, 'application/octet-stream'));
    $('examples').addEventListener('change', async () => {
        const option = $('examples').selectedOptions[0];
        if (option?.value) {
            await OpenExample(option.value, option.dataset.registers);
            Say(`Example ${option.value} opened as ${FileName()}: Assemble to run it.`);
            $('examples').value = '';
        }
    });
    window.addEventListener('hashchange', OpenShared);
    window.addEventListener('pagehide', Flush);
    window.addEventListener('storage', (event) => {
        if (event.key?.startsWith(Prefix)) {
            const id = event.key.slice(Prefix.length);
            if (id !== currentId) {
                files.delete(id);
                ReadStored();
                RenderFiles();
            }
        }
    });
}

// The program the page opens with: a shared link's (a new file), else this
// tab's file, else the last edited file no other tab has open, else the first
// example; and the list of examples.
export async function OpenFirstProgram()
{
    ReadStored();
    const legacy = localStorage.getItem(LegacyKey);
    if (legacy !== null) {
        CreateFile('program.asm', legacy);
        localStorage.removeItem(LegacyKey);
    }
    let ready = OpenShared();
    if (!ready) {
        // A reload keeps the tab's file; a duplicated tab (its session copied)
        // takes the file only if the tab it came from has let it go.
        const reload = performance.getEntriesByType('navigation')[0]?.type === 'reload';
        let mine = files.get(sessionStorage.getItem(TabKey));
        const held = (mine && reload) || files.size === 0 ? new Set() : await HeldElsewhere();
        mine = mine && !held.has(mine.id) ? mine : null;
        const free = [...files.values()].filter((f) => !held.has(f.id)).sort((a, b) => b.modified - a.modified);
        const file = mine ?? free[0];
        if (file) {
            Show(file);
            ready = true;
        }
    }
    const examples = await (window.ideBoot?.examples ?? fetch('examples/index.json').then((r) => r.json()))
        .catch(() => []);
    // Each entry a file name, or { name, source, registers, summary }.
    const entries = examples.map((e) => (typeof e === 'string' ? { name: e.replace(/\.asm$/, ''), source: e } : e));
    for (const e of entries) {
        const option = new Option(e.name, e.source);
        option.title = e.summary ?? '';
        option.dataset.registers = e.registers ?? '';
        $('examples').add(option);
    }
    if (!ready && entries.length > 0) {
        const first = entries.find((e) => e.source === 'countdown.asm') ?? entries[0];
        await OpenExample(first.source, first.registers);
    } else if (!ready) {
        Show(CreateFile('untitled.asm', ''));
    }
}
