// The editor's page in headless Chromium: served from a loopback server of its own, driven like a
// user with keyboard and mouse, its canvas read back pixel by pixel. The steps run in order in one
// browser profile, so the storage that one step fills is what the next one finds.
//   LIMBRADO_WEB=build/web LIMBRADO_TEST_FILES=build/release/web_test_files node --test ...
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import { test } from "node:test";
import zlib from "node:zlib";
import { chromium } from "playwright-core";

const site = process.env.LIMBRADO_WEB;
const testFiles = process.env.LIMBRADO_TEST_FILES;
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), "limbrado-web-"));

function serve(folder) {
    const types = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css",
        ".wasm": "application/wasm" };
    const server = http.createServer((request, response) => {
        const name = new URL(request.url, "http://loopback").pathname.replace(/\/$/, "/index.html");
        fs.readFile(path.join(folder, path.normalize(name)), (error, bytes) => {
            response.writeHead(error ? 404 : 200,
                { "Content-Type": types[path.extname(name)] || "application/octet-stream" });
            response.end(error ? "" : bytes);
        });
    });
    return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

// A binary PPM picture as RGB bytes.
function readPicture(file) {
    const bytes = fs.readFileSync(file);
    const header = bytes.subarray(0, 20).toString("latin1").match(/^P6\s+(\d+) (\d+)\s+255\s/);
    return { width: Number(header[1]), height: Number(header[2]),
        rgb: bytes.subarray(header[0].length) };
}

// The canvas's own pixels (before the page scales it), as RGB bytes.
async function canvasPixels(page) {
    const encoded = await page.evaluate(() => {
        const canvas = document.getElementById("editor");
        const rgba = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
        let text = "";
        for (let at = 0; at < rgba.length; at += 4) {
            text += String.fromCharCode(rgba[at], rgba[at + 1], rgba[at + 2]);
        }
        return btoa(text);
    });
    return Buffer.from(encoded, "base64");
}

// On a mismatch both pictures are kept as PPMs beside each other, named in the failure.
async function assertSamePicture(page, actual, expected, name) {
    if (actual.equals(expected)) {
        return;
    }
    const [width, height] = await canvasSize(page);
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), "limbrado-web-mismatch-"));
    for (const [suffix, rgb] of [["actual", actual], ["expected", expected]]) {
        fs.writeFileSync(path.join(folder, `${name}_${suffix}.ppm`),
            Buffer.concat([Buffer.from(`P6\n${width} ${height}\n255\n`), rgb]));
    }
    assert.fail(`${name}: ${differingPixels(actual, expected)} pixels differ; see ${folder}`);
}

function differingPixels(a, b) {
    let count = 0;
    for (let at = 0; at < a.length; at += 3) {
        count += a[at] !== b[at] || a[at + 1] !== b[at + 1] || a[at + 2] !== b[at + 2] ? 1 : 0;
    }
    return count;
}

// The steps wait for the program itself, never for a time: for the keyboard snapshots it takes
// (one each cycle of the editor and each pass of playback), the pointer and buttons and wheel
// notches it reads, and the frames it shows, as the page tells them. Each wait gives up after
// `waitLimitMs`.
const waitLimitMs = 30000;
const settleCycles = 20; // cycles of the solver after a joint was dropped somewhere new

function until(page, condition, argument) {
    return page.waitForFunction(condition, argument, { timeout: waitLimitMs });
}

// Waits until the program has taken `count` keyboard snapshots more than when called.
async function cycles(page, count = 1) {
    const from = await page.evaluate(() => limbrado.session.keyboardReads);
    await until(page, ([from, count]) => limbrado.session.keyboardReads >= from + count,
        [from, count]);
}

// The picture of a whole cycle that began after everything done so far: the cycle of the second
// snapshot from now has presented it.
async function shownPixels(page) {
    await cycles(page, 2);
    return canvasPixels(page);
}

// Waits until the editor's run `run` of this page has shown a frame.
async function editorRunning(page, run = 1) {
    await page.waitForFunction((expected) => window.limbrado &&
        limbrado.session.runs === expected && limbrado.session.framesShown > 0, run);
}

function canvasSize(page) {
    return page.evaluate(() => [document.getElementById("editor").width,
        document.getElementById("editor").height]);
}

