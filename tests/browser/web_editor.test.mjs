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

// The canvas once it has stayed the same for longer than a status line holds the editor (half a
// second), so that the editor reads keys again.
async function settledPixels(page) {
    let previous = await canvasPixels(page);
    for (let same = 0; same < 3; ) {
        await page.waitForTimeout(250);
        const now = await canvasPixels(page);
        same = now.equals(previous) ? same + 1 : 0;
        previous = now;
    }
    return previous;
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

async function moveTo(page, x, y) {
    await page.mouse.move(...(await at(page, x, y)), { steps: 4 });
    await page.waitForTimeout(50);
}

// Keys are sampled once a cycle, so each is held for a few cycles.
async function press(page, ...keys) {
    for (const key of keys) {
        await page.keyboard.down(key);
    }
    await page.waitForTimeout(120);
    for (const key of keys.reverse()) {
        await page.keyboard.up(key);
    }
    await page.waitForTimeout(120);
}

async function drag(page, button, from, to) {
    await moveTo(page, ...from);
    await page.mouse.down({ button });
    await page.waitForTimeout(80);
    await moveTo(page, ...to);
    await page.waitForTimeout(300); // the solver settles
    await page.mouse.up({ button });
    await page.waitForTimeout(80);
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
        const before = await settledPixels(page);
        await press(page, "i");
        const inbetween = await settledPixels(page);
        await press(page, "Control", "z");
        const undone = await settledPixels(page);
        await press(page, "Control", "y");
        const redone = await settledPixels(page);
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
        await assertSamePicture(page, await settledPixels(page), readPicture(savedPicture).rgb,
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
        await settledPixels(page); // "Gespeichert" holds the editor for half a second
        await press(page, "F10");
        assert.equal((await exporting).suggestedFilename(), "desktop-walk_export.lmb");
        assert.match(await page.locator("#message").textContent(), /Exportiert als/);
    });

    await t.test("the wheel scrolls the strip; F12 plays and stops; Escape ends and the button starts again", async () => {
        await page.locator("#editor").focus();
        await moveTo(page, 400, (await canvasSize(page))[1] - 50); // over the strip of frames
        const strip = await settledPixels(page);
        await page.mouse.wheel(0, 100); // a notch towards the user: the row moves on by one
        const scrolled = await settledPixels(page);
        await page.mouse.wheel(0, -100);
        assert.ok(!scrolled.equals(strip), "the row of frames moved");
        await assertSamePicture(page, await settledPixels(page), strip, "scrolled_back");

        await moveTo(page, 700, 550);
        const still = await settledPixels(page);
        await press(page, "F12");
        const shown = new Set();
        for (let look = 0; look < 30 && shown.size <= 2; ++look) {
            shown.add((await canvasPixels(page)).toString("base64"));
            await page.waitForTimeout(60);
        }
        assert.ok(shown.size > 2, "playback shows one frame after another");
        await press(page, "F12");
        assert.ok((await settledPixels(page)).equals(still), "stopped on frame 0 as before");

        await press(page, "Escape");
        await page.locator("#ended").waitFor({ state: "visible" });
        assert.ok(await page.evaluate(() =>
            limbrado.storeFiles().analyzePath("/store/desktop-walk_autosave.txt").exists));
        const runs = await page.evaluate(() => limbrado.session.runs);
        await page.locator("#restart").click();
        await editorRunning(page, runs + 1);
        assert.ok(await page.locator("#editor").isVisible());
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
        await page.waitForTimeout(3000);
        const cycles = (await page.evaluate(() => limbrado.session.cycleWorkMs)).slice(-120)
            .sort((a, b) => a - b);
        const median = cycles[cycles.length >> 1];
        t.diagnostic(`page gzip ${gzipped} bytes; first frame ${firstFrameMs.toFixed(0)} ms; ` +
            `cycle on the largest animation (frame 1, shadow on): median ${median.toFixed(2)} ms of ${cycles.length}`);
    });

    assert.deepEqual(failures, []);
});
