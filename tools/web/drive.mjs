// Drives the site in Debian's headless Chromium: serves it on 127.0.0.1 (a
// free port), opens the page at a small window, lists the start screen's
// sizes, presses "Demo", waits, takes a screenshot, optionally presses
// Escape, and prints what happened as JSON on stdout: the sizes, the console
// messages, the page's state and message. Its browser is always killed.
// With --still FILE the query asks for a still frame (?row=...): no start
// screen; the frame's pixels go to FILE (RGBA, top row first), its number,
// row and the frame ends (performance.now()) to the JSON.
// With --headed the browser opens a window filling the X display (kiosk
// mode) instead, which a screen recorder can grab, and plays its sound out
// of the environment's sound server; --started FILE is written when the
// show's first frame is drawn, for a script that does something to the
// running show. The report then gives the show's length (first frame to the
// page's end) as showLengthMs.
// --show-ms N runs N ms from the show's first frame instead of --run-ms from
// the press (the tune is decoded in between); --linger-ms N keeps the page
// open that long after the end, so that a recording hears what it plays then.
// The report's layout gives the window, the canvas's box and backing size,
// full screen or not, and what has the focus, while the show runs; with
// --resize WxH or --leave-fullscreen, later gives the same after that.
// --choose LINE picks a size on the start screen, --fullscreen ticks the box
// (the browser's screen is then its own, 800 x 600, not the window).
// --analyse puts an analyser on every connection to the audio output: the
// report's levelPlaying and levelAfter are the largest sample heard over
// half a second before the end and a second after it. --back presses the
// failure page's "Back" and reports the state it led to as afterBack, with
// its message. --no-subtle takes crypto.subtle away, as on a page served
// over plain http from another host. --start-screenshot and --end-screenshot
// take the start screen before "Demo" and the page as the drive ends.
//   node drive.mjs SITE [--size WxH] [--query ?...] [--run-ms N | --show-ms N]
//                  [--screenshot FILE] [--escape] [--until-ended MS]
//                  [--browser-arg ARG]... [--hide-extension NAME]
//                  [--still FILE [--still-ms N]] [--headed] [--started FILE]
//                  [--linger-ms N] [--choose LINE] [--fullscreen]
//                  [--resize WxH | --leave-fullscreen] [--analyse] [--back]
//                  [--no-subtle] [--start-screenshot FILE] [--end-screenshot FILE]
import { createServer } from 'node:http';
import { readFile, writeFile } from 'node:fs/promises';
import { extname, join, normalize } from 'node:path';
import { createRequire } from 'node:module';

const require = createRequire(join(process.cwd(), 'build-web/node/'));
const puppeteer = require('puppeteer-core');

