// The web build played in headless Chromium: serves DIR on the loopback
// address, opens the page, plays a short game with the keyboard, checks the
// canvas and both log files, reloads offline and plays with a gamepad, times
// Game_Frame at full load (?bench=1000), then plays on a phone-sized touch
// screen. Figures are printed, never judged.
//
//   node browser-test.cjs DIR     (playwright-core on NODE_PATH)
//   FINMAW_CHROMIUM overrides the browser (default /usr/bin/chromium).
//   FINMAW_NATIVE_FRAME_US, the native BM_FrameFullLoad time, adds the ratio.
//   FINMAW_SCREENSHOT=FILE saves the phone-sized page there.
'use strict';
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { chromium } = require('playwright-core');
const { start } = require('./serve.cjs');

const dir = process.argv[2];
const browserPath = process.env.FINMAW_CHROMIUM || '/usr/bin/chromium';
const BENCH_FRAMES = 1000;

let failures = 0;
let passes = 0;
function check(ok, what) {
  if (ok) {
    passes++;
    console.log(`ok   ${what}`);
  } else {
    failures++;
    console.log(`FAIL ${what}`);
  }
  return ok;
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Waits until the game has run n more frames than now.
async function frames(page, n) {
  const now = await page.evaluate(() => Module._finmaw_frames());
  await page.waitForFunction((target) => Module._finmaw_frames() >= target, now + n,
                             { timeout: 20000 });
}

const state = (page, what) => page.evaluate((w) => Module._finmaw_state(w), what);
// The page's own clock starts at navigation.
async function firstFrame(page) {
  await page.waitForFunction(() => window.finmawFirstFrame !== undefined, null, { timeout: 60000 });
  return Math.round(await page.evaluate(() => window.finmawFirstFrame));
}

// Steers right and bites (30 frames on, 12 off) until the score rises, with
// steer(down) and bite(down). Fish 1 - 3 spawn at the shark's height.
async function chase(page, steer, bite) {
  const x0 = await state(page, 2);
  await steer(true);
  for (let i = 0; i < 25 && await state(page, 1) === 0; i++)
    for (const [d, n] of [[true, 30], [false, 12]]) { await bite(d); await frames(page, n); }
  await steer(false);
  return { moved: await state(page, 2) - x0, score: await state(page, 1) };
}

// Counts of the canvas's pixels: all, black, pure red, and distinct colours.
function canvasStats(page) {
  return page.evaluate(() => {
    const c = document.getElementById('canvas');
    const data = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let black = 0, red = 0;
    const colours = new Set();
    for (let i = 0; i < data.length; i += 4) {
      const r = data[i], g = data[i + 1], b = data[i + 2];
      if (r === 0 && g === 0 && b === 0) black++;
      else if (r === 255 && g === 0 && b === 0) red++;
      if (colours.size < 5000) colours.add((r << 16) | (g << 8) | b);
    }
    return { w: c.width, h: c.height, all: data.length / 4, black, red, colours: colours.size };
  });
}

// The last line of a log that is not a DEBUG line.
function lastLine(text) {
  const lines = text.split('\n').filter((l) => l !== '' && !l.startsWith('DEBUG '));
  return lines.length ? lines[lines.length - 1] : '';
}

function inOrder(text, parts) {
  let at = 0;
  for (const p of parts) {
    const i = text.indexOf(p, at);
    if (i < 0) return false;
    at = i + p.length;
  }
  return true;
}

async function play(page, url) {
  const bodies = [], onResponse = (r) => bodies.push(r.body().then((b) => [r.url(), b], () => [r.url(), Buffer.alloc(0)]));
  page.on('response', onResponse);
  await page.goto(url);
  // The game's functions may be called only once the runtime is up.
  await page.waitForFunction(() => window.finmawReady === true && Module._finmaw_frames() > 0,
                             null, { timeout: 60000 });
  console.log(`first frame ${await firstFrame(page)} ms after navigation (first visit)`);
  page.off('response', onResponse);
  const files = await Promise.all(bodies);
  const kb = (f) => `${(files.reduce((n, [u, b]) => n + f(new URL(u).pathname, b).length, 0) / 1000).toFixed(1)} kB`;
  console.log(`transfer of the first visit, ${files.length} files: ${kb((u, b) => b)} uncompressed, ` +
              `${kb((u, b) => (/(\/|\.html|\.js|\.wasm)$/.test(u) ? zlib.gzipSync(b) : b))} from a host that gzips HTML, JavaScript and wasm`);
  check(await page.evaluate(() => [...document.querySelectorAll('.touch')].every((e) => e.offsetParent === null)),
        'a screen without touch shows no touch controls');

  check(await page.evaluate(() => document.activeElement && document.activeElement.id === 'canvas'),
        'the canvas has the keyboard focus on load');
  const size = await page.evaluate(() => {
    const r = document.getElementById('canvas').getBoundingClientRect();
    return { w: r.width, h: r.height };
  });
  check(size.w === 800 && size.h === 400, `the canvas is shown at 1:1 (${size.w} x ${size.h})`);
  check(await page.evaluate(() => document.getElementById('status').hidden),
        'the loading indicator is gone');
  check(await page.evaluate(() => /Space/.test(document.getElementById('keys').textContent)),
        'the key legend is under the canvas');

  for (let k = 1; k <= 8; k++)
    await page.keyboard.press(`Digit${k}`);
  await page.keyboard.down('ArrowRight');
  await frames(page, 20);
  await page.keyboard.up('ArrowRight');
  await page.keyboard.down('Space');
  await frames(page, 3);
  await page.keyboard.up('Space');
  await frames(page, 3);
  check(await page.evaluate(() => window.scrollY === 0 && window.scrollX === 0),
        'arrows and Space do not scroll the page');

  const scene = await canvasStats(page);
  check(scene.w === 800 && scene.h === 400, `the canvas holds 800 x 400 pixels (${scene.w} x ${scene.h})`);
  check(scene.colours > 16 && scene.black < scene.all,
        `the scene is drawn (${scene.colours} colours, ${scene.black} black pixels)`);

  await page.keyboard.press('KeyC');
  await frames(page, 3);
  const boxes = await canvasStats(page);
  check(boxes.red > 0 && boxes.black + boxes.red === boxes.all,
        `the hitbox view is red boxes on black (${boxes.red} red, ${boxes.black} black, ` +
        `${boxes.all - boxes.red - boxes.black} other)`);
  await page.keyboard.press('KeyC');
  await frames(page, 3);
  const back = await canvasStats(page);
  check(back.colours > 16, `the scene is back after a second C (${back.colours} colours)`);

  await page.keyboard.press('KeyP');
  await frames(page, 5);
  await page.keyboard.press('KeyP');
  await frames(page, 5);

  await page.keyboard.press('Escape');
  await page.waitForFunction(() => window.finmawEnded !== undefined, null, { timeout: 20000 });
  const status = await page.evaluate(() => window.finmawEnded.status);
  check(status === 0, `Escape ends the game with status 0 (${status})`);
  const ended = await page.evaluate(() => {
    const p = document.getElementById('ended');
    return p.hidden ? '' : p.textContent;
  });
  check(/ended/.test(ended) && /[Rr]eload/.test(ended), `the page says the game has ended: "${ended}"`);
  const after = await page.evaluate(() => Module._finmaw_frames());
  await sleep(200);
  check(await page.evaluate(() => Module._finmaw_frames()) === after, 'no frame runs after the end');

  const logs = await page.evaluate(() => ({
    startup: Module.FS.readFile('/startup.log', { encoding: 'utf8' }),
    run: Module.FS.readFile('/run.log', { encoding: 'utf8' }),
  }));
  // The start-up log every platform writes, with the source line and errno masked.
  const golden = fs.readFileSync(path.join(__dirname, '../../tests/golden/startup.log'), 'utf8')
    .split('\n').filter((l) => !l.startsWith('#')).join('\n');
  const masked = logs.startup.split('\n').filter((l) => !l.startsWith('DEBUG '))
    .map((l) => l.replace(/\(\):\d+:/, '():_:').replace(/errno: \w+\)/, 'errno: _)')).join('\n');
  if (!check(masked === golden, 'startup.log is the expected one (tests/golden/startup.log)')) console.log(masked);
  check(inOrder(logs.run, ['Starting up...', 'Score: 0', 'Score: ', 'Quit message recieved.',
                           'Successfully reached end of execution.', 'Closing down systems.',
                           'Cleaning resources...', 'All cleaning done.']),
        'run.log has the run, the pause, the quit and the shutdown in order');
  check(lastLine(logs.run).endsWith('All cleaning done.'),
        `run.log ends with "All cleaning done." (${lastLine(logs.run)})`);
  check(!/\[ERROR\]/.test(logs.startup + logs.run), 'no ERROR line in either log');

  // The page's own links hand out the same files.
  for (const [name, text] of [['startup.log', logs.startup], ['run.log', logs.run]]) {
    const [download] = await Promise.all([
      page.waitForEvent('download', { timeout: 10000 }),
      page.click(`a[data-log="${name}"]`),
    ]);
    const saved = fs.readFileSync(await download.path(), 'utf8');
    check(download.suggestedFilename() === name && saved === text,
          `the page's ${name} link downloads the log (${saved.length} bytes)`);
  }
  return logs;
}

