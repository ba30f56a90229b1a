// Fuzz loop for the page's share-link reader (web/src/share.js), which is
// JavaScript and so out of libFuzzer's reach: a seeded mutation loop under
// Node. Each round takes a link from the pool (real links of varied
// sources, and inputs kept for changing the reader's answer kind), mutates
// it (flips, inserts, deletes, cuts, splices, repeats), and checks what the
// reader must hold for any address fragment:
//   - it never throws, and answers null, { source } or { error } (a
//     non-empty reason);
//   - a source it reads is written back by the encoder to a link that reads
//     the same source;
// and for a random source (any Unicode text, well-formed), the link made
// from it reads back exactly that source.
//
//   node fuzz/FuzzShareLink.mjs [seconds] [seed]
//
// Prints the executions and the answers of each kind; on a finding, prints
// the input as JSON and exits 1.
import { EncodeSource, MakeShareLink, ReadShareLink } from '../web/src/share.js';

const seconds = Number(process.argv[2] ?? 10);
let state = BigInt(process.argv[3] ?? 1) || 1n;

// xorshift64*: the same seed gives the same run.
function Random(limit) {
    state ^= state >> 12n;
    state ^= (state << 25n) & 0xFFFFFFFFFFFFFFFFn;
    state ^= state >> 27n;
    return Number(((state * 2685821657736338717n) & 0xFFFFFFFFFFFFFFFFn) >> 11n) % limit;
}

const alphabet = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_';
const extra = ['=', '+', '/', '%', '#', ' ', '\0', '\u00e9', '\ud800', '\u{1F600}', 'src=', '#src='];

function RandomSource() {
    const pieces = ['\tMVI A, 5\n', 'LOOP: DCR B\n', '; ünïcode ✓\n', '\r\n', '\0', '\u{10FFFF}', '\u00ff',
        'DB 0FFH\n'];
    let text = '';
    for (let n = Random(12); n > 0; --n) {
        text += Random(3) === 0 ? String.fromCodePoint(Random(0xD800)) : pieces[Random(pieces.length)];
    }
    return text;
}

function Mutate(text) {
    const at = Random(text.length + 1);
    switch (Random(7)) {
    case 0: return text.slice(0, at) + alphabet[Random(64)] + text.slice(at + 1);
    case 1: return text.slice(0, at) + alphabet[Random(64)] + text.slice(at);
    case 2: return text.slice(0, at) + text.slice(at + 1 + Random(4));
    case 3: return text.slice(0, at);
    case 4: return text.slice(0, at) + extra[Random(extra.length)] + text.slice(at);
    case 5: return text + text.slice(Random(text.length + 1));
    default: return '#src=' + text.slice(at);
    }
}

function Fail(what, input) {
    console.error(`FuzzShareLink: finding: ${what}\ninput: ${JSON.stringify(input)}`);
    process.exit(1);
}

function Check(hash, counts) {
    let answer;
    try {
        answer = ReadShareLink(hash);
    } catch (error) {
        Fail(`the reader threw ${error}`, hash);
    }
    if (answer === null) {
        ++counts.none;
        return 'none';
    }
    const keys = Object.keys(answer).join();
    if (keys === 'error' && typeof answer.error === 'string' && answer.error !== '') {
        ++counts.error;
        return 'error';
    }
    if (keys !== 'source' || typeof answer.source !== 'string') {
        Fail(`an answer of another shape: ${JSON.stringify(answer)}`, hash);
    }
    const again = ReadShareLink('#src=' + EncodeSource(answer.source));
    if (again?.source !== answer.source) {
        Fail('a source read does not read back from its own link', hash);
    }
    ++counts.source;
    return 'source';
}

const pool = ['', '#src=', '#src=A', '#other'];
for (let i = 0; i < 16; ++i) {
    pool.push(new URL(MakeShareLink('http://127.0.0.1:8085/', RandomSource())).hash);
}
const counts = { none: 0, error: 0, source: 0 };
const kinds = new Map(); // a kept input's answer kind, by where it came from
const end = Date.now() + seconds * 1000;
let executions = 0;
while (Date.now() < end) {
    for (let i = 0; i < 1000; ++i, ++executions) {
        const parent = pool[Random(pool.length)];
        const child = Mutate(Random(4) === 0 ? Mutate(parent) : parent);
        const kind = Check(child, counts);
        // Keep an input whose answer differs from its parent's: the edges of
        // the reader's cases, to mutate further.
        if (kind !== kinds.get(parent) && pool.length < 4096 && child.length < 4096) {
            pool.push(child);
            kinds.set(child, kind);
        }
        const source = RandomSource();
        const read = ReadShareLink(new URL(MakeShareLink('http://h/', source)).hash);
        if (read?.source !== source) {
            Fail('a link made from a source does not read back as it', source);
        }
    }
}
console.log(`FuzzShareLink: ${executions} executions in ${seconds} s, no finding ` +
    `(answers: ${counts.none} no link, ${counts.error} cannot be read, ${counts.source} read; pool ${pool.length})`);
