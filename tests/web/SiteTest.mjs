// The site in headless Chromium, driven as a viewer would (tools/web/drive.mjs):
// the start screen, the show started by "Demo" and ended by Escape, still
// frames against the native capture tool's, bad input, and a site without
// its data package. Prints one line per case; exits 1 if any fails.
//   node tests/web/SiteTest.mjs SITE NATIVE_BUILD
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';

const site = process.argv[2];
const native = resolve(process.argv[3]);
const scratch = mkdtempSync(join(tmpdir(), 'halvo-web-'));
const withoutData = join(scratch, 'site-without-data');
cpSync(site, withoutData, { recursive: true });
rmSync(join(withoutData, 'index.data'));

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

const shot = join(scratch, 'running.png');
const cases = [
  {
    name: 'start screen lists 16:9 sizes; Demo starts the show, quietly, in colour',
    run: () => drive(site, '--size', '640x360', '--run-ms', '4000', '--screenshot', shot),
    check: (r) => [
      [r.sizes.length >= 1 && r.sizes.every((s) => /^(\d+) x (\d+)$/.test(s) &&
        s.split(' x ')[0] * 9 === s.split(' x ')[1] * 16), `sizes ${JSON.stringify(r.sizes)}`],
      [r.state === 'running', `state ${r.state} ${r.message}`],
      [complaints(r).length === 0, `console ${JSON.stringify(complaints(r))}`],
      [meanGrey(shot) > 0.02, `mean grey ${meanGrey(shot)} of the running show`],
    ],
  },
  {
    name: 'Escape ends the show and the page shows the banner with "Watch again"',
    run: () => drive(site, '--size', '640x360', '--run-ms', '2000', '--escape'),
    check: (r) => [
      [r.state === 'ended', `state ${r.state} ${r.message}`],
      [complaints(r).length === 0, `console ${JSON.stringify(complaints(r))}`],
    ],
  },
  {
    // Track "e" reaches 1 at row 3128, 179.1 s into the tune.
    name: 'the show ends on track "e" and the page shows the banner with "Watch again"',
    run: () => drive(site, '--query', '?from=176', '--run-ms', '1000', '--until-ended', '20000'),
    check: (r) => [
      [r.state === 'ended', `state ${r.state} ${r.message}`],
      [complaints(r).length === 0, `console ${JSON.stringify(complaints(r))}`],
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
for (const c of cases) {
  const result = c.run();
  const failed = c.check(result).filter(([ok]) => !ok).map(([, what]) => what);
  failures += failed.length ? 1 : 0;
  console.log(`${failed.length ? 'FAIL' : 'ok  '} ${c.name}${failed.map((w) => '\n     ' + w).join('')}`);
}
rmSync(scratch, { recursive: true, force: true });
process.exit(failures ? 1 : 0);
