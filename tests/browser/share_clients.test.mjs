// The exports as web clients read them, in the system's headless Chromium: the sprite sheet and its
// atlas loaded by PixiJS, each frame drawn at its atlas offset and compared pixel by pixel with the
// PNG export's frame; the Lottie file played by lottie-web, each frame's bones and head compared
// with the PNG's (anti-aliased edges may stray by a pixel; the box outline, which the pictures show
// and the vector animation leaves out, is no bone), and the walk restyled (thick coloured lines, a
// circle, a light ground) drawn by lottie-web within a pixel of its PNGs. The files come from a loopback server
// the test starts. LIMBRADO names the program (default: build/release/limbrado).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { createServer } from 'node:http';
import { mkdtempSync, readFileSync, rmSync, existsSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, extname } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const here = dirname(fileURLToPath(import.meta.url));
const root = join(here, '..', '..');
const program = process.env.LIMBRADO ?? join(root, 'build', 'release', 'limbrado');
const animation = join(root, 'docs', 'sample', 'walk.txt');
const chromiumPath = process.env.CHROMIUM ?? '/usr/bin/chromium';
const files = mkdtempSync(join(tmpdir(), 'limbrado-share-'));
const libraries = {
  '/pixi.js': join(here, 'node_modules', 'pixi.js', 'dist', 'pixi.min.js'),
  '/lottie.js': join(here, 'node_modules', 'lottie-web', 'build', 'player', 'lottie.min.js'),
};
const types = { '.js': 'text/javascript', '.json': 'application/json', '.png': 'image/png' };
const page = '<!doctype html><body style="margin:0;background:#000">' +
  '<div id="stage" style="width:800px;height:600px"></div>' +
  '<script src="/pixi.js"></script><script src="/lottie.js"></script></body>';

let server;
let browser;
let origin;
let frameCount;

// The walk restyled through the animation file's style records, appended after each frame's
// last record: every bone an orange line 8 pixels wide but the frame's last, a blue circle 4
// pixels wide; the ground light blue.
function styledWalk(path) {
  const bytes = readFileSync(path);
  const records = [];
  for (let at = 7; at + 8 <= bytes.length; at += 8) records.push(bytes.subarray(at, at + 8));
  const style = (frame, type, value) => {
    const record = Buffer.from([0, 0, type, 0xFF, 0xFF, 0xFF, 0xFF, value]);
    record.writeInt16LE(frame, 0);
    return record;
  };
  const out = [bytes.subarray(0, 7)];
  let lastFrame = 0;
  for (let index = 0; index < records.length; ++index) {
    const frame = records[index].readInt16LE(0);
    out.push(records[index]);
    lastFrame = frame;
    const next = records[index + 1];
    if (next !== undefined && next.readInt16LE(0) === frame) continue;
    const bones = records.filter((r) => r.readInt16LE(0) === frame && r[2] === 1).length;
    for (let bone = 0; bone < bones; ++bone) {
      const circle = bone === bones - 1;
      const [red, green, blue] = circle ? [0x00, 0x60, 0xFF] : [0xFF, 0x80, 0x00];
      out.push(style(frame, 5, 1), style(frame, 2, red), style(frame, 3, green),
        style(frame, 4, blue), style(frame, 6, circle ? 3 : 7), style(frame, 7, circle ? 1 : 0),
        style(frame, 8, bone));
    }
  }
  out.push(style(lastFrame, 16, 0xA0), style(lastFrame, 17, 0xD8), style(lastFrame, 18, 0xFF));
  writeFileSync(join(files, 'styled.txt'), Buffer.concat(out));
}

// The box as loading places it: its stored size (the file's first two words) centred in 800 x 600.
function boxOf(path) {
  const bytes = readFileSync(path);
  const width = bytes.readInt16LE(0);
  const height = bytes.readInt16LE(2);
  const left = Math.trunc((800 - width) / 2);
  const top = Math.trunc((600 - height) / 2);
  return { left, top, right: left + width, bottom: top + height };
}

function serve(request, response) {
  const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
  const file = libraries[path] ?? (path.startsWith('/out/') ? join(files, path.slice(5)) : null);
  if (path === '/') {
    response.writeHead(200, { 'content-type': 'text/html' }).end(page);
  } else if (file !== null && !file.includes('..') && existsSync(file)) {
    response.writeHead(200, { 'content-type': types[extname(file)] ?? 'application/octet-stream' });
    response.end(readFileSync(file));
  } else {
    response.writeHead(404).end();
  }
}

