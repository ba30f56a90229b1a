// The single-file page's loader (inlined into it by single-file.mjs): every
// file of the site is inside the page, base64 in the element #site-files.
// The page's and the worker's fetches of site files are answered from it,
// each ES module becomes a Blob URL with its relative imports pointing at
// the others', and the worker starts from a Blob URL too, so the page needs
// no server: it works opened from disk (file://) and offline.
(() => {
    const files = JSON.parse(document.getElementById('site-files').textContent);
    const Base = 'https://site.invalid/'; // where the modules think they are
    const Types = { wasm: 'application/wasm', json: 'application/json', js: 'text/javascript' };

    function Bytes(name)
    {
        const text = atob(files[name]);
        const bytes = new Uint8Array(text.length);
        for (let i = 0; i < text.length; ++i) {
            bytes[i] = text.charCodeAt(i);
        }
        return bytes;
    }

    // The site file a URL names, or undefined.
    function SiteName(url)
    {
        const text = String(url?.url ?? url);
        const page = location.href.replace(/[^/]*([?#].*)?$/, '');
        const name = text.startsWith(Base) ? text.slice(Base.length)
            : text.startsWith(page) ? text.slice(page.length) : /^[a-z]+:/i.test(text) ? undefined : text;
        const clean = name?.replace(/^\.\//, '').replace(/[?#].*$/, '');
        return clean !== undefined && clean in files ? clean : undefined;
    }

    const siteFetch = window.fetch.bind(window);
    window.fetch = (url, options) => {
        const name = SiteName(url);
        if (name === undefined) {
            return siteFetch(url, options);
        }
        const type = Types[name.split('.').pop()] ?? 'text/plain';
        return Promise.resolve(new Response(Bytes(name), { headers: { 'Content-Type': type } }));
    };

    // Each module as a Blob URL, its imports rewritten to their Blob URLs
    // (the worker makes its own: a worker from a file:// page cannot import
    // the page's). bytes(name) gives a file's bytes.
    function ModuleUrls(bytes, base)
    {
        const urls = {};
        const Url = (name) => {
            if (!urls[name]) {
                const folder = name.replace(/[^/]*$/, '');
                const text = new TextDecoder().decode(bytes(name))
                    .replace(/(\bfrom\s*|\bimport\s*\(?\s*)(["'])(\.{1,2}\/[^"']+)\2/g, (all, before, quote, path) =>
                        before + JSON.stringify(Url(new URL(path, base + folder).href.slice(base.length))))
                    .replace(/\bimport\.meta\.url\b/g, JSON.stringify(base + name));
                urls[name] = URL.createObjectURL(new Blob([text], { type: 'text/javascript' }));
            }
            return urls[name];
        };
        return Url;
    }
    const ModuleUrl = ModuleUrls(Bytes, Base);

    // The worker: a small module that answers fetches from the files the
    // page hands it, then runs the page's worker module; messages that come
    // meanwhile wait for it.
    // The worker: a classic script that answers fetches from the files the
    // page hands it, then imports the page's worker module; messages that
    // come meanwhile wait for it.
    const workerStart = `
        let files = null;
        const waiting = [];
        const Base = ${JSON.stringify(Base)};
        const ModuleUrls = ${ModuleUrls.toString()};
        const siteFetch = self.fetch.bind(self);
        self.fetch = (url, options) => {
            const text = String(url?.url ?? url);
            const name = text.startsWith(Base) ? text.slice(Base.length) : null;
            if (!files || name === null || !(name in files)) {
                return siteFetch(url, options);
            }
            const type = name.endsWith('.wasm') ? 'application/wasm' : name.endsWith('.json') ? 'application/json'
                : 'text/plain';
            return Promise.resolve(new Response(files[name], { headers: { 'Content-Type': type } }));
        };
        self.onmessage = (event) => {
            if (event.data?.op === 'site-files') {
                files = event.data.files;
                import(ModuleUrls((name) => files[name], Base)('src/worker.js'))
                    .then(() => { for (const e of waiting.splice(0)) self.onmessage(e); });
            } else {
                waiting.push(event);
            }
        };`;
    const PageWorker = window.Worker;
    window.Worker = class extends PageWorker {
        constructor(url, options)
        {
            if (!/worker\.js$/.test(String(url))) {
                super(url, options);
                return;
            }
            super(URL.createObjectURL(new Blob([workerStart], { type: 'text/javascript' })));
            const handed = {};
            for (const name of Object.keys(files)) {
                handed[name] = Bytes(name);
            }
            super.postMessage({ op: 'site-files', files: handed });
        }
    };
    window.ideSingleFile = { main: () => ModuleUrl('src/main.js') };
})();
