// The end-to-end tests of the web page in Debian's chromium, headless, against our own
// server on 127.0.0.1. Each case loads a page folder prepared by run.sh:
//   startup   the start-up line on the console, the prompt, the opening picture
//   stills    the show at the moments of the native stills, compared with them
//   script    a module whose script lights a flash at 2.88 s and ends the show at 12.48 s:
//             the sound reaches Web Audio at the song's pace, the flash is applied when
//             heard and not before, the end event ends the show at its time
//   from      ?from=2:10: the picture before the click is the native still at 2:10, and
//             the show plays from there to its end
//   nosound   a sound context the browser keeps suspended: the silent clock carries the
//             show, and the end event still ends it at its time
//   escape    Escape stops the music and offers to play again; the click on it plays the
//             show again from its start
//   nomodule  the failure message and the same opening picture as with the module
// Usage: node web_test.mjs --pages DIR --stills DIR --at LIST [--only CASE]
// Prints one line per case and the figures it measured; exits 1 when a case fails.
import fs from "node:fs";
import path from "node:path";
import puppeteer from "puppeteer-core";
import { serveFolder } from "./serve.mjs";
import { decodePng, meanDifference } from "./png.mjs";

const options = {};
for (let i = 2; i < process.argv.length; i += 2) options[process.argv[i].slice(2)] = process.argv[i + 1];
const chromium = process.env.ZUZOR_CHROMIUM || "/usr/lib/chromium/chromium";
const startupLine = "inizializzazione fatta";
const failureLine = "Impossibile caricare il file";
const flashHeardS = 2.88;
const endHeardS = 12.48;
// What the page may lag behind the sound: one animation frame and the tick phase.
const appliedLateS = 0.15;
const largestMeanDifference = 2;

const server = await serveFolder(options.pages);
const origin = `http://127.0.0.1:${server.address().port}`;
const browser = await puppeteer.launch({
  executablePath: chromium,
  headless: true,
  // Puppeteer mutes the sound by default; the tests need it to run as a viewer hears it.
  ignoreDefaultArgs: ["--mute-audio"],
  args: ["--autoplay-policy=no-user-gesture-required", "--enable-unsafe-swiftshader",
         "--no-sandbox", "--window-size=1024,768"],
});

let failures = 0;
function check(name, ok, detail) {
  console.log(`${ok ? "ok  " : "FAIL"} ${name}${detail ? ": " + detail : ""}`);
  if (!ok) failures += 1;
}

async function openPage(folder, query = "") {
  const page = await browser.newPage();
  const messages = [];
  page.on("console", (message) => messages.push({ type: message.type(), text: message.text() }));
  page.on("pageerror", (error) => messages.push({ type: "pageerror", text: error.message }));
  await page.setViewport({ width: 1024, height: 768 });
  await page.goto(`${origin}/${folder}/${query}`);
  return { page, messages };
}

function logLines(messages) {
  return messages.filter((m) => m.type === "log").map((m) => m.text);
}

async function canvasPng(page) {
  const url = await page.evaluate(() => document.getElementById("canvas").toDataURL("image/png"));
  return decodePng(Buffer.from(url.split(",")[1], "base64"));
}

async function waitForPrompt(page) {
  await page.waitForFunction("window.Module && Module.zuzorState && Module.zuzorState() === 'waiting'",
                             { timeout: 60000 });
  // The opening picture is drawn at the first animation frame after the start.
  await page.waitForFunction("Module.zuzorTimes.firstPicture !== undefined", { timeout: 60000 });
}

async function startupCase() {
  const { page, messages } = await openPage("show");
  await waitForPrompt(page);
  const lines = logLines(messages);
  check("startup: the start-up line on the console", lines.length === 1 && lines[0] === startupLine,
        JSON.stringify(lines));
  const prompt = await page.evaluate(() => {
    const element = document.getElementById("prompt");
    return element.hidden ? "" : element.textContent;
  });
  check("startup: the prompt until the first click", prompt === "click to start", prompt);
  const times = await page.evaluate("Module.zuzorTimes");
  console.log(`     load to first picture ${(times.firstPicture - times.load).toFixed(0)} ms`);
  await page.close();
  return canvasPng;
}