async function offlineGamepad(context, page) {
  await page.evaluate(() => navigator.serviceWorker.ready.then(() => true));
  await context.setOffline(true);
  await page.reload();
  console.log(`first frame ${await firstFrame(page)} ms after navigation (offline)`);
  check(await page.evaluate(() => navigator.serviceWorker.controller !== null),
        'with the network off, a reload reaches the first frame from the offline copy');

  await page.evaluate(() => {
    window.testPad = { connected: true, index: 0, id: 'scripted', mapping: 'standard', axes: [0, 0, 0, 0],
                       buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })) };
    navigator.getGamepads = () => [window.testPad];
  });
  const button = (i, down) => page.evaluate(([b, d]) => { testPad.buttons[b] = { pressed: d, touched: d, value: +d }; }, [i, down]);
  const tap = async (i) => { await button(i, true); await frames(page, 2); await button(i, false); await frames(page, 2); };
  for (const b of [2, 3, 1]) await tap(b); // X, Y, B: fish 1, 2, 3
  const [fish, y0] = [await state(page, 0), await state(page, 3)];
  const dpad = async (b) => { await button(b, true).then(() => frames(page, 10)); await button(b, false); return state(page, 3); };
  const down = await dpad(13) - y0; // down, then back up to the fish's height
  await dpad(12);
  const stick = (d) => page.evaluate((v) => { testPad.axes = [v, 0, 0, 0]; }, d ? 1 : 0); // left stick right
  const got = await chase(page, stick, (d) => button(0, d)); // A
  await tap(9);
  const paused = await state(page, 4);
  await tap(9);
  check(fish === 3 && down > 0 && got.moved > 0 && got.score > 0 && paused === 1 && await state(page, 4) === 0,
        `a gamepad spawns (${fish} fish), steers (d-pad ${down} px down, stick ${got.moved} px right), ` +
        `bites (score ${got.score}) and pauses (${paused})`);
  await context.setOffline(false);
}

