// The source editor: a textarea over a coloured copy of its text, and a
// gutter of line numbers that toggles breakpoints and marks messages and the
// current line.
import { HighlightLine } from './highlight.js';

function Escape(text)
{
    return text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
}

export function CreateEditor({ textarea, highlight, gutter, onChange, onToggleBreakpoint })
{
    const marks = { problems: new Map(), breakpoints: new Set(), current: 0 };
    let mnemonics = new Set();
    let lineCount = 0;

    function RenderText()
    {
        const lines = textarea.value.split('\n');
        lineCount = lines.length;
        const state = {}; // a /* comment runs on over lines
        highlight.innerHTML = lines.map((line, i) => {
            const classes = ['line'];
            const problem = marks.problems.get(i + 1);
            if (problem) {
                classes.push('has-' + problem);
            }
            if (marks.current === i + 1) {
                classes.push('current');
            }
            const pieces = HighlightLine(line, mnemonics, state)
                .map((p) => (p.kind ? `<span class="t-${p.kind}">${Escape(p.text)}</span>` : Escape(p.text)))
                .join('');
            return `<div class="${classes.join(' ')}">${pieces}</div>`;
        }).join('');
        RenderGutter();
    }

    function RenderGutter()
    {
        const rows = [];
        for (let n = 1; n <= lineCount; ++n) {
            const problem = marks.problems.get(n);
            const on = marks.breakpoints.has(n);
            const label = `Breakpoint at line ${n}` + (problem ? ` (${problem})` : '');
            const classes = ['gl', on ? 'bp' : '', problem ? 'g-' + problem : '', marks.current === n ? 'now' : '']
                .filter(Boolean).join(' ');
            rows.push(`<div class="${classes}" role="button" tabindex="-1" aria-pressed="${on}" ` +
                `aria-label="${label}" data-line="${n}"${problem ? ` title="${problem}"` : ''}>${n}</div>`);
        }
        gutter.innerHTML = rows.join('');
    }

    function SyncScroll()
    {
        highlight.scrollTop = textarea.scrollTop;
        highlight.scrollLeft = textarea.scrollLeft;
        gutter.scrollTop = textarea.scrollTop;
    }

    textarea.addEventListener('input', () => {
        marks.problems.clear();
        marks.current = 0;
        RenderText();
        SyncScroll();
        onChange(textarea.value);
    });
    textarea.addEventListener('scroll', SyncScroll);
    textarea.addEventListener('keydown', (event) => {
        if (event.key === 'Tab' && !event.ctrlKey && !event.altKey && !event.metaKey) {
            event.preventDefault();
            document.execCommand('insertText', false, '\t');
        }
    });
    gutter.addEventListener('click', (event) => {
        const line = Number(event.target.closest('[data-line]')?.dataset.line);
        if (line) {
            onToggleBreakpoint(line);
        }
    });

    return {
        Get() { return textarea.value; },
        Set(text)
        {
            textarea.value = text;
            marks.problems.clear();
            marks.current = 0;
            RenderText();
            SyncScroll();
        },
        SetMnemonics(set) { mnemonics = set; RenderText(); },
        SetProblems(problems)
        {
            marks.problems.clear();
            for (const p of problems) {
                if (p.line > 0 && marks.problems.get(p.line) !== 'error') {
                    marks.problems.set(p.line, p.kind === 'note' ? 'warning' : p.kind);
                }
            }
            RenderText();
        },
        SetBreakpoints(lines) { marks.breakpoints = new Set(lines); RenderGutter(); },
        ToggleBreakpointAtCaret()
        {
            onToggleBreakpoint(textarea.value.slice(0, textarea.selectionStart).split('\n').length);
        },
        SetCurrentLine(line)
        {
            if (line === marks.current) {
                return;
            }
            const old = marks.current;
            marks.current = line;
            for (const n of [old, line]) {
                highlight.children[n - 1]?.classList.toggle('current', n === line);
                gutter.children[n - 1]?.classList.toggle('now', n === line);
            }
            if (line > 0) {
                RevealLine(line);
            }
        },
        GoToLine(line)
        {
            const lines = textarea.value.split('\n');
            const start = lines.slice(0, line - 1).reduce((sum, l) => sum + l.length + 1, 0);
            textarea.focus();
            textarea.setSelectionRange(start, start + (lines[line - 1]?.length ?? 0));
            RevealLine(line);
        },
    };

    function RevealLine(line)
    {
        const height = parseFloat(getComputedStyle(textarea).lineHeight) || 20;
        const top = (line - 1) * height;
        if (top < textarea.scrollTop || top > textarea.scrollTop + textarea.clientHeight - 2 * height) {
            textarea.scrollTop = Math.max(0, top - textarea.clientHeight / 3);
            SyncScroll();
        }
    }
}
