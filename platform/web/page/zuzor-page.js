// The page around the show's program: reads the page's options, writes the show's data
// files into the program's file system before it starts, makes the sound's context inside
// the viewer's click, and shows the prompt before the start and after the end. Times of
// the start-up are kept in Module.zuzorTimes for the tests and benchmarks.
"use strict";

(function () {
  const query = new URLSearchParams(window.location.search);
  const prompt = document.getElementById("prompt");
  const canvas = document.getElementById("canvas");
  const dataFiles = ["ZUZOR.XM", "drell.tga", "korvane.tga"];
  const programArguments = [];
  if (query.has("from")) programArguments.push("--from", query.get("from"));
  const mute = query.has("mute");
  const stillList = query.get("still");
  const profile = query.has("profile");
  let state = "loading"; // loading, waiting, playing, ended

  const times = { load: performance.now() };

  // Every data file is fetched before main runs; a missing one is simply not written, and
  // the show meets it as natively: the failure message, or a picture without it.
  function fetchData() {
    // ?trace: the measuring trace (ZUZOR_TRACE) in the program's file system, for the
    // benchmarks to read back with Module.FS.
    if (query.has("trace")) Module.ENV.ZUZOR_TRACE = "/trace.txt";
    Module.FS.mkdir("/Data");
    for (const name of dataFiles) {
      Module.addRunDependency("data " + name);
      fetch("Data/" + name)
        .then((response) => (response.ok ? response.arrayBuffer() : null))
        .catch(() => null)
        .then((bytes) => {
          if (bytes) Module.FS.writeFile("/Data/" + name, new Uint8Array(bytes));
          Module.removeRunDependency("data " + name);
        });
    }
  }

  function showPrompt(text) {
    prompt.textContent = text;
    prompt.hidden = false;
  }

  function start() {
    if (state !== "waiting" && state !== "ended") return;
    if (!mute) {
      try {
        if (!Module.zuzorAudioContext)
          Module.zuzorAudioContext = new AudioContext({ sampleRate: 44100, latencyHint: "interactive" });
        Module.zuzorAudioContext.resume();
      } catch (error) {
        Module.zuzorAudioContext = null;
      }
    }
    const root = document.documentElement;
    if (root.requestFullscreen && !query.has("window"))
      root.requestFullscreen().catch(() => {});
    prompt.hidden = true;
    state = "playing";
    times.click = performance.now();
    Module._zuzor_web_start();
  }

  // Leaving full screen (the browser takes Escape for that) ends the show as Escape does.
  document.addEventListener("fullscreenchange", () => {
    if (!document.fullscreenElement && state === "playing") Module._zuzor_web_stop();
  });
  prompt.addEventListener("click", start);
  canvas.addEventListener("click", start);

  function onPage(what) {
    if (what === "ready") {
      times.ready = performance.now();
      if (profile) {
        Module._zuzor_web_profile();
        return;
      }
      if (stillList !== null) {
        Module.zuzorStills = [];
        Module.zuzorDrawMs = {};
        const timedDraws = Number(query.get("timed") || 0);
        Module.ccall("zuzor_web_stills", null, ["string", "number"], [stillList, timedDraws]);
        return;
      }
      state = "waiting";
      showPrompt("click to start");
    } else if (what === "first picture") {
      times.firstPicture = performance.now();
    } else if (what === "ended") {
      state = "ended";
      times.ended = performance.now();
      if (document.fullscreenElement && document.exitFullscreen)
        document.exitFullscreen().catch(() => {});
      showPrompt("play again");
    } else if (what.startsWith("still ")) {
      Module.zuzorStills.push({ at: Number(what.slice(6)), png: canvas.toDataURL("image/png") });
    } else if (what.startsWith("draw ")) {
      const [, at, ms] = what.split(" ");
      Module.zuzorDrawMs[at] = Number(ms);
    } else if (what.startsWith("profile")) {
      Module.zuzorProfile = what;
    } else if (what === "stills done" || what === "stills failed") {
      Module.zuzorStillsDone = what;
    }
  }

  window.Module = {
    arguments: mute ? programArguments.concat(["--mute"]) : programArguments,
    canvas: canvas,
    preRun: [fetchData],
    zuzorPage: onPage,
    zuzorStillMode: stillList !== null || profile,
    zuzorTimes: times,
    zuzorState: () => state,
  };
})();