before(async () => {
  for (const option of [['--export-png', 'frames'], ['--export-sheet', 'sheet.png'],
    ['--export-lottie', 'walk.json']]) {
    execFileSync(program, [option[0], join(files, option[1]), animation], { stdio: 'pipe' });
  }
  styledWalk(animation);
  for (const option of [['--export-png', 'styled-frames'], ['--export-lottie', 'styled.json']]) {
    execFileSync(program, [option[0], join(files, option[1]), join(files, 'styled.txt')],
      { stdio: 'pipe' });
  }
  frameCount = Object.keys(JSON.parse(readFileSync(join(files, 'sheet.json'))).frames).length;
  server = createServer(serve);
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  origin = `http://127.0.0.1:${server.address().port}`;
  browser = await chromium.launch({
    executablePath: chromiumPath,
    args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox'],
  });
});

after(async () => {
  await browser?.close();
  server?.close();
  rmSync(files, { recursive: true, force: true });
});

async function openPage() {
  const tab = await browser.newPage({ viewport: { width: 800, height: 600 }, deviceScaleFactor: 1 });
  await tab.goto(origin + '/');
  // The PNG export's frame k as RGBA bytes, decoded by the browser.
  await tab.evaluate(() => {
    window.pngFrame = async (k, folder = 'frames') => {
      const image = new Image();
      image.src = `/out/${folder}/frame_${String(k).padStart(3, '0')}.png`;
      await image.decode();
      const canvas = new OffscreenCanvas(800, 600);
      const context = canvas.getContext('2d');
      context.drawImage(image, 0, 0);
      return Array.from(context.getImageData(0, 0, 800, 600).data);
    };
    window.canvasPixels = (source) => {
      const canvas = new OffscreenCanvas(800, 600);
      const context = canvas.getContext('2d');
      context.drawImage(source, 0, 0);
      return Array.from(context.getImageData(0, 0, 800, 600).data);
    };
  });
  return tab;
}

test('PixiJS draws each sprite sheet frame exactly as the PNG export shows it', async () => {
  const tab = await openPage();
  const results = await tab.evaluate(async (count) => {
    PIXI.TextureStyle.defaultOptions.scaleMode = 'nearest';
    const app = new PIXI.Application();
    await app.init({ width: 800, height: 600, background: 0x141414, antialias: false,
      preference: 'webgl', preserveDrawingBuffer: true, autoDensity: false, resolution: 1 });
    const sheet = await PIXI.Assets.load('/out/sheet.json');
    const results = [];
    for (let k = 0; k < count; ++k) {
      const name = `frame_${String(k).padStart(3, '0')}`;
      const sprite = new PIXI.Sprite(sheet.textures[name]);
      app.stage.removeChildren();
      app.stage.addChild(sprite);
      app.render();
      const drawn = window.canvasPixels(app.canvas);
      const expected = await window.pngFrame(k);
      let differences = 0;
      for (let i = 0; i < expected.length; ++i) {
        differences += drawn[i] !== expected[i] ? 1 : 0;
      }
      const trim = sheet.textures[name].trim;
      results.push({ name, differences, trimmed: trim !== null && trim.x > 0,
        animation: sheet.animations.walk?.length });
    }
    return results;
  }, frameCount);
  assert.ok(frameCount > 1);
  for (const result of results) {
    assert.equal(result.differences, 0, `${result.name}: bytes differing from the PNG`);
    assert.ok(result.trimmed, `${result.name}: placed at its atlas offset`);
    assert.equal(result.animation, frameCount);
  }
  await tab.close();
});

