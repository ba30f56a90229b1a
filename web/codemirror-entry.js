// The parts of the editor library the page uses, bundled by the site build
// (esbuild, web/CMakeLists.txt) into one module, src/codemirror.js.
export {
    EditorView, keymap, gutter, GutterMarker, Decoration, drawSelection, highlightSpecialChars,
} from '@codemirror/view';
export { EditorState, StateField, StateEffect, RangeSet, Compartment } from '@codemirror/state';
export { StreamLanguage, HighlightStyle, syntaxHighlighting } from '@codemirror/language';
export { history, defaultKeymap, historyKeymap, insertTab, indentLess, insertNewline } from '@codemirror/commands';
export { tags } from '@lezer/highlight';
