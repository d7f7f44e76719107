// The web build played in headless Chromium, for what only a browser shows.
// Two copies of DIR are served on the loopback address, /a/ and /b/ (another
// build, as far as its offline copy knows). The test plays the window play
// every platform plays and checks the logs with tests/check_logs.sh; reloads
// both copies offline, checks which old caches /b/ drops, and plays /a/ with
// a gamepad; prints the full-load timing (?bench=1000); lays the page out on
// touch screens of every shape and plays with two fingers on the pad of an
// upright phone; breaks the pictures; and measures the pace on simulated 90
// and 144 Hz displays, a 60 Hz one that misses animation frames, and a
// slowed CPU. Figures are printed, never judged, but for the pace, which
// must be the desktop's 62.5 frames a second (60 - 65 on a loaded machine).
//
//   node browser-test.cjs DIR     (playwright-core on NODE_PATH)
//   FINMAW_CHROMIUM overrides the browser (default /usr/bin/chromium).
//   FINMAW_NATIVE_FRAME_US, the native BM_FrameFullLoad time, adds the ratio.
//   FINMAW_SCREENSHOT=FILE saves the upright phone's page there.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const { spawnSync } = require('child_process');
const { chromium } = require('playwright-core');
const { start } = require('./serve.cjs');

const dir = process.argv[2];
// The window play of tests/window_play.sh, key for key.
const WINDOW_PLAY = [
  'Digit1', 'Digit2', 'Digit3', 'Digit4', 'Digit5', 'Digit6', 'Digit7', 'Digit8',
  'ArrowRight', 'Space', 'KeyC', 'KeyP', 'KeyP', 'KeyC', 'Escape',
];
// Touch screens: width, height, device pixels per CSS pixel. The second is
// played on.
const SCREENS = [
  [844, 390, 3],
  [390, 844, 3],
  [360, 780, 3],
  [820, 1180, 2],
  [1180, 820, 2],
];
// Displays for the pace: animation frames a second from a timer (0: the
// browser's own), one in how many of them is missed (0: none), and how many
// times slower the CPU runs.
const PACES = [
  [90, 0, 1],
  [144, 0, 1],
  [60, 5, 1],
  [0, 0, 4],
];

