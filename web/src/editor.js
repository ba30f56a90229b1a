// The source editor, on the editor library (src/codemirror.js, bundled by
// the site build): our 8085 colouring as a stream language, a gutter of line
// numbers that toggles breakpoints and marks messages and the current line,
// and undo history. Breakpoints, message marks and the current line move with
// the text as it is edited; lines of the program last assembled are mapped
// to the text as it is now, and back.
import {
    EditorView, keymap, gutter, GutterMarker, Decoration, drawSelection, highlightSpecialChars,
    EditorState, StateField, StateEffect, RangeSet, Compartment, StreamLanguage, HighlightStyle, syntaxHighlighting,
    history, defaultKeymap, historyKeymap, insertTab, indentLess, insertNewline, tags,
} from './codemirror.js';
import { HighlightLine } from './highlight.js';

const Styles = { mnemonic: tags.keyword, directive: tags.definitionKeyword, register: tags.atom,
    number: tags.number, label: tags.labelName, comment: tags.lineComment, string: tags.string, name: tags.variableName };
const Colours = HighlightStyle.define(Object.entries(Styles).map(([kind, tag]) => ({ tag, class: 't-' + kind })));

// Our lexer's pieces of each line, handed out one by one.
function Language(mnemonics)
{
    return StreamLanguage.define({
        name: 'asm8085',
        // inBlockComment: a /* comment runs on over lines.
        startState: () => ({ pieces: [], inBlockComment: false }),
        copyState: (s) => ({ pieces: s.pieces, inBlockComment: s.inBlockComment }),
        token(stream, s)
        {
            if (stream.sol()) {
                s.pieces = HighlightLine(stream.string, mnemonics, s);
            }
            let at = 0;
            for (const piece of s.pieces) {
                if (stream.pos < at + piece.text.length) {
                    stream.pos = at + piece.text.length;
                    return piece.kind && piece.kind !== '' ? piece.kind : null;
                }
                at += piece.text.length;
            }
            stream.skipToEnd();
            return null;
        },
        tokenTable: Styles,
    });
}

class Mark extends GutterMarker {}
const BreakpointMark = new Mark();

const setBreakpoint = StateEffect.define();  // { at, on }
const setProblems = StateEffect.define();    // [{ at, kind }]
const setCurrent = StateEffect.define();     // a position or -1
const languageSlot = new Compartment();

const breakpoints = StateField.define({
    create: () => RangeSet.empty,
    update(set, tr)
    {
        set = set.map(tr.changes);
        for (const e of tr.effects) {
            if (e.is(setBreakpoint)) {
                set = set.update({ filter: (from) => from !== e.value.at });
                if (e.value.on) {
                    set = set.update({ add: [BreakpointMark.range(e.value.at)] });
                }
            }
        }
        return set;
    },
});

const problemMarks = { error: Decoration.line({ class: 'has-error' }), warning: Decoration.line({ class: 'has-warning' }) };
const problems = StateField.define({
    create: () => Decoration.none,
    update(set, tr)
    {
        set = set.map(tr.changes);
        for (const e of tr.effects) {
            if (e.is(setProblems)) {
                set = Decoration.set(e.value.map((p) => problemMarks[p.kind].range(p.at)), true);
            }
        }
        return set;
    },
    provide: (f) => EditorView.decorations.from(f),
});

const currentMark = Decoration.line({ class: 'current' });
const current = StateField.define({
    create: () => -1,
    update(at, tr)
    {
        at = at < 0 ? at : tr.changes.mapPos(at);
        for (const e of tr.effects) {
            if (e.is(setCurrent)) {
                at = e.value;
            }
        }
        return at;
    },
    provide: (f) => EditorView.decorations.from(f, (at) => (at < 0 ? Decoration.none
        : Decoration.set([currentMark.range(at)]))),
});

// The line-number cell of one line: a button that toggles its breakpoint.
class LineCell extends GutterMarker {
    constructor(number, on, problem, now)
    {
        super();
        Object.assign(this, { number, on, problem, now });
    }