const args = process.argv.slice(2);
const site = args[0];
const option = (name, fallback) => {
  const i = args.indexOf(name);
  return i < 0 ? fallback : args[i + 1];
};
const [width, height] = option('--size', '640x360').split('x').map(Number);
const query = option('--query', '');
const runMs = Number(option('--run-ms', '3000'));
const screenshot = option('--screenshot', '');
const untilEnded = Number(option('--until-ended', '0'));

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.png': 'image/png', '.data': 'application/octet-stream' };
const server = createServer(async (request, response) => {
  let path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
  if (path === '/') path = '/index.html';
  try {
    const body = await readFile(join(site, path));
    response.writeHead(200, { 'Content-Type': types[extname(path)] || 'application/octet-stream' });
    response.end(body);
  } catch {
    response.writeHead(404);
    response.end('not found');
  }
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const url = `http://127.0.0.1:${server.address().port}/${query}`;

const headed = args.includes('--headed');
const fullscreen = args.includes('--fullscreen');
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: !headed,
  // Headed: no "controlled by automated software" bar over the page.
  ignoreDefaultArgs: headed ? ['--enable-automation'] : [],
  args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
         `--window-size=${width},${height}`, '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--disable-dev-shm-usage',
         ...(headed ? ['--kiosk', '--window-position=0,0', '--test-type',
                       '--autoplay-policy=no-user-gesture-required'] : []),
         ...args.flatMap((a, i) => (args[i - 1] === '--browser-arg' ? [a] : []))],
  defaultViewport: headed || fullscreen ? null : { width, height },
});
const result = { url, console: [], sizes: [], state: '', message: '' };
const kill = () => { try { browser.process()?.kill('SIGKILL'); } catch {} };
process.on('exit', kill);
try {
  const page = await browser.newPage();
  page.on('console', (m) => result.console.push(`${m.type()}: ${m.text()}`));
  page.on('response', (r) => {
    if (r.status() >= 400) result.console.push(`http ${r.status()}: ${r.url()}`);
  });
  page.on('pageerror', (e) => result.console.push(`pageerror: ${e.message}`));
  const hidden = option('--hide-extension', '');
  if (hidden)
    await page.evaluateOnNewDocument((name) => {
      const get = WebGL2RenderingContext.prototype.getExtension;
      WebGL2RenderingContext.prototype.getExtension = function (n) {
        return n === name ? null : get.call(this, n);
      };
    }, hidden);
  if (args.includes('--analyse'))
    await page.evaluateOnNewDocument(() => {
      const connect = AudioNode.prototype.connect;
      window.halvoAnalysers = [];
      AudioNode.prototype.connect = function (target, ...rest) {
        if (target instanceof AudioDestinationNode) {
          const context = target.context;
          if (!context.halvoAnalyser) {
            context.halvoAnalyser = context.createAnalyser();
            connect.call(context.halvoAnalyser, target);
            window.halvoAnalysers.push(context.halvoAnalyser);
          }
          connect.call(this, context.halvoAnalyser);
        }
        return connect.call(this, target, ...rest);
      };
    });
  if (args.includes('--no-subtle'))
    await page.evaluateOnNewDocument(() => {
      Object.defineProperty(Crypto.prototype, 'subtle', { get: () => undefined });
    });
  // The largest sample the analysers see over ms milliseconds.
  const level = (ms) => page.evaluate(async (ms) => {
    let peak = 0;
    const samples = new Float32Array(2048);
    for (const end = performance.now() + ms; performance.now() < end;) {
      for (const analyser of window.halvoAnalysers || []) {
        analyser.getFloatTimeDomainData(samples);
        for (const v of samples) peak = Math.max(peak, Math.abs(v));
      }
      await new Promise((r) => setTimeout(r, 20));
    }
    return peak;
  }, ms);
  const layout = () => page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const box = canvas.getBoundingClientRect();
    return { window: [innerWidth, innerHeight], box: [box.x, box.y, box.width, box.height],
             backing: [canvas.width, canvas.height], fullscreen: !!document.fullscreenElement,
             focus: document.activeElement?.id || '', outline: getComputedStyle(canvas).outlineStyle };
  });
  const t0 = Date.now();
  await page.goto(url);
  const visible = (id) => page.evaluate((id) => !document.getElementById(id).hidden, id);
  const still = option('--still', '');
  if (still) {
    await page.waitForFunction(() => window.Module?.halvoStill ||
                               !document.getElementById('failed').hidden,
                               { timeout: Number(option('--still-ms', '300000')), polling: 200 });
    const frame = await page.evaluate(() => {
      const s = Module.halvoStill;
      if (!s) return null;
      // The pixels as text: a typed array does not cross to the driver.
      let text = '';
      for (let i = 0; i < s.rgba.length; i += 0x8000)
        text += String.fromCharCode.apply(null, s.rgba.subarray(i, i + 0x8000));
      // Frame ends as the show keeps them, for a benchmark.
      return { width: s.width, height: s.height, frame: s.frame, row: s.row,
               swaps: Module.halvoSwaps || [], rgba: btoa(text) };
    });
    if (frame) {
      const rgba = Buffer.from(frame.rgba, 'base64');
      const rowBytes = frame.width * 4;
      const flipped = Buffer.alloc(rgba.length);
      for (let y = 0; y < frame.height; ++y)
        rgba.copy(flipped, (frame.height - 1 - y) * rowBytes, y * rowBytes, (y + 1) * rowBytes);
      await writeFile(still, flipped);
      delete frame.rgba;
      result.still = frame;
    }
  }
  if (!still) {
    await page.waitForFunction(() => !document.getElementById('start').hidden ||
                               !document.getElementById('failed').hidden, { timeout: 60000 });
    result.startScreenMs = Date.now() - t0;
  }
  if (!still && await visible('start')) {
    result.sizes = await page.$$eval('#sizes option', (o) => o.map((x) => x.textContent));
    result.startScreen = await page.evaluate(() => {
      const sizes = document.getElementById('sizes');
      const label = sizes.labels?.[0] || document.querySelector('[aria-labelledby]');
      return { label: label ? label.textContent.trim() : '', rows: sizes.size,
               options: sizes.options.length,
               links: [...document.querySelectorAll('#start a[href]')]
                 .map((a) => [a.textContent.trim(), a.getAttribute('href')]),
               text: document.getElementById('start').innerText,
               banner: document.querySelector('#start img').getBoundingClientRect().width };
    });
    if (option('--start-screenshot', ''))
      await page.screenshot({ path: option('--start-screenshot', '') });
    if (option('--choose', ''))
      await page.$eval('#sizes', (s, line) => {
        s.selectedIndex = [...s.options].findIndex((o) => o.textContent === line);
      }, option('--choose', ''));
    if (fullscreen) await page.$eval('#fullscreen', (box) => { box.checked = true; });
    result.selected = await page.$eval('#sizes', (s) => s.selectedIndex);
    await page.click('#demo');
    const clicked = Date.now();
    const firstFrame = page.waitForFunction(() => (Module.halvoSwaps || []).length > 0,
                                            { timeout: 60000, polling: 20 })
      .then(() => true, () => false);
    if (option('--started', ''))
      firstFrame.then((drawn) => drawn && writeFile(option('--started', ''), `${Date.now()}\n`));
    const showMs = Number(option('--show-ms', '0'));
    if (showMs > 0) {
      await page.waitForFunction(() => (Module.halvoSwaps || []).length > 0 ||
                                 !document.getElementById('failed').hidden,
                                 { timeout: 60000, polling: 50 });
      await new Promise((r) => setTimeout(r, showMs));
    } else {
      await new Promise((r) => setTimeout(r, runMs));
    }
    result.ranMs = Date.now() - clicked;
    // Frame ends as the show keeps them: Demo to the first, and the median
    // frame after the first second (or after the first frame, when too few
    // came later); with one frame only, the time since it bounds the next.
    const timing = await page.evaluate((clickedAt) => {
      const swaps = Module.halvoSwaps || [];
      const now = performance.now();
      const start = now - clickedAt;
      const all = swaps.slice(1).map((t, i) => [t, t - swaps[i]]);
      const late = all.filter(([t]) => t - swaps[0] > 1000);
      const gaps = (late.length ? late : all).map(([, g]) => g).sort((a, b) => a - b);
      return { frames: swaps.length, demoToFirstFrameMs: swaps.length ? swaps[0] - start : null,
               medianFrameMs: gaps.length ? gaps[gaps.length >> 1] : null,
               frameLongerThanMs: swaps.length ? now - swaps[swaps.length - 1] : null,
               // From the first frame's end to now, over the frames since:
               // robust where a few frames vary widely.
               meanFrameMs: swaps.length > 1 ? (now - swaps[0]) / (swaps.length - 1) : null };
    }, Date.now() - clicked);
    Object.assign(result, timing);
    if (screenshot) await page.screenshot({ path: screenshot });
    result.layout = await layout();
    if (option('--resize', '') || args.includes('--leave-fullscreen')) {
      if (option('--resize', '')) {
        const [w, h] = option('--resize', '').split('x').map(Number);
        await page.setViewport({ width: w, height: h });
      } else {
        await page.evaluate(() => document.exitFullscreen());
      }
      await new Promise((r) => setTimeout(r, 500));
      result.later = await layout();
    }
    if (args.includes('--analyse')) result.levelPlaying = await level(500);
    if (args.includes('--escape')) await page.keyboard.press('Escape');
    if (untilEnded || args.includes('--escape'))
      await page.waitForFunction(() => !document.getElementById('canvas').hidden === false,
                                 { timeout: untilEnded || 30000, polling: 20 }).catch(() => {});
    result.showLengthMs = await page.evaluate(() => (Module.halvoSwaps || []).length ?
                                              performance.now() - Module.halvoSwaps[0] : null);
    if (args.includes('--analyse')) result.levelAfter = await level(1000);
    await new Promise((r) => setTimeout(r, Number(option('--linger-ms', '0'))));
  }
  // In one look, so that the page cannot change between the screens' tests.
  result.state = await page.evaluate(() => {
    const shown = (id) => !document.getElementById(id).hidden;
    return shown('failed') ? 'failed' : shown('start') ? (shown('again') ? 'ended' : 'start')
      : shown('canvas') ? 'running' : 'loading';
  });
  result.message = await page.$eval('#message', (m) => m.textContent);
  if (option('--end-screenshot', '')) await page.screenshot({ path: option('--end-screenshot', '') });
  result.alert = await page.$eval('#message', (m) => m.closest('[role=alert]') !== null);
  result.focus = await page.evaluate(() => document.activeElement?.id || '');
  if (args.includes('--back') && result.state === 'failed') {
    await Promise.all([page.waitForNavigation({ timeout: 30000 }).catch(() => {}),
                       page.click('#back')]);
    await page.waitForFunction(() => !document.getElementById('start').hidden ||
                               !document.getElementById('failed').hidden, { timeout: 60000 });
    result.afterBack = (await visible('failed')) ? 'failed' : 'start';
    result.afterBackMessage = await page.$eval('#message', (m) => m.textContent);
  }
} catch (e) {
  result.state = 'driver-error';
  result.message = String(e);
} finally {
  kill();
  server.close();
}
// Exits once the whole report is out: a pipe takes it in pieces.
process.stdout.write(JSON.stringify(result, null, 1) + '\n', () => process.exit(0));