// This machine has no network beyond the loopback: keep the browser from
// trying to reach its services.
const CHROMIUM_ARGS = [
  '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];

const tally = { passed: 0, failed: 0 };
function check(ok, what) {
  tally[ok ? 'passed' : 'failed']++;
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
}

const state = (page, what) => page.evaluate((w) => Module._finmaw_state(w), what);
// The text of the element with that id, if it is shown.
const shown = (page, id) => page.$eval(`#${id}`, (e) => (e.hidden ? '' : e.textContent));
// Waits until the game has run n more frames than now.
async function frames(page, n) {
  const now = await page.evaluate(() => Module._finmaw_frames());
  await page.waitForFunction((t) => Module._finmaw_frames() >= t, now + n, { timeout: 20000 });
}
// Waits for what the page sets on window under that name, and returns it.
async function windowValue(page, name, timeout) {
  const handle = await page.waitForFunction((n) => window[n], name, { timeout });
  return handle.jsonValue();
}
// The first frame's time on the page's own clock, which starts at navigation.
async function firstFrame(page, timeout = 60000) {
  return Math.round(await windowValue(page, 'finmawFirstFrame', timeout));
}

// A new page at url, made ready with prepare(page) before it loads.
async function open(browser, url, options, prepare) {
  const context = await browser.newContext(options);
  const page = await context.newPage();
  await prepare?.(page);
  await page.goto(url);
  return { context, page };
}

// Steers right and bites (30 frames on, 12 off) until the score rises, with
// steer(down) and bite(down). Fish 1 - 3 spawn at the shark's height.
async function chase(page, steer, bite) {
  const x0 = await state(page, 2);
  await steer(true);
  for (let i = 0; i < 25 && await state(page, 1) === 0; i++) {
    await bite(true);
    await frames(page, 30);
    await bite(false);
    await frames(page, 12);
  }
  await steer(false);
  return { moved: await state(page, 2) - x0, score: await state(page, 1) };
}

// The bytes a host that gzips HTML, JavaScript and wasm sends for a file.
const served = (url, body) => (/(\/|\.html|\.js|\.wasm)$/.test(url) ? zlib.gzipSync(body) : body);

async function play({ page, url }) {
  const bodies = [];
  page.on('response', (r) => {
    const name = new URL(r.url()).pathname;
    bodies.push(r.body().then((b) => [name, b], () => ['', Buffer.alloc(0)]));
  });
  await page.goto(url);
  console.log(`first frame ${await firstFrame(page)} ms after navigation (first visit)`);
  page.removeAllListeners('response');
  const files = await Promise.all(bodies);
  const kb = (f) => `${(files.reduce((n, [u, b]) => n + f(u, b).length, 0) / 1000).toFixed(1)} kB`;
  console.log(`transfer of the first visit, ${files.length} files: ${kb((u, b) => b)} ` +
              `uncompressed, ${kb(served)} from a host that gzips HTML, JavaScript and wasm`);

  for (const key of WINDOW_PLAY)
    await page.keyboard.press(key);
  const ended = await windowValue(page, 'finmawEnded', 20000);
  const after = await page.evaluate(() => Module._finmaw_frames());
  await page.waitForTimeout(200);
  const still = await page.evaluate(() => Module._finmaw_frames()) === after;
  const unscrolled = await page.evaluate(() => scrollY === 0);
  const told = /ended/.test(await shown(page, 'ended'));
  check(ended.status === 0 && still && unscrolled && told,
        `Escape ends the game (${ended.status}): no frame after it, no scroll, the page says so`);
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'finmaw-web-logs-'));
  for (const name of ['startup.log', 'run.log']) {
    const read = (n) => Module.FS.readFile(`/${n}`, { encoding: 'utf8' });
    fs.writeFileSync(path.join(folder, name), await page.evaluate(read, name));
  }
  const script = path.join(__dirname, '../../tests/check_logs.sh');
  const logs = spawnSync('bash', [script, folder], { encoding: 'utf8' });
  const said = `\n${logs.stdout}`.trimEnd();
  check(logs.status === 0, `the logs are the ones every platform writes (check_logs.sh)${said}`);
  fs.rmSync(folder, { recursive: true, force: true });
}

// Resolves once the page's offline copy has taken over (and dropped what
// it drops).
const activated = (page) => page.evaluate(async () => {
  const worker = (await navigator.serviceWorker.ready).active;
  while (worker.state !== 'activated')
    await new Promise((ok) => worker.addEventListener('statechange', ok, { once: true }));
});

// Caches named as builds before the copies' own names named them: one of
// /b/'s, which its worker drops, and another app's, which stays.
const OLD_CACHES = [['finmaw-0123456789abcdef', '/b/'], ['finmaw-fedcba9876543210', '/app/']];

