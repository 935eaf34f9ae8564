// The downloads: each a link, disabled (aria-disabled) until its file is made, then the file
// as a blob: address, named after the first file.
import { $ } from './dom.js';
import { baseName } from './files.js';

const downloadIds = ['download-csv', 'download-pairs', 'download-svg', 'download-png', 'download-bibtex'];
let urls = [];

// The name of a download: the first file's name, then `ending`.
export const downloadName = (ending) => `${baseName()}${ending}`;

export function offer(id, blob, name) {
    const url = URL.createObjectURL(blob);
    urls.push(url);
    $(id).href = url;
    $(id).download = name;
    $(id).removeAttribute('aria-disabled');
}

// The links disabled until their files are made again.
export function withdraw(ids) {
    for (const id of ids) {
        $(id).removeAttribute('href');
        $(id).setAttribute('aria-disabled', 'true');
    }
}

// Every file given up: the links disabled, their blobs freed.
export function withdrawAll() {
    for (const url of urls) URL.revokeObjectURL(url);
    urls = [];
    withdraw(downloadIds);
}

// A disabled link does nothing when clicked.
export function guardDownloads() {
    for (const id of downloadIds)
        $(id).addEventListener('click', (e) => {
            if ($(id).getAttribute('aria-disabled') === 'true') e.preventDefault();
        });
}