// The page position of the middle of a canvas pixel.
async function at(page, x, y) {
    const box = await page.locator("#editor").boundingBox();
    const [width, height] = await canvasSize(page);
    return [box.x + ((x + 0.5) * box.width) / width, box.y + ((y + 0.5) * box.height) / height];
}

// The pointer at a canvas pixel (within the one that the page's rounding may give), and a cycle
// of the program that has seen it there.
async function moveTo(page, x, y) {
    await page.mouse.move(...(await at(page, x, y)), { steps: 4 });
    await until(page, ([x, y]) => Math.abs(limbrado.input.pointer.x - x) <= 1 &&
        Math.abs(limbrado.input.pointer.y - y) <= 1, [x, y]);
    await cycles(page);
}

// Each key is held until the program has taken a keyboard snapshot with it down, and then left up
// until it has taken one with it up: the command has acted and the picture of its cycle shows.
async function press(page, ...keys) {
    for (const key of keys) {
        await page.keyboard.down(key);
    }
    await until(page, (count) => limbrado.input.held.size === count, keys.length);
    await cycles(page);
    for (const key of [...keys].reverse()) {
        await page.keyboard.up(key);
    }
    await until(page, () => limbrado.input.held.size === 0);
    await cycles(page);
}

async function drag(page, button, from, to) {
    const bit = button === "left" ? 1 : 2;
    await moveTo(page, ...from);
    await page.mouse.down({ button });
    await until(page, (bit) => (limbrado.input.buttons & bit) !== 0, bit);
    await cycles(page); // the program has taken the joint under the pointer
    await moveTo(page, ...to);
    await cycles(page, settleCycles);
    await page.mouse.up({ button });
    await until(page, () => limbrado.input.buttons === 0);
    await cycles(page);
}

// A wheel turn of `pixels` (100 a notch), once the program has read its notch.
async function turnWheel(page, pixels) {
    const taken = await page.evaluate(() => limbrado.session.wheelNotchesTaken);
    await page.mouse.wheel(0, pixels);
    await until(page, (taken) => limbrado.session.wheelNotchesTaken > taken, taken);
}

// "Öffnen": the editor ends, and starts again on the chosen file.
async function openThroughPage(page, file) {
    const runs = await page.evaluate(() => limbrado.session.runs);
    await page.locator("#file").setInputFiles(file);
    await editorRunning(page, runs + 1);
}

function storedFile(page, name) {
    return page.evaluate((file) => Array.from(limbrado.storeFiles().readFile("/store/" + file)),
        name);
}

// The frame of an animation file's last record, where loading puts the end of playback.
function lastRecordFrame(bytes) {
    return bytes.readInt16LE(7 + 8 * (Math.floor((bytes.length - 7) / 8) - 1));
}

// The joints of a frame from the animation file: 7-byte header, then 8-byte records.
function jointsOfFrame(bytes, frame) {
    const file = Buffer.from(bytes);
    const joints = [];
    for (let at = 7; at + 8 <= file.length; at += 8) {
        if (file.readInt16LE(at) === frame && file[at + 2] === 0) {
            joints.push({ x: file.readInt16LE(at + 3), y: file.readInt16LE(at + 5) });
        }
    }
    return joints;
}

const distance = (a, b) => Math.hypot(a.x - b.x, a.y - b.y);