async function offlineGamepad({ context, page, url }) {
  await page.evaluate(async (old) => {
    for (const [name, where] of old) {
      const cache = await caches.open(name);
      await cache.put(where, new Response('old'));
      await cache.put(`${where}finmaw.js`, new Response('old'));
    }
  }, OLD_CACHES);
  const other = await context.newPage();
  await other.goto(url.replace('/a/', '/b/'));
  await firstFrame(other);
  await activated(page);
  await activated(other);
  const left = await page.evaluate(() => caches.keys());
  const kept = OLD_CACHES.filter(([name]) => left.includes(name)).map(([, where]) => where);
  check(kept.join() === '/app/', `of the old-named caches /b/ dropped its own and kept ${kept}`);
  await context.setOffline(true);
  for (const [p, where] of [[other, '/b/'], [page, '/a/']]) {
    await p.reload();
    const ms = await firstFrame(p, 20000);
    console.log(`first frame ${ms} ms after navigation (offline, ${where})`);
    const controlled = await p.evaluate(() => navigator.serviceWorker.controller !== null);
    check(controlled, `with the network off, ${where} reloads from its own offline copy`);
  }
  await other.close();

  // A gamepad the browser cannot map first, then one it can.
  await page.evaluate(() => {
    const buttons = Array.from({ length: 17 }, () => ({ pressed: false, value: 0 }));
    const axes = [0, 0, 0, 0];
    window.testPad = { connected: true, index: 0, id: 'Scripted pad', mapping: '', axes, buttons };
    navigator.getGamepads = () => [window.testPad];
  });
  await frames(page, 2);
  const note = await shown(page, 'padnote');
  check(/Scripted pad.*cannot use it/.test(note), `an unmapped gamepad is told about: "${note}"`);
  await page.evaluate(() => (testPad.mapping = 'standard'));
  const button = (i, down) => page.evaluate(([b, d]) => {
    testPad.buttons[b] = { pressed: d, touched: d, value: Number(d) };
  }, [i, down]);
  const hold = async (i, n) => {
    await button(i, true);
    await frames(page, n);
    await button(i, false);
    await frames(page, 2);
  };
  for (const b of [2, 3, 1]) // X, Y, B: fish 1, 2, 3
    await hold(b, 2);
  const fish = await state(page, 0);
  const y0 = await state(page, 3);
  await hold(13, 10); // the d-pad down, then back up to the fish's height
  const down = await state(page, 3) - y0;
  await hold(12, 10);
  const stick = (d) => page.evaluate((v) => (testPad.axes = [v, 0, 0, 0]), Number(d)); // right
  const got = await chase(page, stick, (d) => button(0, d)); // A
  await hold(9, 2); // Start
  const paused = await state(page, 4);
  await hold(9, 2);
  const resumed = await state(page, 4) === 0;
  check(fish === 3 && down > 0 && got.moved > 0 && got.score > 0 && paused === 1 && resumed,
        `a gamepad spawns ${fish} fish, steers (d-pad ${down} px down, stick ${got.moved} px ` +
        `right), bites (score ${got.score}) and pauses (${paused})`);
}

async function bench({ context, page, url }) {
  await context.setOffline(false);
  await page.goto(`${url}?bench=1000`);
  const r = await windowValue(page, 'finmawBench', 120000);
  check(r.fish === 120 && r.frames === 1000, `full load: ${r.fish} fish over ${r.frames} frames`);
  const native = Number(process.env.FINMAW_NATIVE_FRAME_US);
  const times = `${(r.frameMicros / native).toFixed(2)}x`;
  const ratio = native > 0 ? `; ${times} the native BM_FrameFullLoad of ${native} us` : '';
  console.log(`a full-load frame in Chromium: mean ${r.frameMicros.toFixed(1)} us over ` +
              `${r.frames} frames (presenting alone: ${r.presentMicros.toFixed(1)} us; ` +
              `window surface ${r.screenFormat}, sheets ${r.sheetFormat})${ratio}`);
}

// Whether the scene and every control lie inside a w x h screen, none over
// another, with the page no wider than the screen; run in the page.
function fits([w, h]) {
  const controls = '#canvas, #pad, #bite, #devkeys button';
  const parts = [...document.querySelectorAll(controls)].map((e) => e.getBoundingClientRect());
  const inside = (r) => r.width > 0 && r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h;
  const over = (a, b) =>
    a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
  const apart = parts.every((a, i) => parts.every((b, j) => j <= i || !over(a, b)));
  const full = document.getElementById('full').getBoundingClientRect();
  const scene = document.getElementById('canvas').getBoundingClientRect();
  const unscrolled = scrollX === 0 && scrollY === 0;
  const narrow = innerWidth === w && document.documentElement.scrollWidth <= w;
  return {
    scene: `${Math.round(scene.width)} x ${Math.round(scene.height)}`,
    ok: narrow && unscrolled && [...parts, full].every(inside) && apart,
  };
}

async function screens({ browser, url }) {
  for (const size of SCREENS) {
    const viewport = { width: size[0], height: size[1] };
    const options = { viewport, deviceScaleFactor: size[2], isMobile: true, hasTouch: true };
    const { context, page } = await open(browser, url, options);
    await firstFrame(page);
    const fit = await page.evaluate(fits, size);
    check(fit.ok, `on a ${size[0]} x ${size[1]} screen the scene (${fit.scene}) and controls fit`);
    if (size === SCREENS[1])
      await touchPlay(context, page).catch((e) => check(false, `touchPlay: ${e.message}`));
    await context.close();
  }
}

