// The worker that computes, as the page talks to it: started from the page's own copy of its
// code (a page opened from disk may start no worker from a file), sent messages, ended.
import { $ } from './dom.js';

let worker = null;

// A new worker: its messages go to `receive`, an error that stops it to `stopped` with its
// words. It is asked at once for the module's tables (its answer: ready).
export function startWorker(receive, stopped) {
    const source = $('worker-source').textContent;
    const url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
    worker = new Worker(url);
    URL.revokeObjectURL(url);
    worker.onmessage = (e) => receive(e.data);
    worker.onerror = (e) => {
        e.preventDefault();
        stopped(e.message || 'an error in the page');
    };
    worker.postMessage({ type: 'init' });
}

export function post(message, transfer = []) {
    worker.postMessage(message, transfer);
}

// Whatever it is doing stops at once.
export function endWorker() {
    worker.terminate();
}
