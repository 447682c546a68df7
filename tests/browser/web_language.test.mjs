// The page's language in headless Chromium: it follows navigator.languages as the desktop follows
// the locale (the first language that is German or has a catalog), for the page's own texts and
// the editor's overlay alike; German is the default.
//   LIMBRADO_WEB=build/web node --test tests/browser/web_language.test.mjs
import assert from "node:assert/strict";
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import { test } from "node:test";
import { chromium } from "playwright-core";

const site = process.env.LIMBRADO_WEB;

function serve(folder) {
    const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm" };
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

// The page once the editor shows its first frame: its language, its texts and the canvas's rows
// of the overlay (0 to 349), as RGB characters.
async function openPage(browser, address, languages) {
    const context = await browser.newContext({ locale: languages[0] });
    const page = await context.newPage();
    const failures = [];
    page.on("pageerror", (error) => failures.push(error.message));
    await page.addInitScript((list) => {
        Object.defineProperty(navigator, "languages", { get: () => list });
    }, languages);
    await page.goto(address);
    await page.waitForFunction(() => window.limbrado && limbrado.session.framesShown > 0,
        null, { timeout: 30000 });
    const seen = await page.evaluate(() => {
        const canvas = document.getElementById("editor");
        const rgba = canvas.getContext("2d").getImageData(0, 0, canvas.width, 350).data;
        let pixels = "";
        for (let at = 0; at < rgba.length; at += 4) {
            pixels += String.fromCharCode(rgba[at], rgba[at + 1], rgba[at + 2]);
        }
        return { language: limbrado.language(), lang: document.documentElement.lang,
            buttons: [...document.querySelectorAll("button")].map((button) => button.textContent),
            ended: document.querySelector("#ended p").textContent,
            width: canvas.width, pixels };
    });
    await context.close();
    assert.deepEqual(failures, []);
    return seen;
}

const rows = (seen, top, bottom) => seen.pixels.slice(top * seen.width * 3, bottom * seen.width * 3);

test("the page's language follows navigator.languages", async (t) => {
    const server = await serve(site);
    const address = `http://127.0.0.1:${server.address().port}/`;
    const browser = await chromium.launch({ executablePath: "/usr/bin/chromium" });
    t.after(async () => {
        await browser.close();
        server.close();
    });

    const german = await openPage(browser, address, ["de-DE", "de"]);
    assert.equal(german.language, "de");
    assert.deepEqual(german.buttons,
        ["Neu starten", "Öffnen", "Herunterladen", "Bewegung", "Ton", "Vom Computer", "Abbrechen"]);

    const english = await openPage(browser, address, ["en-US", "en"]);
    assert.equal(english.language, "en");
    assert.equal(english.lang, "en");
    assert.deepEqual(english.buttons,
        ["Start again", "Open", "Download", "Motion", "Sound", "From the computer", "Cancel"]);
    assert.equal(english.ended, "The editor has ended.");
    assert.ok(rows(english, 0, 14) === rows(german, 0, 14), "the frame line reads the same");
    assert.ok(rows(english, 24, 348) !== rows(german, 24, 348), "the command list differs");

    // A language without a catalog passes to the next; German before English keeps German.
    const french = await openPage(browser, address, ["fr-FR", "en-GB", "de"]);
    assert.equal(french.language, "en");
    assert.ok(rows(french, 0, 348) === rows(english, 0, 348), "the overlay is the English one");
    const austrian = await openPage(browser, address, ["fr-FR", "de-AT", "en"]);
    assert.equal(austrian.language, "de");
    assert.deepEqual(austrian.buttons, german.buttons);
});
