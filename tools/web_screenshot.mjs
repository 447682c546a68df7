// Takes the picture of the page in the README: the browser build (make web) served on loopback and
// opened in headless Chromium in a language (de or en); given an animation, the page's "Öffnen"
// opens it and F7 steps to the frame given, each press waited for in the program's snapshots.
//   node tools/web_screenshot.mjs build/web docs/web.png [ANIMATION FRAME [LANGUAGE]]
// (after npm ci in tests/browser)
import fs from "node:fs";
import http from "node:http";
import { createRequire } from "node:module";
import path from "node:path";

const require = createRequire(new URL("../tests/browser/package.json", import.meta.url));
const { chromium } = require("playwright-core");
const [site, output, animation, frameText = "0", language = "de"] = process.argv.slice(2);
const frame = Number(frameText);
const types = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css",
    ".wasm": "application/wasm" };
const waitLimitMs = 60000;

const server = http.createServer((request, response) => {
    const name = new URL(request.url, "http://loopback").pathname.replace(/\/$/, "/index.html");
    fs.readFile(path.join(site, path.normalize(name)), (error, bytes) => {
        response.writeHead(error ? 404 : 200,
            { "Content-Type": types[path.extname(name)] || "application/octet-stream" });
        response.end(error ? "" : bytes);
    });
});
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const browser = await chromium.launch({ executablePath: "/usr/bin/chromium" });
const context = await browser.newContext({ viewport: { width: 960, height: 760 }, locale: language });
const page = await context.newPage();
await page.addInitScript((languages) => {
    Object.defineProperty(navigator, "languages", { get: () => languages });
}, [language]);
const until = (condition, argument) =>
    page.waitForFunction(condition, argument, { timeout: waitLimitMs });
await page.goto(`http://127.0.0.1:${server.address().port}/`);
await until(() => window.limbrado && limbrado.session.framesShown > 0);
if (animation) {
    await page.locator("#file").setInputFiles(animation);
    await until(() => limbrado.session.runs === 2 && limbrado.session.framesShown > 0);
    await page.locator("#editor").focus();
    // Each press held until the program has taken a keyboard snapshot with it down, then let go
    // until it has taken one with it up.
    const snapshotTaken = async () => {
        const reads = await page.evaluate(() => limbrado.session.keyboardReads);
        await until((from) => limbrado.session.keyboardReads > from, reads);
    };
    for (let shown = 0; shown < frame; ++shown) {
        await page.keyboard.down("F7");
        await until(() => limbrado.input.held.size === 1);
        await snapshotTaken();
        await page.keyboard.up("F7");
        await until(() => limbrado.input.held.size === 0);
        await snapshotTaken();
    }
    await until((shown) => limbrado.session.shownFrame === shown, frame);
}
await page.screenshot({ path: output });
await browser.close();
server.close();