async function touchPlay(browser, url) {
  const context = await browser.newContext({ viewport: { width: 844, height: 390 }, deviceScaleFactor: 3,
                                             isMobile: true, hasTouch: true });
  const page = await context.newPage();
  await page.goto(url);
  await firstFrame(page);
  const at = (sel, dx = 0) => page.evaluate(([s, d]) => {
    const r = document.querySelector(s).getBoundingClientRect();
    return { x: r.left + r.width / 2 + d, y: r.top + r.height / 2, bottom: r.bottom, scale: r.width * devicePixelRatio / 800,
             fits: r.width > 0 && r.left >= 0 && r.top >= 0 && r.right <= innerWidth && r.bottom <= innerHeight };
  }, [sel, dx]);
  const boxes = await Promise.all(['#canvas', '#pad', '#bite', '#devkeys', '#full'].map((s) => at(s)));
  check(boxes.every((b) => b.fits) && Math.abs(boxes[0].scale - Math.round(boxes[0].scale)) < 0.01 &&
        await page.evaluate(() => scrollX === 0 && scrollY === 0),
        `on an 844 x 390 touch screen the scene (${boxes[0].scale.toFixed(2)} device pixels a pixel) and the controls fit unscrolled`);

  for (const k of [1, 2, 3, 1, 2, 3]) await page.tap(`button[data-key="Digit${k}"]`);
  await frames(page, 2);
  const fish = await state(page, 0);
  // Two fingers: 1 holds the pad's right side, 2 presses and lifts BITE.
  const cdp = await context.newCDPSession(page);
  const spots = { pad: { ...await at('#pad', 50), id: 1 }, bite: { ...await at('#bite'), id: 2 } };
  const down = {};
  // A finger goes down with every finger down listed, and up alone.
  const touch = (name, d) => {
    if (d) down[name] = spots[name]; else delete down[name];
    return cdp.send('Input.dispatchTouchEvent', d ? { type: 'touchStart', touchPoints: Object.values(down) }
                                                  : { type: 'touchEnd', touchPoints: [spots[name]] });
  };
  const got = await chase(page, (d) => touch('pad', d), (d) => touch('bite', d));
  check(fish === 6 && got.moved > 0 && got.score > 0,
        `on a touch screen the spawn keys bring in ${fish} fish, and steering and biting at once move the shark ` +
        `${got.moved} px and score ${got.score}`);
  if (process.env.FINMAW_SCREENSHOT) { // with fish about and a finger on the pad
    for (const k of [4, 5, 1, 2, 3, 4]) await page.tap(`button[data-key="Digit${k}"]`);
    await touch('pad', true).then(() => frames(page, 90));
    await page.screenshot({ path: process.env.FINMAW_SCREENSHOT, clip: { x: 0, y: 0, width: 844, height: boxes[3].bottom + 4 } });
  }
  await context.close();
}

