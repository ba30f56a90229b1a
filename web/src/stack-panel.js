// The stack panel: SP and the words above it. Its place in the page; the
// view itself comes with the lab-flow work.
export function RenderStack() {}
