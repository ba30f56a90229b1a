// Starts the work a first Assemble needs while the page's modules still
// load (a classic script runs as soon as it is parsed): the worker, the
// compiling of the WebAssembly modules (handed to the worker when done), and
// the list of examples. main.js takes the worker, the messages it sent
// meanwhile, and the list.
(() => {
    const names = ['Explain8085', 'Corvane', 'Pass2', 'Tessily', 'Debug8085'];
    const worker = new Worker('src/worker.js', { type: 'module' });
    const boot = { worker, early: [], examples: fetch('examples/index.json').then((r) => r.json()) };
    window.ideBoot = boot;
    worker.onmessage = (event) => boot.early.push(event);
    worker.postMessage({ op: 'expect' });
    Promise.all(names.map((name) => WebAssembly.compileStreaming(fetch(name + '.wasm'))))
        .then((compiled) => worker.postMessage({ op: 'modules',
            modules: Object.fromEntries(names.map((name, i) => [name, compiled[i]])) }))
        .catch(() => worker.postMessage({ op: 'modules', modules: {} }));
})();