    eq(o)
    {
        return o.number === this.number && o.on === this.on && o.problem === this.problem && o.now === this.now;
    }

    toDOM()
    {
        const cell = document.createElement('div');
        if (this.number === 0) { // the spacer that sizes the gutter
            cell.className = 'gl';
            cell.textContent = '9999';
            return cell;
        }
        cell.className = ['gl', this.on ? 'bp' : '', this.problem ? 'g-' + this.problem : '', this.now ? 'now' : '']
            .filter(Boolean).join(' ');
        cell.setAttribute('role', 'button');
        cell.tabIndex = -1;
        cell.setAttribute('aria-pressed', String(this.on));
        cell.setAttribute('aria-label', `Breakpoint at line ${this.number}` + (this.problem ? ` (${this.problem})` : ''));
        if (this.problem) {
            cell.title = this.problem;
        }
        cell.textContent = String(this.number);
        return cell;
    }
}

function ProblemAt(state, from)
{
    let kind = null;
    state.field(problems).between(from, from, (start, _end, value) => {
        if (start === from) {
            kind = value === problemMarks.error || kind === 'error' ? 'error' : 'warning';
        }
    });
    return kind;
}

function HasBreakpoint(state, from)
{
    let on = false;
    state.field(breakpoints).between(from, from, (start) => {
        on ||= start === from;
    });
    return on;
}

