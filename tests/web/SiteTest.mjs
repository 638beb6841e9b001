// The site in headless Chromium, driven as a viewer would (tools/web/drive.mjs):
// the start screen, the show started by "Demo" and ended by Escape, still
// frames against the native capture tool's, bad input, and a site without
// its data package. Prints one line per case; exits 1 if any fails.
//   node tests/web/SiteTest.mjs SITE NATIVE_BUILD [PATTERN]
// PATTERN (a regular expression) runs only the cases whose names match it.
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, rmSync, statSync, truncateSync, writeFileSync }
  from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';

const site = process.argv[2];
const native = resolve(process.argv[3]);
const scratch = mkdtempSync(join(tmpdir(), 'halvo-web-'));
// Copies of the site with one file changed by change(path), or removed.
const damaged = (name, file, change) => {
  const dir = join(scratch, name);
  cpSync(site, dir, { recursive: true });
  if (change) change(join(dir, file)); else rmSync(join(dir, file));
  return dir;
};
const withoutData = damaged('site-without-data', 'index.data');
const withoutWasm = damaged('site-without-wasm', 'index.wasm');
const truncated = damaged('site-truncated', 'index.data', (path) =>
  truncateSync(path, Math.floor(statSync(path).size / 2)));
const flipped = damaged('site-flipped', 'index.data', (path) => {
  const bytes = readFileSync(path);
  bytes[bytes.length - 1000] ^= 1;
  writeFileSync(path, bytes);
});

const drive = (dir, ...options) =>
  JSON.parse(execFileSync('node', ['tools/web/drive.mjs', dir, ...options],
                          { encoding: 'utf8', maxBuffer: 1 << 28 }));
// Mean grey level of a screenshot, 0 to 1, by ImageMagick.
const meanGrey = (png) =>
  Number(execFileSync('convert', [png, '-colorspace', 'gray', '-format', '%[fx:mean]', 'info:'],
                      { encoding: 'utf8' }));
// Console lines other than the show's own standard output.
const complaints = (r) => r.console.filter((line) => !line.startsWith('log: '));

// A still frame of the page (?row=, on a fixed step at 5 fps) and the native
// capture tool's frame of the same moment, RGBA top row first: the mean
// absolute difference of their colour channels, on 0 to 255. The DCT glitch
// amplifies the least difference into blocks, so the rows are where it is off.
const stillAgainstCapture = (row) => {
  const fps = 5;
  const showDir = join(native, 'show');
  const trackValue = (name) => Number(execFileSync(join(native, 'halvo-track'), ['eval',
    execFileSync(join(native, 'halvo-track'), ['path', name], { encoding: 'utf8' }).trim(),
    String(row)], { encoding: 'utf8', cwd: showDir }));
  const glitch = trackValue('dct-glitch') + trackValue('dct-decimate');
  const webFile = join(scratch, `still-${row}.rgba`);
  const web = drive(site, '--query', `?row=${row}&fps=${fps}&size=640x360`, '--still', webFile);
  const result = { glitch, web, state: web.state, message: web.message };
  if (!web.still) return result;
  const seconds = web.still.frame / fps;
  const frames = join(scratch, `capture-${row}`);
  execFileSync(join(native, 'halvo-capture'), ['--out', frames, '--fps', String(fps),
    '--size', '640x360', '--from', String(seconds), '--to', String(seconds + 1 / fps)],
    { stdio: 'ignore' });
  const png = join(frames, `frame-${String(web.still.frame).padStart(6, '0')}.png`);
  const a = readFileSync(webFile);
  const b = execFileSync('convert', [png, '-depth', '8', 'rgba:-'], { maxBuffer: 1 << 26 });
  let sum = 0;
  let count = 0;
  for (let i = 0; i < a.length; ++i) {
    if (i % 4 === 3) continue;
    sum += Math.abs(a[i] - b[i]);
    ++count;
  }
  result.sameSize = a.length === b.length;
  result.meanDifference = sum / count;
  result.meanGrey = a.reduce((s, v, i) => (i % 4 === 3 ? s : s + v), 0) / count;
  return result;
};
const matchesCapture = (r) => [
  [r.glitch === 0, `the DCT glitch is on at this row (${r.glitch}): choose a row without`],
  [r.web.still && r.state === 'running', `state ${r.state} ${r.message}`],
  [r.sameSize && r.meanDifference <= 2, `mean difference ${r.meanDifference} of 255`],
  [r.meanGrey > 10, `mean level ${r.meanGrey}: a picture too dark to tell`],
];