test('lottie-web plays each frame with the bones and head of the PNG export', async () => {
  const tab = await openPage();
  const results = await tab.evaluate(async ({ count, box }) => {
    const onBox = (x, y) => ((x === box.left || x === box.right) && y >= box.top && y <= box.bottom) ||
      ((y === box.top || y === box.bottom) && x >= box.left && x <= box.right);
    const data = await (await fetch('/out/walk.json')).json();
    const player = lottie.loadAnimation({ container: document.getElementById('stage'),
      renderer: 'canvas', loop: false, autoplay: false, animationData: data,
      rendererSettings: { dpr: 1, clearCanvas: true } });
    await new Promise((resolve) => player.isLoaded ? resolve() : player.addEventListener('DOMLoaded', resolve));
    const canvas = document.querySelector('#stage canvas');
    const lime = (p, i) => p[i + 1] > 120 && p[i + 1] - p[i + 2] > 80;
    const near = (p, i, rgb, tolerance) => rgb.every((c, n) => Math.abs(p[i + n] - c) <= tolerance);
    const results = [];
    for (let k = 0; k < count; ++k) {
      player.goToAndStop(k, true);
      const drawn = window.canvasPixels(canvas);
      const png = await window.pngFrame(k);
      // Whether any pixel within one of (x, y) passes the check in the given picture.
      const around = (p, x, y, check) => {
        for (let dy = -1; dy <= 1; ++dy) {
          for (let dx = -1; dx <= 1; ++dx) {
            const nx = x + dx; const ny = y + dy;
            if (nx >= 0 && ny >= 0 && nx < 800 && ny < 600 && check(p, (ny * 800 + nx) * 4)) return true;
          }
        }
        return false;
      };
      const all = (p, x, y, rgb) => !around(p, x, y, (q, i) => !near(q, i, rgb, 0));
      const counts = { bones: 0, missing: 0, stray: 0, head: 0, ground: 0 };
      for (let y = 0; y < 600; ++y) {
        for (let x = 0; x < 800; ++x) {
          const i = (y * 800 + x) * 4;
          if (near(png, i, [187, 255, 0], 0) && !onBox(x, y)) {
            counts.bones += 1;
            counts.missing += around(drawn, x, y, lime) ? 0 : 1;
          }
          counts.stray += lime(drawn, i) && !around(png, x, y, (q, j) => near(q, j, [187, 255, 0], 0)) ? 1 : 0;
          counts.head += all(png, x, y, [80, 80, 80]) && !near(drawn, i, [80, 80, 80], 3) ? 1 : 0;
          counts.ground += all(png, x, y, [20, 20, 20]) && !near(drawn, i, [20, 20, 20], 3) ? 1 : 0;
        }
      }
      results.push({ k, ...counts });
    }
    return results;
  }, { count: frameCount, box: boxOf(animation) });
  for (const result of results) {
    assert.ok(result.bones > 100, `frame ${result.k} has bones`);
    assert.deepEqual({ missing: result.missing, stray: result.stray, head: result.head, ground: result.ground },
      { missing: 0, stray: 0, head: 0, ground: 0 }, `frame ${result.k}`);
  }
  await tab.close();
});

test('lottie-web draws the styled walk within a pixel of the PNG export', async () => {
  const tab = await openPage();
  const results = await tab.evaluate(async ({ count }) => {
    const data = await (await fetch('/out/styled.json')).json();
    const player = lottie.loadAnimation({ container: document.getElementById('stage'),
      renderer: 'canvas', loop: false, autoplay: false, animationData: data,
      rendererSettings: { dpr: 1, clearCanvas: true } });
    await new Promise((resolve) => player.isLoaded ? resolve() : player.addEventListener('DOMLoaded', resolve));
    const canvas = document.querySelector('#stage canvas');
    const near = (p, i, rgb, tolerance) => rgb.every((c, n) => Math.abs(p[i + n] - c) <= tolerance);
    const colours = { orange: [255, 128, 0], blue: [0, 96, 255] };
    const ground = [160, 216, 255];
    const results = [];
    for (let k = 0; k < count; ++k) {
      player.goToAndStop(k, true);
      const drawn = window.canvasPixels(canvas);
      const png = await window.pngFrame(k, 'styled-frames');
      const around = (p, x, y, check) => {
        for (let dy = -1; dy <= 1; ++dy) {
          for (let dx = -1; dx <= 1; ++dx) {
            const nx = x + dx; const ny = y + dy;
            if (nx >= 0 && ny >= 0 && nx < 800 && ny < 600 && check(p, (ny * 800 + nx) * 4)) return true;
          }
        }
        return false;
      };
      const counts = { ground: 0 };
      for (const name of Object.keys(colours)) Object.assign(counts, { [name]: 0, [`${name}Missing`]: 0, [`${name}Stray`]: 0 });
      for (let y = 0; y < 600; ++y) {
        for (let x = 0; x < 800; ++x) {
          const i = (y * 800 + x) * 4;
          for (const [name, rgb] of Object.entries(colours)) {
            const like = (q, j) => near(q, j, rgb, 8);
            if (near(png, i, rgb, 0)) {
              counts[name] += 1;
              counts[`${name}Missing`] += around(drawn, x, y, like) ? 0 : 1;
            }
            counts[`${name}Stray`] += like(drawn, i) && !around(png, x, y, like) ? 1 : 0;
          }
          const bare = !around(png, x, y, (q, j) => !near(q, j, ground, 0));
          counts.ground += bare && !near(drawn, i, ground, 3) ? 1 : 0;
        }
      }
      results.push({ k, ...counts });
    }
    return results;
  }, { count: frameCount });
  for (const result of results) {
    assert.ok(result.orange > 1000 && result.blue > 100, `frame ${result.k} has styled bones`);
    assert.deepEqual({ orangeMissing: result.orangeMissing, orangeStray: result.orangeStray,
      blueMissing: result.blueMissing, blueStray: result.blueStray, ground: result.ground },
    { orangeMissing: 0, orangeStray: 0, blueMissing: 0, blueStray: 0, ground: 0 }, `frame ${result.k}`);
  }
  await tab.close();
});
