// Keeps the site for offline use: its files (site-files.json lists them)
// are cached on the first visit, kept fresh at every later one, and
// answered from the cache when the server cannot be reached.
const Cache = 'ide8085-v1';

self.addEventListener('install', (event) => {
    event.waitUntil((async () => {
        const cache = await caches.open(Cache);
        const files = await (await fetch('site-files.json', { cache: 'no-cache' })).json();
        // A file the build did not make (the debugger module, say) is left out.
        await Promise.all(files.map((file) => cache.add(file).catch(() => {})));
        await self.skipWaiting();
    })());
});

self.addEventListener('activate', (event) => {
    event.waitUntil((async () => {
        for (const name of await caches.keys()) {
            if (name !== Cache) {
                await caches.delete(name);
            }
        }
        await self.clients.claim();
    })());
});

self.addEventListener('fetch', (event) => {
    const url = new URL(event.request.url);
    if (event.request.method !== 'GET' || url.origin !== self.location.origin) {
        return;
    }
    // The server's copy while there is a server, so that a rebuilt site
    // shows at once; the cached one when there is none.
    event.respondWith((async () => {
        const cache = await caches.open(Cache);
        try {
            const response = await fetch(event.request);
            if (response.ok) {
                await cache.put(event.request, response.clone());
            }
            return response;
        } catch (error) {
            const hit = await cache.match(event.request, { ignoreSearch: true });
            if (hit) {
                return hit;
            }
            throw error;
        }
    })());
});