// The canvas's box fills the width or the height of the window, at the
// backing's aspect, centred, within 1 % of the window's width.
const fills = (layout, width, height) => {
  const [x, y, w, h] = layout?.box || [];
  const [bw, bh] = layout?.backing || [];
  const scale = Math.min(width / bw, height / bh);
  const near = (a, b) => Math.abs(a - b) <= width / 100;
  return [near(w, bw * scale) && near(h, bh * scale) && near(x, (width - w) / 2) &&
          near(y, (height - h) / 2) && near(layout.window[0], width), `layout ${JSON.stringify(layout)}`];
};
// A failure page: one line naming the cause, announced, with "Back" leading
// to afterBack.
const failsWith = (pattern, afterBack) => (r) => [
  [r.state === 'failed' && pattern.test(r.message) && r.message.split('\n').length === 1 &&
   r.message.length <= 200, `state ${r.state}, message ${JSON.stringify(r.message)}`],
  [r.alert, 'the message is not in a role="alert"'],
  [r.afterBack === afterBack, `Back led to ${r.afterBack} ${r.afterBackMessage ?? ''}`],
];
const sourceLines = (r) => r.console.filter((line) => line.startsWith('log: Got source:')).length;

const shot = join(scratch, 'running.png');
const cases = [
  {
    name: 'start screen lists 16:9 sizes; Demo starts the show, quietly, in colour',
    run: () => drive(site, '--size', '640x360', '--run-ms', '4000', '--screenshot', shot),
    check: (r) => [
      [r.sizes.length >= 1 && r.sizes.every((s) => /^(\d+) x (\d+)$/.test(s) &&
        s.split(' x ')[0] * 9 === s.split(' x ')[1] * 16), `sizes ${JSON.stringify(r.sizes)}`],
      [r.startScreen?.label && r.startScreen.rows === r.startScreen.options,
       `size list ${JSON.stringify(r.startScreen)}: labelled, no empty row`],
      [JSON.stringify(r.startScreen?.links.map(([caption]) => caption)) === '["Twitter","WWW"]' &&
       r.startScreen.links.every(([, href]) => /^https?:\/\//.test(href)), 'links are <a href>'],
      [/sound/i.test(r.startScreen?.text) && /Escape/.test(r.startScreen?.text),
       'no line about the sound and Escape'],
      [r.state === 'running', `state ${r.state} ${r.message}`],
      [complaints(r).length === 0, `console ${JSON.stringify(complaints(r))}`],
      [sourceLines(r) === 0, `${sourceLines(r)} shader sources on the console without ?verbose`],
      [meanGrey(shot) > 0.02, `mean grey ${meanGrey(shot)} of the running show`],
    ],
  },
  {
    name: 'Escape ends the show and its sound; "Watch again" has the focus',
    run: () => drive(site, '--size', '640x360', '--query', '?verbose', '--run-ms', '3000',
                     '--escape', '--analyse'),
    check: (r) => [
      [r.state === 'ended' && r.focus === 'again', `state ${r.state} ${r.message}, focus ${r.focus}`],
      [complaints(r).length === 0, `console ${JSON.stringify(complaints(r))}`],
      [r.levelPlaying > 0.001 && r.levelAfter === 0,
       `sound level ${r.levelPlaying} playing, ${r.levelAfter} after`],
      [sourceLines(r) > 0, 'no shader sources on the console with ?verbose'],
    ],
  },
  {
    // Track "e" reaches 1 at row 3128, 179.1 s into the tune.
    name: 'the show ends on track "e" and the page shows the banner with "Watch again"',
    run: () => drive(site, '--query', '?from=176', '--run-ms', '1000', '--until-ended', '20000',
                     '--analyse'),
    check: (r) => [
      [r.state === 'ended', `state ${r.state} ${r.message}`],
      [r.levelAfter === 0, `sound level ${r.levelAfter} after the end`],
      [complaints(r).length === 0, `console ${JSON.stringify(complaints(r))}`],
    ],
  },
  {
    name: 'the picture fills a 1600 x 900 window at 16:9, with no focus ring, and follows a resize',
    run: () => drive(site, '--size', '1600x900', '--choose', '640 x 360', '--run-ms', '3000',
                     '--resize', '1000x900'),
    check: (r) => [
      [r.state === 'running', `state ${r.state} ${r.message}`],
      fills(r.layout, 1600, 900),
      [JSON.stringify(r.layout?.backing) === '[640,360]', `backing ${r.layout?.backing}`],
      [r.layout?.focus === 'canvas' && r.layout.outline === 'none',
       `focus ${r.layout?.focus}, outline ${r.layout?.outline}`],
      fills(r.later, 1000, 900),
    ],
  },
  {
    name: 'full screen: the picture fills the (4:3) screen at 16:9, and the window after',
    run: () => drive(site, '--size', '1000x700', '--choose', '640 x 360', '--fullscreen',
                     '--run-ms', '3000', '--leave-fullscreen'),
    check: (r) => [
      [r.layout?.fullscreen, `not full screen: ${JSON.stringify(r.layout)} ${r.message}`],
      fills(r.layout, 800, 600),
      [r.later && !r.later.fullscreen, 'still full screen'],
      fills(r.later, r.later?.window[0], r.later?.window[1]),
    ],
  },
  ...[133, 600, 930].map((row) => ({
    name: `a still frame at row ${row} matches the native capture (mean difference <= 2/255)`,
    run: () => stillAgainstCapture(row),
    check: matchesCapture,
  })),
  {
    name: 'a bad still-frame request is refused on the page, naming the value',
    run: () => drive(site, '--query', '?row=1e400', '--still', join(scratch, 'bad.rgba'),
                     '--still-ms', '20000'),
    check: (r) => [[r.state === 'failed' && r.message === '?row=1e400: not a number from 0 to 1e+06',
                    `state ${r.state}, message ${JSON.stringify(r.message)}`]],
  },
  ...[
    ['?from=1e308', /^\?from=1e308: /, 'start'],
    ['?from=abc', /^\?from=abc: /, 'start'],
    ['?from=-5', /^\?from=-5: /, 'start'],
    ['?from=900', /^\?from=900: .*tune/, 'start'],
    ['?size=320x180', /^\?size=320x180: .*\?row/, 'start'],
    ['?effect=tunnel', /^\?effect=tunnel: .*\?row/, 'start'],
    ['?overlay=2', /^\?overlay=2: /, 'start'],
    ['?row=1%00abc', /^\?row=1\\x00abc: /, 'start'],
    [`?row=${'9'.repeat(8000)}`, /^\?row=9{40}\.\.\.: /, 'start'],
  ].map(([query, message, afterBack]) => ({
    name: `${query.slice(0, 20)} is refused on the page, naming it, with Back`,
    // Some are refused only once the tune is decoded, after "Demo".
    run: () => drive(site, '--query', query, '--run-ms', '500', '--until-ended', '30000', '--back'),
    check: failsWith(message, afterBack),
  })),
  ...[
    ['a half index.data', truncated, /^The show's data index\.data is incomplete: /],
    ['an index.data with one bit changed', flipped, /^The show's data index\.data is damaged/],
    ['an index.wasm missing', withoutWasm, /^Cannot load .*index\.wasm/],
  ].flatMap(([what, dir, message]) => [[], ['--no-subtle']].map((more) => ({
    name: `${what} is refused before Demo, naming the file${more.length ? ' (without crypto.subtle)' : ''}`,
    run: () => drive(dir, '--run-ms', '500', '--back', ...more),
    check: failsWith(message, 'failed'),
  }))),
  {
    name: 'the show loads without crypto.subtle too',
    run: () => drive(site, '--run-ms', '500', '--no-subtle'),
    check: (r) => [[r.state === 'running', `state ${r.state} ${r.message}`]],
  },
  {
    name: 'a WebGL 2 without float texture filtering is told so',
    run: () => drive(site, '--run-ms', '1000', '--hide-extension', 'OES_texture_float_linear',
                     '--back'),
    check: failsWith(/OES_texture_float_linear/, 'start'),
  },
  {
    name: 'a browser without WebGL 2 is told so',
    run: () => drive(site, '--run-ms', '1000', '--browser-arg', '--disable-webgl2'),
    check: (r) => [[r.state === 'failed' && r.message === 'This browser has no WebGL 2, which ' +
                    'the show needs.', `state ${r.state}, message ${JSON.stringify(r.message)}`]],
  },
  {
    name: 'a WebGL 2 without float render targets is told so',
    run: () => drive(site, '--run-ms', '1000', '--hide-extension', 'EXT_color_buffer_float'),
    check: (r) => [[r.state === 'failed' && /cannot render to float textures/.test(r.message) &&
                    r.message.split('\n').length === 1,
                    `state ${r.state}, message ${JSON.stringify(r.message)}`]],
  },
  {
    name: 'a site without its data package says so, naming the file',
    run: () => drive(withoutData, '--size', '640x360', '--run-ms', '500'),
    check: (r) => [
      [r.state === 'failed', `state ${r.state}`],
      [/index\.data/.test(r.message) && r.message.split('\n').length === 1,
       `message ${JSON.stringify(r.message)}`],
    ],
  },
];

let failures = 0;
const only = new RegExp(process.argv[4] || '');
for (const c of cases.filter((c) => only.test(c.name))) {
  const result = c.run();
  const failed = c.check(result).filter(([ok]) => !ok).map(([, what]) => what);
  failures += failed.length ? 1 : 0;
  console.log(`${failed.length ? 'FAIL' : 'ok  '} ${c.name}${failed.map((w) => '\n     ' + w).join('')}`);
}
rmSync(scratch, { recursive: true, force: true });
process.exit(failures ? 1 : 0);
