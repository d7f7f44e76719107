// The web build played in headless Chromium: serves DIR on the loopback
// address, opens the page, plays a short game with the keyboard, checks the
// canvas and both log files, then times Game_Frame at full load on a second
// load of the page (?bench=300). Figures are printed, never judged.
//
//   node browser-test.cjs DIR     (playwright-core on NODE_PATH)
//   FINMAW_CHROMIUM overrides the browser (default /usr/bin/chromium).
'use strict';
const fs = require('fs');
const path = require('path');
const { chromium } = require('playwright-core');
const { start } = require('./serve.cjs');

const dir = process.argv[2];
const browserPath = process.env.FINMAW_CHROMIUM || '/usr/bin/chromium';
const BENCH_FRAMES = 300;

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
  const started = Date.now();
  await page.goto(url);
  // The game's functions may be called only once the runtime is up.
  await page.waitForFunction(() => window.finmawReady === true && Module._finmaw_frames() > 0,
                             null, { timeout: 60000 });
  console.log(`first frame after ${Date.now() - started} ms`);

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
  check(inOrder(logs.startup, ['Starting up...', 'Started SDL systems.', 'Started Image systems.',
                               'Loaded Fish data!', 'Created Player in world.']),
        'startup.log has the start-up steps in order');
  check(lastLine(logs.startup).endsWith('Created Player in world.'),
        `startup.log ends with "Created Player in world." (${lastLine(logs.startup)})`);
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

async function bench(page, url) {
  await page.goto(`${url}?bench=${BENCH_FRAMES}`);
  await page.waitForFunction(() => window.finmawBench !== undefined, null, { timeout: 120000 });
  const r = await page.evaluate(() => window.finmawBench);
  check(r.fish === 120 && r.frames === BENCH_FRAMES, `full load: ${r.fish} fish over ${r.frames} frames`);
  console.log(`Game_Frame at full load in Chromium: mean ${r.frameMicros.toFixed(1)} us per frame ` +
              `over ${r.frames} frames (of which presenting on the canvas: ${r.presentMicros.toFixed(1)} us; ` +
              `window surface ${r.screenFormat}, sheets ${r.sheetFormat})`);
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
    const page = await browser.newPage({ viewport: { width: 1000, height: 450 } });
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
    try {
      await bench(page, url);
    } catch (e) {
      check(false, `the full-load timing ran: ${e.message}`);
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