async function stillsCase() {
  const { page } = await openPage("show", `?still=${options.at}`);
  await page.waitForFunction("window.Module && Module.zuzorStillsDone", { timeout: 600000 });
  const stills = await page.evaluate("Module.zuzorStills");
  const moments = options.at.split(",").map(Number);
  check("stills: one picture per moment", stills.length === moments.length,
        `${stills.length} of ${moments.length}`);
  for (const still of stills) {
    const web = decodePng(Buffer.from(still.png.split(",")[1], "base64"));
    const native = decodePng(fs.readFileSync(path.join(options.stills, `at-${still.at}.png`)));
    const difference = meanDifference(web, native);
    check(`stills: at ${still.at} s against the native capture`,
          difference.every((d) => d <= largestMeanDifference),
          `mean difference per channel ${difference.map((d) => d.toFixed(2)).join(" ")}`);
  }
  await page.close();
}

// Samples the picture at each animation frame: the mean colour of each quarter, with the
// song's time heard then by the output's own timestamp.
const sampler = () => {
  window.zuzorSamples = [];
  const small = document.createElement("canvas");
  small.width = 2;
  small.height = 2;
  const context = small.getContext("2d", { willReadFrequently: true });
  const sample = () => {
    const audio = Module.zuzorAudioContext;
    let heard = null;
    if (audio && Module.zuzorFirstSoundContextTime !== undefined) {
      const stamp = audio.getOutputTimestamp();
      heard = stamp.contextTime + (performance.now() - stamp.performanceTime) / 1000 -
              Module.zuzorFirstSoundContextTime;
    }
    context.drawImage(document.getElementById("canvas"), 0, 0, 2, 2);
    window.zuzorSamples.push({
      now: performance.now(), heard, handed: Module.zuzorHanded,
      audioTime: audio ? audio.currentTime : null,
      quarters: Array.from(context.getImageData(0, 0, 2, 2).data),
      state: Module.zuzorState(),
    });
    if (Module.zuzorState() !== "ended") requestAnimationFrame(sample);
  };
  requestAnimationFrame(sample);
};

async function scriptCase() {
  const { page, messages } = await openPage("script");
  await waitForPrompt(page);
  await page.evaluate(sampler);
  await page.click("#canvas");
  await page.waitForFunction("Module.zuzorState() === 'ended'", { timeout: 60000 });
  const samples = await page.evaluate("window.zuzorSamples");
  const times = await page.evaluate("Module.zuzorTimes");
  const firstSoundMs = await page.evaluate("Module.zuzorFirstSoundMs");
  console.log(`     click to first sound ${(firstSoundMs - times.click).toFixed(0)} ms`);

  // The pace: frames handed to Web Audio against the context's clock.
  const playing = samples.filter((s) => s.heard !== null && s.handed > 0);
  const first = playing[0], last = playing[playing.length - 1];
  const pace = (last.handed - first.handed) / (last.audioTime - first.audioTime);
  check("script: sound reaches Web Audio at the song's pace", Math.abs(pace - 44100) < 441,
        `${pace.toFixed(0)} frames/s over ${(last.audioTime - first.audioTime).toFixed(1)} s`);

  // The voxel field is off from 0.96 s: the picture holds still until the flash.
  const lit = playing.find((s, i) => i > 0 && s.heard > 1.5 &&
                        s.quarters.join() !== playing[i - 1].quarters.join());
  check("script: the flash is applied once heard, not before",
        lit && lit.heard >= flashHeardS - 0.01 && lit.heard <= flashHeardS + appliedLateS,
        lit ? `first drawn at ${lit.heard.toFixed(3)} s heard, event at ${flashHeardS} s` : "never");
  if (lit) console.log(`     flash applied minus heard ${((lit.heard - flashHeardS) * 1000).toFixed(0)} ms`);

  const endHeard = playing[playing.length - 1].heard;
  check("script: the end event ends the show at its time",
        endHeard >= endHeardS - 0.01 && endHeard <= endHeardS + appliedLateS + 0.05,
        `ended at ${endHeard.toFixed(3)} s heard, event at ${endHeardS} s`);
  const prompt = await page.evaluate(() => document.getElementById("prompt").textContent);
  check("script: the way to play again", prompt === "play again", prompt);
  const errors = messages.filter((m) => m.type === "error" || m.type === "pageerror")
                         .filter((m) => !m.text.includes("404"));
  check("script: no errors on the console", errors.length === 0, JSON.stringify(errors));
  await page.close();
}

