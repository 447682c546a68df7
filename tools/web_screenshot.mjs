// Takes the picture of the page in the README: the browser build (make web) served on loopback,
// opened in headless Chromium on the sample walk.
//   node tools/web_screenshot.mjs build/web docs/web.png   (after npm ci in tests/browser)
import fs from "node:fs";
import http from "node:http";
import { createRequire } from "node:module";
import path from "node:path";

const require = createRequire(new URL("../tests/browser/package.json", import.meta.url));
const { chromium } = require("playwright-core");
const [site, output] = process.argv.slice(2);
const types = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css",
    ".wasm": "application/wasm" };

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
const page = await browser.newPage({ viewport: { width: 960, height: 760 } });
await page.goto(`http://127.0.0.1:${server.address().port}/`);
await page.waitForFunction(() => window.limbrado && limbrado.session.framesShown > 0);
await page.screenshot({ path: output });
await browser.close();
server.close();
