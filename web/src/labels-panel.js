// The labels panel: each label with its value and bytes. Its place in the
// page; the view itself comes with the lab-flow work.
export function RenderLabels() {}
