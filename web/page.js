// The page around the editor: the canvas and its scaling, the key and pointer states that the
// browser backend reads (Module.page), the browser's storage for the animation (IndexedDB behind
// the folder /store), the buttons to open and download a file, to import a motion clip and to
// pick the sound, the sound's output through Web Audio, the message line, and the file chooser of
// the figure keys with the figures the site ships.
(() => {
"use strict";

const storeFolder = "/store";
const sampleName = "walk.txt";
const currentNameKey = "limbrado.current"; // the stored animation the editor works on
// The figure library lies in the store (the program's $XDG_DATA_HOME/limbrado/figures); the shipped
// figures where the program looks for them beside itself.
const dataHome = storeFolder;
const figureFolder = storeFolder + "/limbrado/figures";
const shippedFolder = "/share/limbrado/figures";
const shippedList = "share/limbrado/figures/figures.json";

const canvas = document.getElementById("editor");
const context = canvas.getContext("2d");
const messageLine = document.getElementById("message");

const input = {
    held: new Set(), // KeyboardEvent.code of every key down while the canvas has the focus
    letters: new Map(), // "Z" -> the code of the key that the layout labels Z
    pointer: { x: -1, y: -1 },
    buttons: 0, // bit 0 left, bit 1 right, bit 2 middle, as MouseEvent.buttons has them
    presses: 0,
    // Where the pointer was when each button (by its bit's position) and each key held (by code)
    // went down: a button's until it is up and a present followed the report of its press.
    buttonPressedAt: [null, null, null],
    keyPressedAt: new Map(),
    wheel: 0, // notches since the program last looked, away from the user positive
    wheelPixels: 0, // a notch's worth not yet reached, from wheels that turn smoothly
    // A key pressed for the program in its next keyboard snapshot alone (the code), as the
    // "Bewegung" button presses U, and the path the file chooser that key opens answers with.
    pressedOnce: null,
    chosenFile: null,
};
const session = {
    running: false,
    endRequested: false,
    afterEnd: null, // what to do once the editor has ended, instead of offering a restart
    firstFrameMs: null, // from navigation to the first frame shown
    cycleWorkMs: [], // per presented frame: the time the program worked, sleeps left out
    runs: 0, // how often the editor was started in this page
    framesShown: 0, // in this run
    // What the program has taken and shown, so that a test waits for the program itself: the
    // keyboard snapshots it took and the wheel notches it read since the page was loaded, the
    // frame that the picture shown last shows, whether playback showed it, the files its chooser
    // was answered with, and the frames that
    // the latest playback showed in order (its first 2000).
    keyboardReads: 0,
    wheelNotchesTaken: 0,
    filesChosen: 0, // files the page's chooser answer has handed to the program
    shownFrame: null,
    playing: false,
    playback: [],
    // The sound: the sample frames handed to the page's audio since the page was loaded, the
    // first samples handed after the latest clear that was followed by more (at most
    // soundRecordLength), and the length of
    // the sound the program was given.
    audioFramesHanded: 0,
    audioFirstSamples: [],
    soundFrames: 0,
};
const playbackRecordLength = 2000;
const soundRecordLength = 64;
const soundRate = 48000; // the program's own format: 48000 Hz, two channels, 16 bits
const soundLongestFrames = 600 * soundRate;

function showMessage(text) {
    messageLine.textContent = text;
}

function currentName() {
    return localStorage.getItem(currentNameKey) || sampleName;
}

function currentPath() {
    return storeFolder + "/" + currentName();
}

// The sound picked for an animation lies beside it in the store, decoded: 48000 Hz, two
// channels of 16-bit samples.
function soundPath() {
    return currentPath() + ".ton";
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
    input.buttons = event.buttons & 7;
}

function learnLetter(event) {
    if (/^[a-zA-Z+=-]$/.test(event.key)) {
        input.letters.set(event.key.toUpperCase(), event.code);
    }
}

canvas.addEventListener("keydown", (event) => {
    startAudio();
    if (!event.repeat) {
        input.keyPressedAt.set(event.code, input.pointer);
    }
    input.held.add(event.code);
    learnLetter(event);
    event.preventDefault(); // F1, F3, F5, F11, F12, Tab, Backspace, Ctrl letters: the editor's
});
window.addEventListener("keyup", (event) => {
    input.held.delete(event.code);
    input.keyPressedAt.delete(event.code);
});
canvas.addEventListener("blur", () => {
    input.held.clear();
    input.keyPressedAt.clear();
});
// Keys and buttons released while the page did not see it must not stay down.
window.addEventListener("blur", () => {
    input.held.clear();
    input.keyPressedAt.clear();
    input.buttons = 0;
    for (const press of input.buttonPressedAt) {
        if (press) {
            press.released = true;
        }
    }
});
document.addEventListener("mouseleave", () => {
    input.pointer = { x: -1, y: -1 };
});
canvas.addEventListener("mousedown", (event) => {
    startAudio();
    canvas.focus();
    const bit = event.button === 0 ? 1 : event.button === 2 ? 2 : event.button === 1 ? 4 : 0;
    input.presses |= bit;
    notePointer(event);
    if (bit !== 0) {
        input.buttonPressedAt[Math.log2(bit)] = {
            x: input.pointer.x, y: input.pointer.y, released: false, reported: false };
    }
    event.preventDefault();
});
window.addEventListener("mouseup", (event) => {
    const press = input.buttonPressedAt[[0, 2, 1][event.button]];
    if (press) {
        press.released = true;
    }
});
canvas.addEventListener("contextmenu", (event) => event.preventDefault());
// A notch is a line step, a page step or about 100 pixels of scrolling; the page itself does not
// scroll while the wheel turns over the canvas.
canvas.addEventListener("wheel", (event) => {
    event.preventDefault();
    if (event.deltaMode !== WheelEvent.DOM_DELTA_PIXEL) {
        input.wheel -= Math.sign(event.deltaY);
        return;
    }
    input.wheelPixels += event.deltaY;
    const notches = Math.trunc(input.wheelPixels / 100);
    input.wheel -= notches;
    input.wheelPixels -= notches * 100;
}, { passive: false });
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

// The sound output: each piece queued is scheduled right after the one before on the page's
// clock (performance.now), and played by Web Audio at the matching moment of its own clock once
// the audio context runs, which browsers allow after the first key or click. The played count
// follows the page's clock, so that playback keeps its pace while the context cannot run yet.
const audio = { context: null, pieces: [], end: 0, played: 0, sources: [], cleared: true };
const audioLead = 0.05; // seconds between queueing a piece and its start after a clear

function startAudio() {
    if (audio.context && audio.context.state === "suspended") {
        audio.context.resume().catch(() => {});
    }
}

function audioNow() {
    return performance.now() / 1000;
}

function playPiece(samples, start) {
    const context = audio.context;
    if (!context || context.state !== "running") {
        return;
    }
    const frames = samples.length / 2;
    const buffer = context.createBuffer(2, frames, soundRate);
    const left = buffer.getChannelData(0);
    const right = buffer.getChannelData(1);
    for (let frame = 0; frame < frames; frame += 1) {
        left[frame] = samples[frame * 2] / 32768;
        right[frame] = samples[frame * 2 + 1] / 32768;
    }
    const source = context.createBufferSource();
    source.buffer = buffer;
    source.connect(context.destination);
    source.start(Math.max(context.currentTime + (start - audioNow()), context.currentTime));
    source.onended = () => audio.sources.splice(audio.sources.indexOf(source), 1);
    audio.sources.push(source);
}

const soundOutput = {
    audioOpen() {
        if (!audio.context) {
            try {
                audio.context = new AudioContext({ sampleRate: soundRate });
            } catch {
                audio.context = null; // no Web Audio: the clock still runs
            }
        }
        return true;
    },
    audioQueue(view) {
        const samples = new Int16Array(view); // a copy: the program's memory moves on
        const frames = samples.length / 2;
        const start = Math.max(audio.end, audioNow() + (audio.pieces.length ? 0 : audioLead));
        audio.pieces.push({ start, frames });
        audio.end = start + frames / soundRate;
        if (audio.cleared) {
            session.audioFirstSamples = [];
            audio.cleared = false;
        }
        if (session.audioFirstSamples.length < soundRecordLength) {
            const room = soundRecordLength - session.audioFirstSamples.length;
            session.audioFirstSamples.push(...samples.subarray(0, room));
        }
        session.audioFramesHanded += frames;
        playPiece(samples, start);
    },
    audioClear() {
        for (const source of audio.sources.splice(0)) {
            source.stop();
        }
        audio.pieces = [];
        audio.end = 0;
        audio.played = 0;
        audio.cleared = true;
    },
    audioPlayed() {
        const now = audioNow();
        while (audio.pieces.length && audio.pieces[0].start + audio.pieces[0].frames / soundRate <= now) {
            audio.played += audio.pieces.shift().frames;
        }
        const piece = audio.pieces[0];
        const within = piece ? Math.max(0, Math.floor((now - piece.start) * soundRate)) : 0;
        return audio.played + Math.min(within, piece ? piece.frames : 0);
    },
    soundFrames: () => (program.sound ? program.sound.length / 2 : 0),
    copySound(view) {
        view.set(program.sound.subarray(0, view.length));
    },
};

// The backend's side of the page (src/runtime/backend_web.cpp).
const page = {
    ...soundOutput,
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
    show(pixels, width, height, workMs) {
        context.putImageData(new ImageData(pixels, width, height), 0, 0);
        if (session.firstFrameMs === null) {
            session.firstFrameMs = performance.now();
        }
        session.framesShown += 1;
        noteShownFrame();
        session.cycleWorkMs.push(workMs);
        if (session.cycleWorkMs.length > 600) {
            session.cycleWorkMs.shift();
        }
    },
    keyboardFocused: () => document.activeElement === canvas,
    keyboardRead() {
        session.keyboardReads += 1;
        input.pressedOnce = null; // it was in this snapshot; the next one sees it up
    },
    endRequested: () => session.endRequested,
    keyDown: (code) => input.held.has(code) || input.pressedOnce === code,
    // A layout whose + needs Shift labels the key it shares with = as +, as a US keyboard does.
    letterKey: (letter) =>
        input.letters.get(letter) ||
        (letter === "+" && (input.letters.get("=") || "Equal")) ||
        (letter === "-" && "Minus") ||
        "Key" + letter,
    pointer: () => input.pointer,
    buttons: () => input.buttons,
    presses() {
        const presses = input.presses;
        input.presses = 0;
        input.buttonPressedAt.forEach((press, bit) => {
            if (press && (presses & (1 << bit)) !== 0) {
                press.reported = true;
            }
        });
        return presses;
    },
    pressPosition: (button) => input.buttonPressedAt[Math.log2(button)] || null,
    keyPressPosition: (code) => input.keyPressedAt.get(code) || null,
    presented() {
        input.buttonPressedAt = input.buttonPressedAt.map((press) =>
            press && press.released && press.reported ? null : press);
    },
    wheel() {
        const notches = input.wheel;
        input.wheel = 0;
        session.wheelNotchesTaken += Math.abs(notches);
        return notches;
    },
    message: showMessage,
    chooseFile,
};

// The figure keys' chooser. A file to be written takes the name the program offers, in the
// store, at once (the store then hands it over as a download); a file to be read is one of the
// shipped or stored figures, or one from the computer, copied into the program's files first.
// Resolves to the path, or "" when cancelled.
function chooseFile(request) {
    if (input.chosenFile !== null) { // the "Bewegung" button's clip, for the U it pressed
        const path = input.chosenFile;
        input.chosenFile = null;
        session.filesChosen += 1;
        return Promise.resolve(path);
    }
    if (request.save) {
        return Promise.resolve(request.folder + request.name);
    }
    const dialog = document.getElementById("chooser");
    document.getElementById("chooser-title").textContent = request.title;
    return new Promise((resolve) => {
        const finish = (path) => {
            dialog.onclose = null;
            dialog.close();
            canvas.focus();
            resolve(path);
        };
        const listFolder = (element, folder) => {
            element.replaceChildren();
            for (const name of figureNames(folder)) {
                const button = document.createElement("button");
                button.type = "button";
                button.textContent = name.replace(/\.txt$/i, "");
                button.dataset.file = name;
                button.addEventListener("click", () => finish(folder.replace(/\/?$/, "/") + name));
                element.append(button);
            }
        };
        listFolder(document.getElementById("chooser-shipped"), request.place || shippedFolder);
        listFolder(document.getElementById("chooser-stored"), request.folder || figureFolder);
        const fileInput = document.getElementById("chooser-file");
        fileInput.value = "";
        fileInput.onchange = async () => {
            const file = fileInput.files[0];
            if (!file) {
                return;
            }
            const path = "/tmp/" + (file.name.replace(/[\/\\]/g, "_") || "figure.txt");
            storeFiles().writeFile(path, new Uint8Array(await file.arrayBuffer()));
            finish(path);
        };
        document.getElementById("chooser-computer").onclick = () => fileInput.click();
        document.getElementById("chooser-cancel").onclick = () => finish("");
        dialog.onclose = () => finish(""); // Escape
        dialog.showModal();
    });
}

// The figure files of a folder of the program's files, by name; none when it does not exist.
function figureNames(folder) {
    try {
        return storeFiles().readdir(folder)
            .filter((name) => /\.txt$/i.test(name) && storeFiles().isFile(
                storeFiles().stat(folder.replace(/\/?$/, "/") + name).mode))
            .sort();
    } catch {
        return [];
    }
}

// The page's texts and the editor's in the browser's language: the first of navigator.languages
// that is German or has a catalog (gettext's .mo, compiled from the desktop's po files) wins;
// German, the texts' own language, is the default. The catalogs are listed in languages.json.
const translation = { language: "de", catalog: null, texts: new Map() };
const catalogPath = (language) => `share/locale/${language}/LC_MESSAGES/limbrado.mo`;

// "en-GB" is tried as en_GB, then as en.
function languageCandidates() {
    const candidates = [];
    for (const tag of navigator.languages || [navigator.language]) {
        const name = String(tag).replace(/-/g, "_");
        for (const candidate of [name, name.split("_")[0]]) {
            if (candidate && !candidates.includes(candidate)) {
                candidates.push(candidate);
            }
        }
    }
    return candidates;
}

// A .mo catalog: its magic, the count of texts, and two tables of (length, offset) pairs.
function readCatalog(bytes) {
    const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    const little = view.getUint32(0, true) === 0x950412de;
    const word = (at) => view.getUint32(at, little);
    const decoder = new TextDecoder();
    const text = (table, index) => {
        const length = word(table + index * 8);
        const offset = word(table + index * 8 + 4);
        return decoder.decode(bytes.subarray(offset, offset + length));
    };
    const texts = new Map();
    for (let index = 0; index < word(8); index += 1) {
        const id = text(word(12), index);
        if (id !== "") {
            texts.set(id, text(word(16), index));
        }
    }
    return texts;
}

async function chooseLanguage() {
    let available = [];
    try {
        available = await (await fetch("share/locale/languages.json")).json();
    } catch {
        return; // no list, no catalogs: German
    }
    for (const candidate of languageCandidates()) {
        if (candidate === "de") {
            return;
        }
        if (available.includes(candidate)) {
            const response = await fetch(catalogPath(candidate));
            if (!response.ok) {
                return;
            }
            translation.catalog = new Uint8Array(await response.arrayBuffer());
            translation.texts = readCatalog(translation.catalog);
            translation.language = candidate;
            return;
        }
    }
}

function translate(text) {
    return translation.texts.get(text) ?? text;
}

function translatePage() {
    document.documentElement.lang = translation.language.replace(/_/g, "-");
    for (const element of document.querySelectorAll("#ended p, #chooser h3, button")) {
        element.textContent = translate(element.textContent);
    }
}

// The program reads its language from the locale variables and its catalog from its file system.
function handLanguageTo(module) {
    module.ENV.XDG_DATA_HOME = dataHome; // for the figure library, which needs no language
    module.ENV.LANGUAGE = translation.language;
    module.ENV.LANG = translation.language;
    if (translation.catalog) {
        const folder = "/" + catalogPath(translation.language).replace(/\/limbrado\.mo$/, "");
        module.FS.mkdirTree(folder);
        module.FS.writeFile(folder + "/limbrado.mo", translation.catalog);
    }
}

// One instance of the program per run of the editor. The compiled program is fetched once, so
// that starting again needs nothing from the server.
const program = { module: null, wasm: null, sound: null, figures: null };

// The shipped figures, fetched once, as name and bytes; none when the site lists none.
async function fetchShippedFigures() {
    if (program.figures) {
        return program.figures;
    }
    const figures = [];
    try {
        for (const name of await (await fetch(shippedList)).json()) {
            const response = await fetch(shippedList.replace(/[^/]*$/, "") + name);
            if (response.ok) {
                figures.push({ name, bytes: new Uint8Array(await response.arrayBuffer()) });
            }
        }
    } catch {
        return figures; // the editor works without them
    }
    program.figures = figures;
    return figures;
}

// The program tells which frame the picture it presents shows, and whether playback shows it.
function noteShownFrame() {
    const frame = program.module._ShownFrame();
    const playing = program.module._ShownByPlayback() !== 0;
    if (playing && !session.playing) {
        session.playback = [];
    }
    if (playing && session.playback.length < playbackRecordLength) {
        session.playback.push(frame);
    }
    session.shownFrame = frame;
    session.playing = playing;
}

function storeFiles() {
    return program.module.FS;
}

function fileExists(path) {
    return storeFiles().analyzePath(path).exists;
}

// The store as the browser keeps it; the program's own flushes (each save, backup and export)
// write it as well.
function writeStore() {
    return new Promise((resolve) => storeFiles().syncfs(false, (error) => {
        if (error) {
            showMessage(translate("Der Speicher des Browsers nimmt die Datei nicht an."));
        }
        resolve();
    }));
}

function readStore() {
    return new Promise((resolve) => storeFiles().syncfs(true, (error) => {
        if (error) {
            showMessage(translate(
                "Der Speicher des Browsers ist nicht zu lesen; die Arbeit bleibt nicht erhalten."));
        }
        resolve();
    }));
}

function download(path) {
    const bytes = storeFiles().readFile(path);
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
    link.download = path.slice(path.lastIndexOf("/") + 1);
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

// Every save, backup and export is written to a new file, flushed and renamed over its target: an
// export renamed into place is finished, to be handed over as a download.
function watchFinishedFiles(files) {
    const rename = files.rename;
    files.rename = (from, to) => {
        rename(from, to);
        if (to.startsWith(storeFolder + "/") && to.endsWith("_export.lmb")) {
            download(to);
        }
        if (to.startsWith(figureFolder + "/")) {
            download(to); // a figure saved with G
        }
    };
}

// Starts the editor on the stored animation; a chosen file (name and bytes) joins the store first
// and becomes the one it works on, a chosen sound (decoded samples) lies beside it, and the
// stored sound is handed to the program. The first visit starts on the sample walk.
async function startEditor(chosen) {
    program.wasm = program.wasm || (await (await fetch("limbrado.wasm")).arrayBuffer());
    program.module = await createLimbrado({
        page,
        wasmBinary: program.wasm,
        preRun: [(module) => handLanguageTo(module)], // before the environment is read
        print: (text) => console.log(text),
        printErr: (text) => {
            console.error(text);
            showMessage(text); // such as why the editor could not start
        },
    });
    const files = storeFiles();
    files.mkdir(storeFolder);
    files.mount(files.filesystems.IDBFS, {}, storeFolder);
    watchFinishedFiles(files);
    files.mkdirTree(shippedFolder);
    for (const figure of await fetchShippedFigures()) {
        files.writeFile(shippedFolder + "/" + figure.name, figure.bytes);
    }
    await readStore();
    if (chosen && chosen.bytes) {
        files.writeFile(storeFolder + "/" + chosen.name, chosen.bytes);
        localStorage.setItem(currentNameKey, chosen.name);
    }
    if (!fileExists(currentPath())) {
        localStorage.removeItem(currentNameKey);
    }
    if (!fileExists(currentPath())) {
        const response = await fetch(sampleName);
        files.writeFile(currentPath(), new Uint8Array(await response.arrayBuffer()));
    }
    if (chosen && chosen.sound) {
        files.writeFile(soundPath(), new Uint8Array(chosen.sound.buffer));
    }
    program.sound = null;
    if (fileExists(soundPath())) {
        const bytes = files.readFile(soundPath());
        program.sound = new Int16Array(bytes.buffer, bytes.byteOffset, Math.floor(bytes.length / 4) * 2);
    }
    session.soundFrames = program.sound ? program.sound.length / 2 : 0;
    await writeStore();
    session.running = true;
    session.runs += 1;
    session.framesShown = 0;
    session.shownFrame = null;
    session.playing = false;
    session.playback = [];
    canvas.hidden = false;
    document.getElementById("ended").hidden = true;
    program.module.callMain([currentPath()]);
}

function start(chosen) {
    startEditor(chosen).catch((failure) => showMessage(translate("Der Editor startet nicht: ") + failure));
}

async function ended() {
    session.running = false;
    session.endRequested = false;
    await writeStore();
    const next = session.afterEnd;
    session.afterEnd = null;
    if (next) {
        next();
        return;
    }
    canvas.hidden = true;
    document.getElementById("ended").hidden = false;
}

// The chosen file joins the store under its own name and the editor starts again on it; a running
// editor ends first, as with Escape, so that its backup is written.
async function openFile(file) {
    const chosen = {
        name: file.name.replace(/[\/\\]/g, "_") || sampleName,
        bytes: new Uint8Array(await file.arrayBuffer()),
    };
    if (session.running) {
        session.afterEnd = () => start(chosen);
        session.endRequested = true;
    } else {
        start(chosen);
    }
}

document.getElementById("open").addEventListener("click", () =>
    document.getElementById("file").click());
document.getElementById("file").addEventListener("change", (event) => {
    if (event.target.files.length > 0) {
        openFile(event.target.files[0]);
    }
});
// A clip from the computer goes where the program can read it, and U imports it as it would a
// clip chosen in the desktop's file chooser.
async function importClip(file) {
    if (!session.running) {
        return;
    }
    const path = "/tmp/" + (file.name.replace(/[\/\\]/g, "_") || "clip.bvh");
    program.module.FS.writeFile(path, new Uint8Array(await file.arrayBuffer()));
    input.chosenFile = path;
    canvas.focus();
    input.pressedOnce = page.letterKey("U");
}

document.getElementById("motion").addEventListener("click", () =>
    document.getElementById("clip").click());
document.getElementById("clip").addEventListener("change", (event) => {
    if (event.target.files.length > 0) {
        importClip(event.target.files[0]);
    }
    event.target.value = "";
});

// The sound is decoded by the browser at the program's rate, cut at ten minutes, and joins the
// store beside the animation; the editor starts again with it, as after opening a file.
async function decodeSound(file) {
    const decoder = new OfflineAudioContext(2, 1, soundRate);
    const decoded = await decoder.decodeAudioData(await file.arrayBuffer());
    const frames = Math.min(decoded.length, soundLongestFrames);
    const left = decoded.getChannelData(0);
    const right = decoded.getChannelData(decoded.numberOfChannels > 1 ? 1 : 0);
    const samples = new Int16Array(frames * 2);
    const sample = (value) => Math.max(-32768, Math.min(32767, Math.round(value * 32768)));
    for (let frame = 0; frame < frames; frame += 1) {
        samples[frame * 2] = sample(left[frame]);
        samples[frame * 2 + 1] = sample(right[frame]);
    }
    return samples;
}

async function chooseSound(file) {
    let sound;
    try {
        sound = await decodeSound(file);
    } catch {
        showMessage(translate("Ton nicht lesbar: ") + file.name);
        return;
    }
    const chosen = { name: currentName(), sound };
    if (session.running) {
        session.afterEnd = () => start(chosen);
        session.endRequested = true;
    } else {
        start(chosen);
    }
}

document.getElementById("sound").addEventListener("click", () =>
    document.getElementById("sound-file").click());
document.getElementById("sound-file").addEventListener("change", (event) => {
    if (event.target.files.length > 0) {
        chooseSound(event.target.files[0]);
    }
});
document.getElementById("download").addEventListener("click", () => {
    if (program.module && fileExists(currentPath())) {
        download(currentPath());
    }
});
document.getElementById("restart").addEventListener("click", () => start(null));
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

// For the tests: the session's figures, the input as the page holds it for the program, the
// store and the language.
window.limbrado = { session, input, storeFiles, language: () => translation.language };
chooseLanguage().finally(() => {
    translatePage();
    start(null);
});
})();