export function CreateEditor({ parent, label, onChange, onToggleBreakpoint })
{
    let mnemonics = new Set();
    let assembled = null;    // the text last assembled, and the changes made since
    let changesSince = null;

    const lines = gutter({
        class: 'gutter',
        lineMarker(view, block)
        {
            const line = view.state.doc.lineAt(block.from);
            return new LineCell(line.number, HasBreakpoint(view.state, line.from), ProblemAt(view.state, line.from),
                view.state.field(current) === line.from);
        },
        lineMarkerChange: (u) => u.docChanged || u.startState.field(breakpoints) !== u.state.field(breakpoints) ||
            u.startState.field(problems) !== u.state.field(problems) ||
            u.startState.field(current) !== u.state.field(current),
        initialSpacer: () => new LineCell(0, false, null, false),
        domEventHandlers: {
            click(view, block)
            {
                onToggleBreakpoint(view.state.doc.lineAt(block.from).number);
                return true;
            },
        },
    });

    function Extensions()
    {
        return [
            lines, breakpoints, problems, current, history(), drawSelection(), highlightSpecialChars(),
            languageSlot.of(Language(mnemonics)), syntaxHighlighting(Colours),
            EditorState.tabSize.of(8),
            keymap.of([{ key: 'Enter', run: insertNewline }, { key: 'Tab', run: insertTab, shift: indentLess },
                ...historyKeymap, ...defaultKeymap]),
            EditorView.contentAttributes.of({ 'aria-label': label, spellcheck: 'false', autocapitalize: 'off',
                autocorrect: 'off' }),
            EditorView.updateListener.of((u) => {
                if (u.docChanged) {
                    if (changesSince) {
                        changesSince = changesSince.compose(u.changes);
                    }
                    onChange(u.state.doc.toString());
                }
            }),
        ];
    }

    const view = new EditorView({ parent, state: EditorState.create({ doc: '', extensions: Extensions() }) });

    // The library hides its gutters from assistive technology; ours holds
    // the breakpoint buttons, so it is shown.
    function ShowGutter()
    {
        view.dom.querySelector('.cm-gutters')?.removeAttribute('aria-hidden');
    }

    function SetState(state)
    {
        view.setState(state);
        ShowGutter();
        assembled = null;
        changesSince = null;
    }
    ShowGutter();

    function LineStart(n)
    {
        return view.state.doc.line(Math.min(Math.max(1, n), view.state.doc.lines)).from;
    }

    function LineOfAssembled(n)
    {
        if (!assembled) {
            return n;
        }
        if (n < 1 || n > assembled.lines) {
            return 0;
        }
        return view.state.doc.lineAt(changesSince.mapPos(assembled.line(n).from, 1)).number;
    }

    function Reveal(at)
    {
        view.dispatch({ effects: EditorView.scrollIntoView(at, { y: 'nearest', yMargin: 40 }) });
    }

    return {
        view,
        Get() { return view.state.doc.toString(); },
        // A new text with its own history (a file opened).
        Set(text)
        {
            SetState(EditorState.create({ doc: text, extensions: Extensions() }));
        },
        // The text as an edit of the one shown, so that Undo brings it back.
        Replace(text)
        {
            view.dispatch({ changes: { from: 0, to: view.state.doc.length, insert: text } });
        },
        // The whole state (text, history, marks), kept while another file is shown.
        Save() { return view.state; },
        Restore(state)
        {
            SetState(state);
            view.dispatch({ effects: languageSlot.reconfigure(Language(mnemonics)) });
        },
        SetMnemonics(set)
        {
            mnemonics = set;
            view.dispatch({ effects: languageSlot.reconfigure(Language(mnemonics)) });
        },
        // The text as it is assembled now: lines of its listing and debugger map to it.
        MarkAssembled()
        {
            assembled = view.state.doc;
            changesSince = view.state.changes({});
        },
        Stale() { return Boolean(changesSince && !changesSince.empty); },
        // The line of the assembled text that line n is now, or 0 for a line
        // written since.
        AssembledLine(n)
        {
            if (!assembled || n < 1 || n > view.state.doc.lines) {
                return 0;
            }
            const line = assembled.lineAt(changesSince.invertedDesc.mapPos(LineStart(n), -1)).number;
            return LineOfAssembled(line) === n ? line : 0;
        },
        // The line that line n of the assembled text is now.
        LineOfAssembled,
        SetProblems(list)
        {
            const seen = new Map();
            for (const p of list) {
                if (p.line > 0 && p.line <= view.state.doc.lines && seen.get(p.line) !== 'error') {
                    seen.set(p.line, p.kind === 'error' ? 'error' : 'warning');
                }
            }
            view.dispatch({ effects: setProblems.of([...seen].sort((a, b) => a[0] - b[0])
                .map(([line, kind]) => ({ at: LineStart(line), kind }))) });
        },
        Breakpoints()
        {
            const out = [];
            view.state.field(breakpoints).between(0, view.state.doc.length, (from) => {
                out.push(view.state.doc.lineAt(from).number);
            });
            return [...new Set(out)];
        },
        HasBreakpoint(n) { return HasBreakpoint(view.state, LineStart(n)); },
        SetBreakpoint(n, on) { view.dispatch({ effects: setBreakpoint.of({ at: LineStart(n), on }) }); },
        CaretLine() { return view.state.doc.lineAt(view.state.selection.main.head).number; },
        LineText(n) { return n >= 1 && n <= view.state.doc.lines ? view.state.doc.line(n).text : null; },
        LineCount() { return view.state.doc.lines; },
        SetCurrentLine(n)
        {
            const at = n > 0 && n <= view.state.doc.lines ? LineStart(n) : -1;
            if (at !== view.state.field(current)) {
                view.dispatch({ effects: setCurrent.of(at) });
                if (at >= 0) {
                    Reveal(at);
                }
            }
        },
        CurrentLine()
        {
            const at = view.state.field(current);
            return at < 0 ? 0 : view.state.doc.lineAt(at).number;
        },
        GoToLine(n)
        {
            const line = view.state.doc.line(Math.min(Math.max(1, n), view.state.doc.lines));
            view.dispatch({ selection: { anchor: line.from, head: line.to },
                effects: EditorView.scrollIntoView(line.from, { y: 'center' }) });
            view.focus();
        },
        Focus() { view.focus(); },
    };
}
