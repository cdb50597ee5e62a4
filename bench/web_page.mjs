// Measures the web page in Debian's chromium, headless, served from 127.0.0.1: load to
// first picture, click to first sound, the draw time of each scene (the stills of the
// visual references, each drawn 20 more times and waited for) and of every frame of the
// show (?profile, as zuzor-capture --profile draws it natively), and over a live run of the
// show (?trace) the tick pace and how long after its row is heard each event is applied.
// Usage: node bench/web_page.mjs PAGE_FOLDER [SECONDS_OF_SHOW]   (tests/web's node_modules)
import puppeteer from "../tests/web/node_modules/puppeteer-core/lib/esm/puppeteer/puppeteer-core.js";
import { serveFolder } from "../tests/web/serve.mjs";

const folder = process.argv[2];
const seconds = Number(process.argv[3] || 60);
const server = await serveFolder(folder);
const origin = `http://127.0.0.1:${server.address().port}`;
const browser = await puppeteer.launch({
  executablePath: process.env.ZUZOR_CHROMIUM || "/usr/lib/chromium/chromium",
  headless: true,
  ignoreDefaultArgs: ["--mute-audio"],
  args: ["--autoplay-policy=no-user-gesture-required", "--enable-unsafe-swiftshader", "--no-sandbox"],
});

function percentile(values, p) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor((p / 100) * sorted.length))];
}

const draws = await browser.newPage();
await draws.goto(`${origin}/?still=12,30,45,60,134&timed=20`);
await draws.waitForFunction("window.Module && Module.zuzorStillsDone", { timeout: 600000 });
console.log("draw ms per scene (12 voxel field, 30 tower, 45 grid, 60 warp, 134 logo):",
            JSON.stringify(await draws.evaluate("Module.zuzorDrawMs")));
await draws.close();

const profile = await browser.newPage();
await profile.goto(`${origin}/?profile`);
await profile.waitForFunction("window.Module && Module.zuzorProfile", { timeout: 900000 });
console.log("whole show, every frame drawn in full and waited for:",
            await profile.evaluate("Module.zuzorProfile"));
await profile.close();

const live = await browser.newPage();
await live.setViewport({ width: 1024, height: 768 });
await live.goto(`${origin}/?trace&window`);
await live.waitForFunction("window.Module && Module.zuzorTimes && Module.zuzorTimes.firstPicture !== undefined",
                           { timeout: 60000 });
await live.click("#canvas");
await live.waitForFunction("Module.zuzorFirstSoundMs > 0", { timeout: 60000 });
await new Promise((resolve) => setTimeout(resolve, seconds * 1000));
const times = await live.evaluate("Module.zuzorTimes");
const firstSound = await live.evaluate("Module.zuzorFirstSoundMs");
const trace = await live.evaluate("Module.FS.readFile('/trace.txt', { encoding: 'utf8' })");
await live.close();
await browser.close();
server.close();

console.log(`load to first picture ${(times.firstPicture - times.load).toFixed(0)} ms, ` +
            `click to first sound ${(firstSound - times.click).toFixed(0)} ms`);
const ticks = [], lateness = [];
for (const line of trace.split("\n")) {
  const fields = line.split(" ");
  if (fields[1] === "tick") ticks.push(Number(fields[0]));
  const sync = line.match(/ heard ([\d.]+) applied ([\d.]+)$/);
  if (sync) lateness.push(Number(sync[2]) - Number(sync[1]));
}
const gaps = ticks.slice(1).map((t, i) => t - ticks[i]);
console.log(`ticks ${ticks.length}: pace p50 ${percentile(gaps, 50).toFixed(2)} ms, ` +
            `p99 ${percentile(gaps, 99).toFixed(2)} ms, max ${Math.max(...gaps).toFixed(2)} ms`);
console.log(`events ${lateness.length}: applied minus heard p50 ${percentile(lateness, 50).toFixed(1)} ms, ` +
            `p99 ${percentile(lateness, 99).toFixed(1)} ms, max ${Math.max(...lateness).toFixed(1)} ms, ` +
            `min ${Math.min(...lateness).toFixed(1)} ms`);