// The middle of the element with that id, dx to the right, as finger n.
async function spot(page, id, dx, n) {
  const r = await page.$eval(`#${id}`, (e) => e.getBoundingClientRect().toJSON());
  return { x: r.x + r.width / 2 + dx, y: r.y + r.height / 2, id: n };
}

// A finger on each side of the pad, the right one down last, and the left
// one sliding: the last to touch steers. A third finger on BITE. Then an
// error the game lives through, and one that stops it.
async function touchPlay(context, page) {
  for (const k of [1, 2, 3, 1, 2, 3])
    await page.tap(`button[data-key="Digit${k}"]`);
  await frames(page, 2);
  const fish = await state(page, 0);
  const cdp = await context.newCDPSession(page);
  // The fingers listed go down, move or lift (none listed: every finger).
  const send = (type, touchPoints) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints });
  const left = await spot(page, 'pad', -50, 1);
  const slid = { ...left, x: left.x + 6 };
  const right = await spot(page, 'pad', 50, 2);
  const bite = await spot(page, 'bite', 0, 3);
  const steer = async (d) => {
    if (!d)
      return send('touchEnd', []);
    await send('touchStart', [left]);
    await send('touchStart', [right]);
    await send('touchMove', [slid]);
  };
  const got = await chase(page, steer, (d) => send(d ? 'touchStart' : 'touchEnd', [bite]));
  // The shark steers 3 px a frame, for at least the 42 frames of one bite.
  check(fish === 6 && got.moved >= 100 && got.score > 0,
        `upright phone: ${fish} fish; the last finger on the pad steers the shark ` +
        `${got.moved} px right (100 at least), while the first slides; BITE scores ${got.score}`);
  if (process.env.FINMAW_SCREENSHOT) { // with fish about and a finger on the pad
    for (const k of [4, 5, 1, 2, 3, 4])
      await page.tap(`button[data-key="Digit${k}"]`);
    await send('touchStart', [right]);
    await frames(page, 90);
    const bottom = await page.$eval('#devkeys', (e) => e.getBoundingClientRect().bottom + 8);
    const clip = { x: 0, y: 0, width: SCREENS[1][0], height: bottom };
    await page.screenshot({ path: process.env.FINMAW_SCREENSHOT, clip });
  }

  await page.evaluate(() => setTimeout(() => {
    throw new Error('scripted, and the game plays on');
  }));
  await page.waitForTimeout(1500);
  const quiet = await shown(page, 'status');
  await page.evaluate(() => {
    CanvasRenderingContext2D.prototype.putImageData = () => {
      throw new Error('scripted stop');
    };
  });
  const status = () => !document.getElementById('status').hidden;
  await page.waitForFunction(status, null, { timeout: 5000 }).catch(() => {});
  const told = await shown(page, 'status');
  check(quiet === '' && /stopped: .*scripted stop/.test(told),
        `an error the game lives through shows "${quiet}", one that stops it "${told}"`);
}

// Pictures the page cannot use: it says which file and why, and writes none.
async function brokenPictures({ browser, url }) {
  const pack = zlib.gunzipSync(fs.readFileSync(path.join(dir, 'finmaw.pics')));
  // Every picture, then a file named "..": one byte long.
  const dotdot = Buffer.concat([pack, Buffer.from([2, 46, 46, 1, 0, 0, 0, 0])]);
  const serve = (body) => (page) => page.route('**/finmaw.pics', (r) => r.fulfill({ body }));
  const noInflate = (page) => page.addInitScript(() => delete window.DecompressionStream);
  const cases = [
    ['a pack cut short', serve(pack.subarray(0, pack.length >> 1)), /finmaw\.pics is damaged/],
    ['a file named ".." in the pack', serve(dotdot), /finmaw\.pics is damaged/],
    ['no DecompressionStream', noInflate, /DecompressionStream.*finmaw\.pics/],
  ];
  const settled = () => !/Loading/.test(document.getElementById('status').textContent) ||
                        window.finmawEnded !== undefined;
  for (const [what, spoil, says] of cases) {
    const { context, page } = await open(browser, url, {}, spoil);
    await page.waitForFunction(settled, null, { timeout: 30000 });
    const text = await shown(page, 'status');
    const bmp = (names) => names.filter((n) => n.endsWith('.bmp')).length;
    const written = await page.evaluate(() => Module.FS.readdir('/')).then(bmp);
    check(says.test(text) && written === 0, `with ${what}: "${text}", ${written} pictures written`);
    await context.close();
  }
}

