// The page's elements, found by id and made with their attributes and children; and work too
// long for one task, done in slices with frames drawn in between.

export const $ = (id) => document.getElementById(id);

// An element with its attributes and its children.
export function element(tag, attributes = {}, ...children) {
    const e = document.createElement(tag);
    for (const [key, value] of Object.entries(attributes)) e.setAttribute(key, value);
    e.append(...children);
    return e;
}

// Work too long for one task is done in slices of at most 20 ms and `most` items, with a
// frame drawn in between (the browser's own layout of each slice counts too), so that the
// page answers throughout; `each` runs for item after item until it returns false. Ends
// quietly when `alive` says the work is no longer wanted.
export async function inSlices(alive, each, most = Infinity) {
    for (let more = true; more; ) {
        if (!alive()) return false;
        const end = performance.now() + 20;
        for (let n = 0; more && n < most && performance.now() < end; n++) more = each();
        if (more) await new Promise((r) => setTimeout(r, 16));
    }
    return alive();
}
