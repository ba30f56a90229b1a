// The in-memory directory the page's programs write into.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { GrowingDirectory } from '../src/wasi-run.js';

test('a file written a line at a time is copied a few times in all, not once a line', () => {
    const directory = new GrowingDirectory('.', new Map());
    const opened = directory.path_open(0, 'prog.asm.pass1', 1 /* create */, 0n, 0n, 0);
    assert.equal(opened.ret, 0);
    const encoder = new TextEncoder();
    let expected = '';
    let copies = 0;
    let buffer = null;
    for (let i = 0; i < 20000; ++i) {
        const line = `${8192 + i} MVI A 5\n`;
        expected += line;
        assert.equal(opened.fd_obj.fd_write(encoder.encode(line)).nwritten, line.length);
        const file = directory.dir.contents.get('prog.asm.pass1');
        if (file.data.buffer !== buffer) {
            buffer = file.data.buffer;
            ++copies;
        }
    }
    const file = directory.dir.contents.get('prog.asm.pass1');
    assert.equal(new TextDecoder().decode(file.data), expected);
    assert.equal(file.size, BigInt(expected.length));
    assert.ok(copies < 40, `${copies} copies of the file for 20000 writes`);
    // Written over in the middle, and at a place past its end.
    opened.fd_obj.fd_pwrite(encoder.encode('XY'), 0n);
    opened.fd_obj.fd_pwrite(encoder.encode('Z'), BigInt(expected.length + 3));
    assert.equal(new TextDecoder().decode(file.data), 'XY' + expected.slice(2) + '\0\0\0Z');
});
