// The web build played in headless Chromium, for what only a browser shows.
// Two copies of DIR are served on the loopback address, /a/ and /b/ (another
// build, as far as its offline copy knows). The test plays the window play
// every platform plays and checks the logs with tests/check_logs.sh; reloads
// both copies offline and plays /a/ with a gamepad; prints the full-load
// timing (?bench=1000); lays the page out on touch screens of every shape
// and plays with two fingers on an upright phone; breaks the pictures; and
// measures the pace on simulated 90 and 144 Hz displays and a slowed CPU.
// Figures are printed, never judged, but for the pace, which must be the
// desktop's 62.5 frames a second (55 - 65 on a loaded machine).
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
const WINDOW_PLAY = ['Digit1', 'Digit2', 'Digit3', 'Digit4', 'Digit5', 'Digit6', 'Digit7', 'Digit8',
  'ArrowRight', 'Space', 'KeyC', 'KeyP', 'KeyP', 'KeyC', 'Escape'];
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
// browser's own), and how many times slower the CPU runs.
const PACES = [
  [90, 1],
  [144, 1],
  [0, 4],
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
const frames = async (page, n) => page.waitForFunction((target) => Module._finmaw_frames() >= target,
  await page.evaluate(() => Module._finmaw_frames()) + n, { timeout: 20000 });
// The first frame's time on the page's own clock, which starts at navigation.
const firstFrame = (page, timeout = 60000) => page.waitForFunction(() => window.finmawFirstFrame, null, { timeout })
  .then((t) => t.jsonValue()).then(Math.round);

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
    await bite(true).then(() => frames(page, 30));
    await bite(false).then(() => frames(page, 12));
  }
  await steer(false);
  return { moved: await state(page, 2) - x0, score: await state(page, 1) };
}

async function play({ page, url }) {
  const bodies = [];
  page.on('response', (r) => bodies.push(r.body().then((b) => [new URL(r.url()).pathname, b], () => ['', Buffer.alloc(0)])));
  await page.goto(url);
  console.log(`first frame ${await firstFrame(page)} ms after navigation (first visit)`);
  page.removeAllListeners('response');
  const files = await Promise.all(bodies);
  const kb = (f) => `${(files.reduce((n, [u, b]) => n + f(u, b).length, 0) / 1000).toFixed(1)} kB`;
  console.log(`transfer of the first visit, ${files.length} files: ${kb((u, b) => b)} uncompressed, ` +
              `${kb((u, b) => (/(\/|\.html|\.js|\.wasm)$/.test(u) ? zlib.gzipSync(b) : b))} from a host that gzips HTML, JavaScript and wasm`);

  for (const key of WINDOW_PLAY)
    await page.keyboard.press(key);
  const ended = await page.waitForFunction(() => window.finmawEnded, null, { timeout: 20000 }).then((h) => h.jsonValue());
  const after = await page.evaluate(() => Module._finmaw_frames());
  await page.waitForTimeout(200);
  check(ended.status === 0 && await page.evaluate(() => Module._finmaw_frames()) === after &&
        await page.evaluate(() => scrollY === 0) && /ended/.test(await shown(page, 'ended')),
        `Escape ends the game with status ${ended.status}, no frame runs after it, the keys scrolled nothing, and the page says so`);
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'finmaw-web-logs-'));
  for (const name of ['startup.log', 'run.log'])
    fs.writeFileSync(path.join(folder, name), await page.evaluate((n) => Module.FS.readFile(`/${n}`, { encoding: 'utf8' }), name));
  const logs = spawnSync('bash', [path.join(__dirname, '../../tests/check_logs.sh'), folder], { encoding: 'utf8' });
  check(logs.status === 0, `the logs are the ones every platform writes (tests/check_logs.sh)\n${logs.stdout}`.trim());
  fs.rmSync(folder, { recursive: true, force: true });
}

// Resolves once the page's offline copy has taken over (and dropped what
// it drops).
const activated = (page) => page.evaluate(() => navigator.serviceWorker.ready.then((reg) => reg.active.state === 'activated' ||
  new Promise((ok) => reg.active.addEventListener('statechange', (e) => e.target.state === 'activated' && ok()))));