// In the page before it loads: animation frames from a timer at hz, kept on
// time by their due times, with one in missed (if not 0) not coming.
function display([hz, missed]) {
  const period = 1000 / hz;
  const waiting = [];
  let count = 0;
  const tick = (due) => {
    count++;
    if (missed === 0 || count % missed !== 0) {
      const now = performance.now();
      waiting.splice(0).forEach((f) => f(now));
    }
    setTimeout(tick, due + period - performance.now(), due + period);
  };
  window.requestAnimationFrame = (f) => waiting.push(f);
  tick(performance.now());
}

// Frames a second over 5 s, after a second to settle.
function measure() {
  return new Promise((done) => setTimeout(() => {
    const f0 = Module._finmaw_frames();
    const t0 = performance.now();
    setTimeout(() => done((Module._finmaw_frames() - f0) * 1000 / (performance.now() - t0)), 5000);
  }, 1000));
}

async function pace({ browser, url }) {
  for (const [hz, missed, slower] of PACES) {
    const prepare = (p) => (hz ? p.addInitScript(display, [hz, missed]) : null);
    const { context, page } = await open(browser, url, {}, prepare);
    await firstFrame(page);
    const cdp = await context.newCDPSession(page);
    await cdp.send('Emulation.setCPUThrottlingRate', { rate: slower });
    const fps = await page.evaluate(measure);
    const skips = missed ? `, one animation frame in ${missed} missed` : '';
    const on = hz ? `a ${hz} Hz display${skips}` : `the CPU slowed ${slower}x`;
    check(fps >= 60 && fps <= 65, `pace on ${on}: ${fps.toFixed(1)} frames a second (62.5)`);
    await context.close();
  }
}

async function main() {
  if (!dir)
    throw new Error('usage: browser-test.cjs DIR');
  // /b/ is another build as its worker sees it: another version.
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'finmaw-web-copies-'));
  fs.symlinkSync(path.resolve(dir), path.join(root, 'a'));
  fs.cpSync(dir, path.join(root, 'b'), { recursive: true });
  const sw = path.join(root, 'b', 'sw.js');
  const reversed = (v) => [...v].reverse().join('');
  fs.writeFileSync(sw, fs.readFileSync(sw, 'utf8').replace(/[0-9a-f]{16}/, reversed));
  const server = await start(root, 0);
  const url = `http://127.0.0.1:${server.address().port}/a/`;
  const executablePath = process.env.FINMAW_CHROMIUM || '/usr/bin/chromium';
  const browser = await chromium.launch({ executablePath, headless: true, args: CHROMIUM_ARGS });
  // Shorter than the page, so that a key that scrolled would show.
  const context = await browser.newContext({ viewport: { width: 1000, height: 450 } });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  page.on('console', (m) => {
    if (m.type() === 'error')
      errors.push(m.text());
  });
  // Each step gets the browser, the first page, its context and /a/'s address.
  for (const step of [play, offlineGamepad, bench, screens, brokenPictures, pace]) {
    const failed = (e) => check(false, `${step.name}: ${e.message}`);
    await step({ browser, context, page, url }).catch(failed);
  }
  check(errors.length === 0, `no error on the page${errors.map((e) => ` | ${e}`).join('')}`);
  await browser.close();
  server.close();
  fs.rmSync(root, { recursive: true, force: true });
  console.log(`${tally.passed} passed, ${tally.failed} failed`);
  process.exit(tally.failed ? 1 : 0);
}

main().catch((e) => {
  console.error(`browser-test: ${e.stack || e}`);
  process.exit(1);
});