async function bench(page, url) {
  await page.goto(`${url}?bench=${BENCH_FRAMES}`);
  await page.waitForFunction(() => window.finmawBench !== undefined, null, { timeout: 120000 });
  const r = await page.evaluate(() => window.finmawBench);
  check(r.fish === 120 && r.frames === BENCH_FRAMES, `full load: ${r.fish} fish over ${r.frames} frames`);
  console.log(`Game_Frame at full load in Chromium: mean ${r.frameMicros.toFixed(1)} us per frame ` +
              `over ${r.frames} frames (of which presenting on the canvas: ${r.presentMicros.toFixed(1)} us; ` +
              `window surface ${r.screenFormat}, sheets ${r.sheetFormat})`);
  const native = Number(process.env.FINMAW_NATIVE_FRAME_US);
  if (native > 0)
    console.log(`against the native BM_FrameFullLoad of ${native.toFixed(1)} us: ${(r.frameMicros / native).toFixed(2)}x`);
}

async function main() {
  if (!dir) {
    console.error('usage: browser-test.cjs DIR');
    process.exit(2);
  }
  const server = await start(path.resolve(dir), 0);
  const url = `http://127.0.0.1:${server.address().port}/`;
  console.log(`serving ${dir} at ${url}`);
  let browser;
  try {
    browser = await chromium.launch({
      executablePath: browserPath,
      headless: true,
      // This machine has no network beyond the loopback: keep the browser
      // from trying to reach its services.
      args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
             '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    });
    // Shorter than the page, so that a key that scrolled would show.
    const context = await browser.newContext({ viewport: { width: 1000, height: 450 } });
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(e.message));
    page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });

    try {
      await play(page, url);
    } catch (e) {
      check(false, `the game could be played: ${e.message}`);
      const logs = await page.evaluate(() => {
        const read = (n) => { try { return Module.FS.readFile(n, { encoding: 'utf8' }); } catch (x) { return '(none)'; } };
        return `--- startup.log\n${read('/startup.log')}\n--- run.log\n${read('/run.log')}`;
      }).catch(() => '');
      console.log(logs);
    }
    for (const [what, step] of [['offline with a gamepad', () => offlineGamepad(context, page)],
                                ['the full-load timing', () => bench(page, url)],
                                ['on a touch screen', () => touchPlay(browser, url)]]) {
      try {
        await step();
      } catch (e) {
        check(false, `the game could be played ${what}: ${e.message}`);
      }
    }
    check(errors.length === 0, `no error on the page${errors.length ? ': ' + errors.join(' | ') : ''}`);
  } finally {
    if (browser) await browser.close();
    server.close();
  }
  console.log(`${passes} passed, ${failures} failed`);
  process.exit(failures ? 1 : 0);
}

main().catch((e) => {
  console.error(`browser-test: ${e.stack || e}`);
  process.exit(1);
});