async function offlineGamepad({ context, page, url }) {
  const other = await context.newPage();
  await other.goto(url.replace('/a/', '/b/'));
  await firstFrame(other);
  await Promise.all([page, other].map(activated));
  await context.setOffline(true);
  for (const [p, where] of [[other, '/b/'], [page, '/a/']]) {
    await p.reload();
    console.log(`first frame ${await firstFrame(p, 20000)} ms after navigation (offline, ${where})`);
    check(await p.evaluate(() => navigator.serviceWorker.controller !== null), `with the network off, ${where} reloads from its own offline copy`);
  }
  await other.close();

  // A gamepad the browser cannot map first, then one it can.
  await page.evaluate(() => {
    window.testPad = { connected: true, index: 0, id: 'Scripted pad', mapping: '', axes: [0, 0, 0, 0],
                       buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })) };
    navigator.getGamepads = () => [window.testPad];
  });
  await frames(page, 2);
  const note = await shown(page, 'padnote');
  check(/Scripted pad.*cannot use it/.test(note), `a gamepad without the standard mapping is told about: "${note}"`);
  await page.evaluate(() => { testPad.mapping = 'standard'; });
  const button = (i, down) => page.evaluate(([b, d]) => { testPad.buttons[b] = { pressed: d, touched: d, value: +d }; }, [i, down]);
  const hold = (i, n) => button(i, true).then(() => frames(page, n)).then(() => button(i, false)).then(() => frames(page, 2));
  for (const b of [2, 3, 1]) // X, Y, B: fish 1, 2, 3
    await hold(b, 2);
  const [fish, y0] = [await state(page, 0), await state(page, 3)];
  await hold(13, 10); // the d-pad down, then back up to the fish's height
  const down = await state(page, 3) - y0;
  await hold(12, 10);
  const stick = (d) => page.evaluate((v) => { testPad.axes = [v, 0, 0, 0]; }, d ? 1 : 0); // left stick right
  const got = await chase(page, stick, (d) => button(0, d)); // A
  await hold(9, 2); // Start
  const paused = await state(page, 4);
  await hold(9, 2);
  check(fish === 3 && down > 0 && got.moved > 0 && got.score > 0 && paused === 1 && await state(page, 4) === 0,
        `a gamepad spawns (${fish} fish), steers (d-pad ${down} px down, stick ${got.moved} px right), ` +
        `bites (score ${got.score}) and pauses (${paused})`);
}

async function bench({ context, page, url }) {
  await context.setOffline(false);
  await page.goto(`${url}?bench=1000`);
  const r = await page.waitForFunction(() => window.finmawBench, null, { timeout: 120000 }).then((h) => h.jsonValue());
  check(r.fish === 120 && r.frames === 1000, `full load: ${r.fish} fish over ${r.frames} frames`);
  const native = Number(process.env.FINMAW_NATIVE_FRAME_US);
  console.log(`a full-load frame in Chromium: mean ${r.frameMicros.toFixed(1)} us over ${r.frames} frames ` +
              `(presenting alone: ${r.presentMicros.toFixed(1)} us; window surface ${r.screenFormat}, sheets ${r.sheetFormat})` +
              (native > 0 ? `; ${(r.frameMicros / native).toFixed(2)}x the native BM_FrameFullLoad of ${native.toFixed(1)} us` : ''));
}

// The scene and every control inside the screen, none over another, and the
// page no wider than the screen.
async function screens({ browser, url }) {
  for (const size of SCREENS) {
    const { context, page } = await open(browser, url, { viewport: { width: size[0], height: size[1] }, deviceScaleFactor: size[2], isMobile: true, hasTouch: true });
    await firstFrame(page);
    const fit = await page.evaluate(([w, h]) => {
      const parts = [...document.querySelectorAll('#canvas, #pad, #bite, #devkeys button')].map((e) => e.getBoundingClientRect());
      const inside = (r) => r.width > 0 && r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h;
      const over = (a, b) => a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
      const scene = document.getElementById('canvas').getBoundingClientRect();
      return { scene: `${Math.round(scene.width)} x ${Math.round(scene.height)}`,
               ok: innerWidth === w && document.documentElement.scrollWidth <= w && scrollX === 0 && scrollY === 0 &&
                   [...parts, document.getElementById('full').getBoundingClientRect()].every(inside) &&
                   parts.every((a, i) => parts.every((b, j) => j <= i || !over(a, b))) };
    }, size);
    check(fit.ok, `on a ${size[0]} x ${size[1]} touch screen the scene (${fit.scene}) and every control fit unscrolled, apart`);
    if (size === SCREENS[1])
      await touchPlay(context, page).catch((e) => check(false, `touchPlay: ${e.message}`));
    await context.close();
  }
}