test("the editor in a web page", async (t) => {
    const server = await serve(site);
    const address = `http://127.0.0.1:${server.address().port}/`;
    const reference = path.join(scratch, "first_frame.ppm");
    const largest = path.join(scratch, "largest.txt");
    const desktopFile = path.join(scratch, "desktop-walk.txt");
    execFileSync(testFiles, [path.join(site, "walk.txt"), reference, largest]);
    fs.copyFileSync(path.join(site, "walk.txt"), desktopFile);
    const browser = await chromium.launch({ executablePath: "/usr/bin/chromium" });
    // German, as the desktop pictures compared here are drawn.
    const context = await browser.newContext({ viewport: { width: 1000, height: 760 },
        acceptDownloads: true, locale: "de-DE" });
    const page = await context.newPage();
    const failures = [];
    page.on("pageerror", (error) => failures.push(error.message));
    t.after(async () => {
        await browser.close();
        server.close();
        fs.rmSync(scratch, { recursive: true, force: true });
    });

    await t.test("opens the sample walk, its first frame as the desktop draws it", async () => {
        await page.goto(address);
        await editorRunning(page);
        const picture = readPicture(reference);
        assert.deepEqual([picture.width, picture.height], await canvasSize(page));
        await assertSamePicture(page, await canvasPixels(page), picture.rgb, "first_frame");
        t.diagnostic(`first frame ${(await page.evaluate(() => limbrado.session.firstFrameMs))
            .toFixed(0)} ms after navigation`);
    });

    const saved = path.join(scratch, "saved.txt");
    await t.test("edits with keys and mouse, undoes, redoes and saves", async () => {
        await page.locator("#editor").focus();
        await press(page, "x"); // an empty animation
        const corners = [[300, 250], [400, 250], [400, 350]];
        for (const corner of corners) {
            await moveTo(page, ...corner);
            await press(page, "1");
        }
        await drag(page, "right", corners[0], corners[1]);
        await drag(page, "right", corners[1], corners[2]);
        await drag(page, "left", corners[2], [330, 380]);
        await press(page, "F7");
        await press(page, "F7");
        await drag(page, "left", [330, 380], [260, 330]); // frame 2 posed
        await press(page, "F3"); // frame 1 shows as the shadow
        await moveTo(page, 700, 550);
        const before = await shownPixels(page);
        await press(page, "i");
        const inbetween = await shownPixels(page);
        await press(page, "Control", "z");
        const undone = await shownPixels(page);
        await press(page, "Control", "y");
        const redone = await shownPixels(page);
        assert.ok(differingPixels(before, inbetween) > 0, "the in-between shows in the shadow");
        assert.ok(undone.equals(before), "Ctrl+Z takes the in-between back");
        assert.ok(redone.equals(inbetween), "Ctrl+Y brings it again");

        await press(page, "F5"); // the head off and on again; the browser must not reload
        await press(page, "F5");
        await press(page, "F9");
        assert.equal(await page.evaluate(() => limbrado.session.runs), 1, "the page was not reloaded");
        const [first, second, third] = jointsOfFrame(await storedFile(page, "walk.txt"), 0);
        assert.ok(Math.abs(distance(first, second) - 100) <= 2, "first bone keeps its length");
        assert.ok(Math.abs(distance(second, third) - 100) <= 2, "second bone keeps its length");
        assert.ok(distance(third, { x: 130, y: 230 }) <= 2, "the dragged joint is where dropped");
        assert.equal(jointsOfFrame(await storedFile(page, "walk.txt"), 1).length, 3);
        fs.writeFileSync(saved, Buffer.from(await storedFile(page, "walk.txt")));
    });

    await t.test("after a reload the saved animation is back, as the desktop shows it", async () => {
        await page.reload();
        await editorRunning(page);
        const savedPicture = path.join(scratch, "saved.ppm");
        execFileSync(testFiles, [saved, savedPicture]);
        await assertSamePicture(page, await shownPixels(page), readPicture(savedPicture).rgb,
            "reloaded");
    });

    await t.test("opens a desktop file, downloads it byte for byte and its export", async () => {
        await openThroughPage(page, desktopFile);
        await assertSamePicture(page, await canvasPixels(page), readPicture(reference).rgb,
            "opened");
        await page.locator("#editor").focus();
        await press(page, "F9");
        const downloading = page.waitForEvent("download");
        await page.locator("#download").click();
        const download = await downloading;
        assert.equal(download.suggestedFilename(), "desktop-walk.txt");
        assert.ok(fs.readFileSync(await download.path()).equals(fs.readFileSync(desktopFile)));
        const exporting = page.waitForEvent("download");
        await page.locator("#editor").focus();
        await press(page, "F10");
        assert.equal((await exporting).suggestedFilename(), "desktop-walk_export.lmb");
        assert.match(await page.locator("#message").textContent(), /Exportiert als/);
    });

    await t.test("the Bewegung button imports a clip from the computer as U does", async () => {
        const clip = path.join(scratch, "hop.bvh");
        const text = "HIERARCHY ROOT Hips { OFFSET 0 0 0 CHANNELS 3 Xposition Yposition " +
            "Zposition JOINT Knee { OFFSET 0 -10 0 CHANNELS 1 Xrotation End Site { OFFSET 0 -10 " +
            "0 } } } MOTION Frames: 2 Frame Time: 0.1 0 20 0 0 3 20 0 30\n";
        fs.writeFileSync(clip, text);
        const before = jointsOfFrame(await storedFile(page, "desktop-walk.txt"), 0).length;
        const chosen = await page.evaluate(() => limbrado.session.filesChosen);
        await page.locator("#clip").setInputFiles(clip);
        await until(page, (chosen) => limbrado.session.filesChosen > chosen, chosen);
        await cycles(page);
        await press(page, "F9");
        assert.equal(jointsOfFrame(await storedFile(page, "desktop-walk.txt"), 0).length,
            before + 3, "the hip, the knee and the foot joined frame 0");
    });

    await t.test("O inserts a shipped figure on the pointer; G keeps it in the store and downloads it", async () => {
        // The key stays down until the page's chooser is open, in which the program waits.
        const openChooser = async () => {
            await page.keyboard.down("o");
            await page.locator("#chooser").waitFor({ state: "visible", timeout: waitLimitMs });
            await page.keyboard.up("o");
        };
        const choices = (list) => page.locator(`#chooser-${list} button`)
            .evaluateAll((buttons) => buttons.map((button) => button.dataset.file));
        await page.locator("#editor").focus();
        await moveTo(page, 500, 300); // right of the walk
        await openChooser();
        assert.deepEqual(await choices("shipped"),
            ["ball.txt", "child.txt", "dog.txt", "person.txt", "stick.txt"]);
        await page.locator('#chooser-shipped button[data-file="ball.txt"]').click();
        await until(page, () => !document.getElementById("chooser").open);
        const pixels = await shownPixels(page);
        const [width] = await canvasSize(page);
        const colour = (x, y) => [...pixels.subarray((y * width + x) * 3, (y * width + x) * 3 + 3)];
        assert.deepEqual(colour(500, 300), [255, 0, 0], "the ball's disc is on the pointer");
        assert.notDeepEqual(colour(500, 325), [255, 0, 0], "a disc 40 pixels across");

        await moveTo(page, 500, 285); // by its upper joint
        const downloading = page.waitForEvent("download");
        await press(page, "g");
        const download = await downloading;
        assert.equal(download.suggestedFilename(), "figure.txt");
        const stored = await page.evaluate(() => Array.from(
            limbrado.storeFiles().readFile("/store/limbrado/figures/figure.txt")));
        assert.ok(fs.readFileSync(await download.path()).equals(Buffer.from(stored)));
        await openChooser();
        assert.deepEqual(await choices("stored"), ["figure.txt"]);
        await page.locator("#chooser-cancel").click();
        await until(page, () => !document.getElementById("chooser").open);
        await press(page, "Control", "z"); // the walk as it was for the steps below
    });

    await t.test("the wheel scrolls the strip; F12 plays and stops; Escape ends and the button starts again", async () => {
        await page.locator("#editor").focus();
        await moveTo(page, 400, (await canvasSize(page))[1] - 50); // over the strip of frames
        const strip = await shownPixels(page);
        await turnWheel(page, 100); // a notch towards the user: the row moves on by one
        const scrolled = await shownPixels(page);
        await turnWheel(page, -100);
        assert.ok(!scrolled.equals(strip), "the row of frames moved");
        await assertSamePicture(page, await shownPixels(page), strip, "scrolled_back");

        await moveTo(page, 700, 550);
        const still = await shownPixels(page);
        await press(page, "F12");
        // From frame 0 to the one before the file's last frame, one after another, and round again.
        const end = lastRecordFrame(fs.readFileSync(desktopFile));
        await until(page, (end) => limbrado.session.playback.length > end, end);
        const round = Array.from({ length: end }, (_, frame) => frame);
        assert.deepEqual(await page.evaluate((end) => limbrado.session.playback.slice(0, end + 1),
            end), [...round, 0], "playback shows one frame after another");
        await press(page, "F12");
        assert.deepEqual(await page.evaluate(() =>
            [limbrado.session.playing, limbrado.session.shownFrame]), [false, 0]);
        assert.ok((await shownPixels(page)).equals(still), "stopped on frame 0 as before");

        // Escape held until the editor has ended.
        await page.keyboard.down("Escape");
        await page.locator("#ended").waitFor({ state: "visible", timeout: waitLimitMs });
        await page.keyboard.up("Escape");
        assert.ok(await page.evaluate(() =>
            limbrado.storeFiles().analyzePath("/store/desktop-walk_autosave.txt").exists));
        const runs = await page.evaluate(() => limbrado.session.runs);
        await page.locator("#restart").click();
        await editorRunning(page, runs + 1);
        assert.ok(await page.locator("#editor").isVisible());
    });

    await t.test("the Ton button picks a sound, F12 hands it to the page's audio, a reload keeps it", async () => {
        // A second of 48000 Hz stereo WAV whose samples carry their own time.
        const frames = 48000;
        const samples = new Int16Array(frames * 2);
        for (let frame = 0; frame < frames; frame += 1) {
            samples[frame * 2] = 1 + Math.floor(frame / 16);
            samples[frame * 2 + 1] = -1 - Math.floor(frame / 16);
        }
        const header = Buffer.alloc(44);
        header.write("RIFF", 0);
        header.writeUInt32LE(36 + samples.byteLength, 4);
        header.write("WAVEfmt ", 8);
        header.writeUInt32LE(16, 16);
        header.writeUInt16LE(1, 20); // PCM
        header.writeUInt16LE(2, 22);
        header.writeUInt32LE(48000, 24);
        header.writeUInt32LE(48000 * 4, 28);
        header.writeUInt16LE(4, 32);
        header.writeUInt16LE(16, 34);
        header.write("data", 36);
        header.writeUInt32LE(samples.byteLength, 40);
        const wav = path.join(scratch, "voice.wav");
        fs.writeFileSync(wav, Buffer.concat([header, Buffer.from(samples.buffer)]));

        const runs = await page.evaluate(() => limbrado.session.runs);
        await page.locator("#sound-file").setInputFiles(wav);
        await editorRunning(page, runs + 1);
        assert.equal(await page.evaluate(() => limbrado.session.soundFrames), frames);

        await page.locator("#editor").focus();
        await moveTo(page, 700, 550);
        const handed = await page.evaluate(() => limbrado.session.audioFramesHanded);
        await press(page, "F12");
        await until(page, (handed) => limbrado.session.audioFramesHanded >= handed + 24000 &&
            limbrado.session.playback.length > 2, handed);
        await press(page, "F12");
        // Playback hands the sound over from frame 0's time on.
        assert.deepEqual(await page.evaluate(() => limbrado.session.audioFirstSamples),
            Array.from(samples.subarray(0, 64)));

        await page.reload();
        await editorRunning(page);
        assert.equal(await page.evaluate(() => limbrado.session.soundFrames), frames);
    });

    await t.test("figures: size over the wire, first frame, cycle on the largest animation", async () => {
        const files = ["index.html", "page.css", "page.js", "limbrado.js", "limbrado.wasm"];
        const gzipped = files.reduce((sum, name) =>
            sum + zlib.gzipSync(fs.readFileSync(path.join(site, name)), { level: 9 }).length, 0);
        assert.ok(gzipped <= 1024 * 1024, `${gzipped} bytes is more than 1 MB`);
        await page.goto("about:blank");
        await page.goto(address);
        await editorRunning(page);
        const firstFrameMs = await page.evaluate(() => limbrado.session.firstFrameMs);
        await openThroughPage(page, largest);
        await page.locator("#editor").focus();
        await press(page, "F7"); // frame 1, with the full frame 0 as its shadow
        await press(page, "F3");
        const shown = await page.evaluate(() => limbrado.session.framesShown);
        await cycles(page, 120);
        const workMs = (await page.evaluate((shown) => {
            const figures = limbrado.session.cycleWorkMs;
            return figures.slice(Math.max(0, figures.length - (limbrado.session.framesShown - shown)));
        }, shown)).sort((a, b) => a - b);
        const median = workMs[workMs.length >> 1];
        t.diagnostic(`page gzip ${gzipped} bytes; first frame ${firstFrameMs.toFixed(0)} ms; ` +
            `cycle on the largest animation (frame 1, shadow on): median ${median.toFixed(2)} ms of ${workMs.length}`);
    });

    assert.deepEqual(failures, []);
});
