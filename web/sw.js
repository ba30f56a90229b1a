// Keeps the site for offline use: its files (site-files.json lists them)
// are cached on the first visit and answered from the cache, which is
// refreshed from the server in the background.
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
    // The cached copy at once; a fresh one, when the server answers, for next time.
    event.respondWith((async () => {
        const cache = await caches.open(Cache);
        const hit = await cache.match(event.request, { ignoreSearch: true });
        const fresh = fetch(event.request).then((response) => {
            if (response.ok) {
                cache.put(event.request, response.clone());
            }
            return response;
        });
        if (hit) {
            event.waitUntil(fresh.catch(() => {}));
            return hit;
        }
        return fresh;
    })());
});