async function fromCase() {
  const { page } = await openPage("show", "?from=2:10&window");
  await waitForPrompt(page);
  const native = decodePng(fs.readFileSync(path.join(options.stills, "at-130.png")));
  const difference = meanDifference(await canvasPng(page), native);
  check("from: the picture at 2:10 before the click", difference.every((d) => d <= largestMeanDifference),
        `mean difference per channel ${difference.map((d) => d.toFixed(2)).join(" ")}`);
  await page.click("#canvas");
  await page.waitForFunction("Module.zuzorState() === 'ended'", { timeout: 60000 });
  const times = await page.evaluate("Module.zuzorTimes");
  const firstSound = await page.evaluate("Module.zuzorFirstSoundMs");
  // The show's quit event is heard 136.56 s into the song.
  const seconds = (times.ended - firstSound) / 1000;
  check("from: the show plays from 2:10 to its end", seconds >= 6.4 && seconds <= 7.2,
        `ended ${seconds.toFixed(2)} s after the first sound`);
  await page.close();
}

async function noSoundCase() {
  const page = await browser.newPage();
  const messages = [];
  page.on("console", (message) => messages.push({ type: message.type(), text: message.text() }));
  // As a browser does without the viewer's gesture: the context never runs.
  await page.evaluateOnNewDocument(() => {
    const RealContext = window.AudioContext;
    window.AudioContext = function (options) {
      const context = new RealContext(options);
      context.suspend();
      context.resume = () => Promise.resolve();
      return context;
    };
  });
  await page.goto(`${origin}/script/?window`);
  await waitForPrompt(page);
  await page.click("#canvas");
  await page.waitForFunction("Module.zuzorState() === 'ended'", { timeout: 60000 });
  const times = await page.evaluate("Module.zuzorTimes");
  const seconds = (times.ended - times.click) / 1000;
  check("nosound: the silent clock ends the show at the end event's time",
        seconds >= endHeardS && seconds <= endHeardS + 1.5, `${seconds.toFixed(3)} s after the click`);
  const warnings = messages.filter((m) => m.text.startsWith("zuzor: ")).map((m) => m.text);
  check("nosound: one line says so", warnings.length === 1, JSON.stringify(warnings));
  await page.close();
}

async function escapeCase() {
  const { page, messages } = await openPage("show", "?window");
  await waitForPrompt(page);
  await page.click("#canvas");
  await page.waitForFunction("Module.zuzorHanded > 44100", { timeout: 60000 });
  await page.keyboard.press("Escape");
  await page.waitForFunction("Module.zuzorState() === 'ended'", { timeout: 10000 });
  const handedAtEnd = await page.evaluate("Module.zuzorHanded");
  await new Promise((resolve) => setTimeout(resolve, 500));
  const handedLater = await page.evaluate("Module.zuzorHanded");
  const prompt = await page.evaluate(() => document.getElementById("prompt").hidden ? "" :
                                     document.getElementById("prompt").textContent);
  check("escape: the music stops and the page offers to play again",
        handedLater === handedAtEnd && prompt === "play again", `${prompt}, ${handedLater - handedAtEnd} frames after`);
  await page.click("#prompt");
  await page.waitForFunction(`Module.zuzorState() === 'playing' && Module.zuzorHanded > ${handedAtEnd + 44100}`,
                             { timeout: 60000 });
  const lines = logLines(messages);
  check("escape: the show plays again from its start", lines.length === 2 && lines[1] === startupLine,
        JSON.stringify(lines));
  await page.close();
}

async function noModuleCase() {
  const withModule = await openPage("show");
  await waitForPrompt(withModule.page);
  const expected = await canvasPng(withModule.page);
  await withModule.page.close();
  const { page, messages } = await openPage("nomodule");
  await page.waitForFunction("window.Module && Module.zuzorTimes && Module.zuzorTimes.firstPicture",
                             { timeout: 60000 });
  const lines = logLines(messages).filter((line) => line !== "");
  check("nomodule: the failure message", lines.length === 1 && lines[0] === failureLine,
        JSON.stringify(lines));
  const difference = meanDifference(await canvasPng(page), expected);
  check("nomodule: the opening scene", difference.every((d) => d <= largestMeanDifference),
        `mean difference per channel ${difference.map((d) => d.toFixed(2)).join(" ")}`);
  await page.close();
}

const cases = { startup: startupCase, stills: stillsCase, script: scriptCase, from: fromCase,
                nosound: noSoundCase,
                escape: escapeCase,
                nomodule: noModuleCase };
try {
  for (const [name, run] of Object.entries(cases))
    if (!options.only || options.only === name) await run();
} catch (error) {
  check("the page answered", false, String(error));
} finally {
  await browser.close();
  server.close();
}
process.exit(failures === 0 ? 0 : 1);
