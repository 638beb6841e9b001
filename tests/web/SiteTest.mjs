// The site in headless Chromium, driven as a viewer would (tools/web/drive.mjs):
// the start screen, the show started by "Demo" and ended by Escape, and a
// site without its data package. Prints one line per case; exits 1 if any fails.
//   node tests/web/SiteTest.mjs SITE
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const site = process.argv[2];
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
