// The page around the editor: the canvas and its scaling, the key and pointer states that the
// browser backend reads (Module.page), the browser's storage for the animation (IndexedDB behind
// the folder /store), the buttons to open and download a file, and the message line.
(() => {
"use strict";

const storeFolder = "/store";
const sampleName = "walk.txt";
const currentNameKey = "limbrado.current"; // the stored animation the editor works on

const canvas = document.getElementById("editor");
const context = canvas.getContext("2d");
const messageLine = document.getElementById("message");

const input = {
    held: new Set(), // KeyboardEvent.code of every key down while the canvas has the focus
    letters: new Map(), // "Z" -> the code of the key that the layout labels Z
    pointer: { x: -1, y: -1 },
    buttons: 0, // bit 0 left, bit 1 right, as MouseEvent.buttons has them
    presses: 0,
};
const session = {
    running: false,
    endRequested: false,
    afterEnd: null, // what to do once the editor has ended, instead of offering a restart
    firstFrameMs: null, // from navigation to the first frame shown
    cycleBusyMs: [], // per presented frame: the time the program worked, sleeps left out
    storageBusy: () => storage.syncing || storage.again,
};

function showMessage(text) {
    messageLine.textContent = text;
}

function currentName() {
    return localStorage.getItem(currentNameKey) || sampleName;
}

function currentPath() {
    return storeFolder + "/" + currentName();
}

// The canvas fills the stage with its shape kept; at a whole multiple of device pixels each
// pixel stays sharp.
function fitCanvas() {
    const stage = document.getElementById("stage");
    const scale = Math.min(stage.clientWidth / canvas.width, stage.clientHeight / canvas.height);
    if (!(scale > 0)) {
        return;
    }
    canvas.style.width = canvas.width * scale + "px";
    canvas.style.height = canvas.height * scale + "px";
    canvas.classList.toggle("sharp", Number.isInteger(scale * window.devicePixelRatio));
}

// The pointer in canvas pixels, through the canvas's scaling.
function notePointer(event) {
    const box = canvas.getBoundingClientRect();
    input.pointer = {
        x: Math.floor(((event.clientX - box.left) * canvas.width) / box.width),
        y: Math.floor(((event.clientY - box.top) * canvas.height) / box.height),
    };
    input.buttons = event.buttons & 3;
}

function learnLetter(event) {
    if (/^[a-zA-Z]$/.test(event.key)) {
        input.letters.set(event.key.toUpperCase(), event.code);
    }
}

canvas.addEventListener("keydown", (event) => {
    input.held.add(event.code);
    learnLetter(event);
    event.preventDefault(); // F1, F3, F5, F11, F12, Tab, Backspace, Ctrl letters: the editor's
});
window.addEventListener("keyup", (event) => input.held.delete(event.code));
canvas.addEventListener("blur", () => input.held.clear());
canvas.addEventListener("mousedown", (event) => {
    canvas.focus();
    input.presses |= event.button === 0 ? 1 : event.button === 2 ? 2 : 0;
    notePointer(event);
    event.preventDefault();
});
canvas.addEventListener("contextmenu", (event) => event.preventDefault());
for (const type of ["mousemove", "mouseup", "mousedown"]) {
    window.addEventListener(type, notePointer);
}
window.addEventListener("resize", fitCanvas);
if (navigator.keyboard && navigator.keyboard.getLayoutMap) {
    navigator.keyboard.getLayoutMap().then((layout) => {
        for (const [code, key] of layout) {
            learnLetter({ key, code });
        }
    }, () => {});
}

// The backend's side of the page (src/runtime/backend_web.cpp).
const page = {
    openCanvas(width, height, title) {
        canvas.width = width;
        canvas.height = height;
        document.title = title;
        fitCanvas();
        canvas.focus();
    },
    closeCanvas() {
        setTimeout(ended); // the editor has ended: its backup is written, its window gone
    },
    show(pixels, width, height, busyMs) {
        context.putImageData(new ImageData(pixels, width, height), 0, 0);
        if (session.firstFrameMs === null) {
            session.firstFrameMs = performance.now();
        }
        session.cycleBusyMs.push(busyMs);
        if (session.cycleBusyMs.length > 600) {
            session.cycleBusyMs.shift();
        }
    },
    keyboardFocused: () => document.activeElement === canvas,
    endRequested: () => session.endRequested,
    keyDown: (code) => input.held.has(code),
    letterKey: (letter) => input.letters.get(letter) || "Key" + letter,
    pointer: () => input.pointer,
    buttons: () => input.buttons,
    presses() {
        const presses = input.presses;
        input.presses = 0;
        return presses;
    },
    message: showMessage,
};

// Writing IndexedDB is asynchronous: one write at a time, and one more when files changed while
// it ran.
const storage = { syncing: false, again: false, waiting: [] };

function saveStorage(done) {
    if (done) {
        storage.waiting.push(done);
    }
    if (storage.syncing) {
        storage.again = true;
        return;
    }
    storage.syncing = true;
    const callbacks = storage.waiting.splice(0);
    FS.syncfs(false, (error) => {
        storage.syncing = false;
        if (error) {
            showMessage("Der Speicher des Browsers nimmt die Datei nicht an.");
        }
        callbacks.forEach((callback) => callback());
        if (storage.again || storage.waiting.length > 0) {
            storage.again = false;
            saveStorage();
        }
    });
}

function download(path) {
    const bytes = FS.readFile(path);
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
    link.download = path.slice(path.lastIndexOf("/") + 1);
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

// Every save, backup and export is written to a new file, flushed (which writes the store to
// IndexedDB) and renamed over its target: an export renamed into place is finished, to be handed
// over as a download.
function watchFinishedFiles() {
    const rename = FS.rename;
    FS.rename = (from, to) => {
        rename(from, to);
        if (to.startsWith(storeFolder + "/") && to.endsWith("_export.lmb")) {
            download(to);
        }
    };
}

function fileExists(path) {
    return FS.analyzePath(path).exists;
}

async function startEditor() {
    if (!fileExists(currentPath())) {
        localStorage.removeItem(currentNameKey);
    }
    if (!fileExists(currentPath())) {
        const response = await fetch(sampleName);
        FS.writeFile(currentPath(), new Uint8Array(await response.arrayBuffer()));
        saveStorage();
    }
    session.running = true;
    callMain([currentPath()]);
}

function ended() {
    session.running = false;
    session.endRequested = false;
    saveStorage(() => {
        if (session.afterEnd) {
            session.afterEnd();
            return;
        }
        canvas.hidden = true;
        document.getElementById("ended").hidden = false;
    });
}

// The chosen file joins the store under its own name and the editor starts again on it; a running
// editor ends first, as with Escape, so that its backup is written.
async function openFile(file) {
    const bytes = new Uint8Array(await file.arrayBuffer());
    const name = file.name.replace(/[\/\\]/g, "_") || sampleName;
    session.afterEnd = () => {
        FS.writeFile(storeFolder + "/" + name, bytes);
        localStorage.setItem(currentNameKey, name);
        saveStorage(() => location.reload());
    };
    if (session.running) {
        session.endRequested = true;
    } else {
        session.afterEnd();
    }
}

document.getElementById("open").addEventListener("click", () =>
    document.getElementById("file").click());
document.getElementById("file").addEventListener("change", (event) => {
    if (event.target.files.length > 0) {
        openFile(event.target.files[0]);
    }
});
document.getElementById("download").addEventListener("click", () => {
    if (typeof FS !== "undefined" && fileExists(currentPath())) {
        download(currentPath());
    }
});
document.getElementById("restart").addEventListener("click", () => location.reload());
document.addEventListener("dragover", (event) => {
    event.preventDefault();
    document.body.classList.add("dropping");
});
document.addEventListener("dragleave", () => document.body.classList.remove("dropping"));
document.addEventListener("drop", (event) => {
    event.preventDefault();
    document.body.classList.remove("dropping");
    if (event.dataTransfer.files.length > 0) {
        openFile(event.dataTransfer.files[0]);
    }
});

window.Module = {
    page,
    session,
    print: (text) => console.log(text),
    printErr: (text) => console.error(text),
    onRuntimeInitialized() {
        FS.mkdir(storeFolder);
        FS.mount(IDBFS, {}, storeFolder);
        watchFinishedFiles();
        FS.syncfs(true, (error) => {
            if (error) {
                showMessage("Der Speicher des Browsers ist nicht zu lesen; die Arbeit bleibt nicht erhalten.");
            }
            startEditor().catch((failure) => showMessage("Start fehlgeschlagen: " + failure));
        });
    },
};
})();