// Two fingers on the pad, one lifted, and a third on BITE; then an error
// the game lives through, and one that stops it.
async function touchPlay(context, page) {
  for (const k of [1, 2, 3, 1, 2, 3])
    await page.tap(`button[data-key="Digit${k}"]`);
  await frames(page, 2);
  const fish = await state(page, 0);
  const cdp = await context.newCDPSession(page);
  const [pad, bite] = [await page.$eval('#pad', (e) => e.getBoundingClientRect().toJSON()), await page.$eval('#bite', (e) => e.getBoundingClientRect().toJSON())];
  const spot = (r, dx, id) => ({ x: r.x + r.width / 2 + dx, y: r.y + r.height / 2, id });
  const spots = { pad: spot(pad, 50, 1), pad2: spot(pad, 40, 3), bite: spot(bite, 0, 2) };
  const down = {};
  // A finger goes down with every finger down listed, and up alone.
  const touch = (name, d) => {
    d ? (down[name] = spots[name]) : delete down[name];
    return cdp.send('Input.dispatchTouchEvent', d ? { type: 'touchStart', touchPoints: Object.values(down) }
                                                  : { type: 'touchEnd', touchPoints: [spots[name]] });
  };
  const steer = (d) => (d ? touch('pad', true).then(() => touch('pad2', true)).then(() => touch('pad2', false)) : touch('pad', false));
  const got = await chase(page, steer, (d) => touch('bite', d));
  // The shark steers 3 px a frame, for at least the 42 frames of one bite.
  check(fish === 6 && got.moved >= 100 && got.score > 0,
        `on an upright phone the spawn keys bring in ${fish} fish, and a finger left on the pad and one on BITE ` +
        `move the shark ${got.moved} px (100 at least) and score ${got.score}`);
  if (process.env.FINMAW_SCREENSHOT) { // with fish about and a finger on the pad
    for (const k of [4, 5, 1, 2, 3, 4])
      await page.tap(`button[data-key="Digit${k}"]`);
    await touch('pad', true).then(() => frames(page, 90));
    const bottom = await page.$eval('#devkeys', (e) => e.getBoundingClientRect().bottom + 8);
    await page.screenshot({ path: process.env.FINMAW_SCREENSHOT, clip: { x: 0, y: 0, width: SCREENS[1][0], height: bottom } });
  }

  await page.evaluate(() => setTimeout(() => { throw new Error('scripted, and the game plays on'); }));
  await page.waitForTimeout(1500);
  const quiet = await shown(page, 'status');
  await page.evaluate(() => { CanvasRenderingContext2D.prototype.putImageData = () => { throw new Error('scripted stop'); }; });
  await page.waitForFunction(() => !document.getElementById('status').hidden, null, { timeout: 5000 }).catch(() => {});
  const told = await shown(page, 'status');
  check(quiet === '' && /stopped: .*scripted stop/.test(told),
        `an error the game lives through shows nothing ("${quiet}"), one that stops it shows what happened: "${told}"`);
}

// Pictures the page cannot use: it says which file and why, and writes none.
async function brokenPictures({ browser, url }) {
  const pack = zlib.gunzipSync(fs.readFileSync(path.join(dir, 'finmaw.pics')));
  const cases = [
    ['a pack cut short', (page) => page.route('**/finmaw.pics', (r) => r.fulfill({ body: pack.subarray(0, pack.length >> 1) })), /finmaw\.pics.*cut short/],
    ['no DecompressionStream', (page) => page.addInitScript(() => { delete window.DecompressionStream; }), /DecompressionStream.*finmaw\.pics/],
  ];
  for (const [what, spoil, says] of cases) {
    const { context, page } = await open(browser, url, {}, spoil);
    await page.waitForFunction(() => !/Loading/.test(document.getElementById('status').textContent) ||
                               window.finmawEnded !== undefined, null, { timeout: 30000 });
    const text = await shown(page, 'status');
    const written = await page.evaluate(() => Module.FS.readdir('/').filter((n) => n.endsWith('.bmp')).length);
    check(says.test(text) && written === 0, `with ${what} the page says "${text}", and ${written} pictures are written`);
    await context.close();
  }
}

// Frames a second over 5 s, after a second to settle.
async function pace({ browser, url }) {
  for (const [hz, slower] of PACES) {
    // The display's refresh from a timer, kept on time by its due times.
    const { context, page } = await open(browser, url, {}, (p) => hz && p.addInitScript((period) => {
      const waiting = [];
      const tick = (due) => {
        waiting.splice(0).forEach((f) => f(performance.now()));
        setTimeout(tick, due + period - performance.now(), due + period);
      };
      window.requestAnimationFrame = (f) => waiting.push(f);
      tick(performance.now());
    }, 1000 / hz));
    await firstFrame(page);
    await (await context.newCDPSession(page)).send('Emulation.setCPUThrottlingRate', { rate: slower });
    const fps = await page.evaluate(() => new Promise((done) => setTimeout(() => {
      const [f0, t0] = [Module._finmaw_frames(), performance.now()];
      setTimeout(() => done((Module._finmaw_frames() - f0) * 1000 / (performance.now() - t0)), 5000);
    }, 1000)));
    check(fps >= 55 && fps <= 65, `pace on ${hz ? `a ${hz} Hz display` : `the CPU slowed ${slower}x`}: ${fps.toFixed(1)} frames a second (the desktop's 62.5)`);
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
  fs.writeFileSync(sw, fs.readFileSync(sw, 'utf8').replace(/[0-9a-f]{16}/, (v) => [...v].reverse().join('')));
  const server = await start(root, 0);
  const url = `http://127.0.0.1:${server.address().port}/a/`;
  // This machine has no network beyond the loopback: keep the browser from
  // trying to reach its services.
  const browser = await chromium.launch({ executablePath: process.env.FINMAW_CHROMIUM || '/usr/bin/chromium', headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'] });
  // Shorter than the page, so that a key that scrolled would show.
  const context = await browser.newContext({ viewport: { width: 1000, height: 450 } });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  page.on('console', (m) => m.type() === 'error' && errors.push(m.text()));
  // Each step gets the browser, the first page, its context and /a/'s address.
  for (const step of [play, offlineGamepad, bench, screens, brokenPictures, pace])
    await step({ browser, context, page, url }).catch((e) => check(false, `${step.name}: ${e.message}`));
  check(errors.length === 0, `no error on the page${errors.length ? ': ' + errors.join(' | ') : ''}`);
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
