// Makes the whole page one HTML file that works opened from disk (file://,
// no server) and offline, for a teacher to copy to a lab's machines:
//   node single-file.mjs SITE_DIR OUT.html
// The site's files (site-files.json lists them) go inside it in base64;
// single-file-boot.js serves them to the page's modules and its worker.
import fs from 'node:fs';
import path from 'node:path';

const [site, out] = process.argv.slice(2);
if (!site || !out) {
    console.error('usage: node single-file.mjs SITE_DIR OUT.html');
    process.exit(2);
}
const Read = (name) => fs.readFileSync(path.join(site, name));
const Left = new Set(['./', 'index.html', 'sw.js', 'manifest.webmanifest', 'site-files.json', 'style.css', 'icon.svg',
    'src/boot.js']);
const files = {};
for (const name of JSON.parse(Read('site-files.json'))) {
    if (!Left.has(name) && fs.existsSync(path.join(site, name))) {
        files[name] = Read(name).toString('base64');
    }
}
// The page's own loading, replaced: the styles and icon inline, no manifest
// or module preloads (the modules are inside), the loader, the early boot and
// then the page's main module.
const script = (text) => '<script>' + text.replace(/<\/script/gi, '<\\/script') + '</script>';
let html = Read('index.html').toString();
html = html.replace(/<link rel="(manifest|modulepreload)"[^>]*>\n?/g, '')
    .replace(/<link rel="icon"[^>]*>/, `<link rel="icon" href="data:image/svg+xml;base64,${Read('icon.svg').toString('base64')}">`)
    .replace(/<link rel="stylesheet" href="style.css">/, () => '<style>\n' + Read('style.css') + '</style>')
    .replace(/<script src="src\/boot.js"><\/script>\n?/, '')
    .replace(/<script type="module" src="src\/main.js"><\/script>/, () =>
        `<script type="application/json" id="site-files">${JSON.stringify(files)}</script>\n` +
        script(fs.readFileSync(new URL('single-file-boot.js', import.meta.url), 'utf8')) + '\n' +
        script(Read('src/boot.js').toString()) + '\n' +
        '<script type="module">import(window.ideSingleFile.main());</script>');
// The editor library's license travels with it.
const license = path.join(site, 'src', 'codemirror-LICENSE.txt');
if (fs.existsSync(license)) {
    html = html.replace('<html', () => '<!--\nThe editor inside this page: ' +
        fs.readFileSync(license, 'utf8').replace(/--/g, '- -') + '-->\n<html');
}
const temporary = out + '.tmp';
fs.writeFileSync(temporary, html);
fs.renameSync(temporary, out);
