// Opens a page in a headless Chromium and reports on it, for the harness's
// page functions (harness.sh): the browser is driven through its DevTools
// protocol over a pipe, so nothing but Node and Chromium is needed.
//
//   node chromium.js URL WIDTH HEIGHT DENSITY [OUT.ppm] [STEP...]
//
// The viewport is WIDTH x HEIGHT CSS pixels at device pixel ratio DENSITY.
// With CODERAIN_IN_FRAME=1 the page's first frame is the one looked at;
// CODERAIN_BEFORE_PAGE is a script run before the page's own.
// Waits up to 30 s for the page to say what it came to (data-scene on its
// root element), then takes the steps in order, each one argument:
//
//   "wait MS"            lets MS ms pass
//   "until STATE"        waits up to 10 s for the page to come to STATE
//   "keydown CODE", "keyup CODE", "key CODE" (down, then up),
//   "repeat CODE"        a key (a DOM code: KeyA, Enter, ...) as the user
//                        types it; repeat is the browser's repeat of a key
//                        held down
//   "click X Y"          a left click at CSS pixel (X, Y)
//   "size W H [DENSITY]" a new viewport
//   "hide", "show"       another tab in front of the page, and gone again
//   "pause", "resume"    the page's script stopped in the debugger (so no
//                        frame callback runs), as a host that stops giving
//                        the page frames without a word, and going again
//   "js EXPRESSION"      runs EXPRESSION in the page (a wallpaper host's
//                        call), a line "js: VALUE" of its value
//   "fullscreen"         the page asks for full screen, as after a click
//   "hash FRAGMENT"      the address after '#' changed, as typed
//   "screenshot FILE"    the page as it shows now, canvas and all, as a PNG
//   "facts"              a line of facts now
//   "picture FILE"       the canvas's pixels now, as a PPM, and a line
//                        "picture: FILE SHOWN" of the scene time it shows
//
// Then it prints one line for each console message ("console.TYPE: TEXT")
// and exception ("exception: TEXT"), the steps' lines, and a last line
// "facts: {...}" of what the page shows; with OUT (not "-"), it writes
// its canvas's pixels there. Extra Chromium flags come from
// CODERAIN_CHROMIUM_FLAGS. Exit status 0 when the page settled and every
// step was taken, 1 when not or the browser failed.
"use strict";
const { spawn } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");

const [url, width, height, density, out, ...steps] = process.argv.slice(2);
if (!url || !(width >= 0) || !(height >= 0) || !(density > 0)) {
  console.error("usage: node chromium.js URL WIDTH HEIGHT DENSITY [OUT.ppm] [STEP...]");
  process.exit(2);
}

const profile = fs.mkdtempSync(path.join(os.tmpdir(), "coderain-chromium-"));
const flags = [
  "--headless", "--disable-gpu", "--disable-background-networking", "--disable-component-update",
  "--disable-sync", "--no-first-run", "--no-default-browser-check", "--mute-audio",
  "--user-data-dir=" + profile, "--remote-debugging-pipe",
  ...(process.getuid && process.getuid() === 0 ? ["--no-sandbox"] : []),
  ...(process.env.CODERAIN_CHROMIUM_FLAGS || "").split(" ").filter(Boolean),
];
const browser = spawn(process.env.CHROMIUM || "chromium", flags, { stdio: ["ignore", "ignore", "ignore", "pipe", "pipe"] });

// The protocol: JSON messages ended by a NUL byte, fd 3 to the browser and
// fd 4 from it.
let nextId = 1;
const waiting = new Map();
const lines = [];
let received = "";
browser.stdio[4].on("data", (chunk) => {
  received += chunk.toString("utf8");
  let end;
  while ((end = received.indexOf("\0")) >= 0) {
    const message = JSON.parse(received.slice(0, end));
    received = received.slice(end + 1);
    if (message.id && waiting.has(message.id)) {
      const { resolve, reject } = waiting.get(message.id);
      waiting.delete(message.id);
      if (message.error) reject(new Error(message.error.message));
      else resolve(message.result);
    } else {
      onEvent(message);
    }
  }
});
function send(method, params = {}, sessionId = undefined) {
  const id = nextId++;
  browser.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + "\0");
  return new Promise((resolve, reject) => waiting.set(id, { resolve, reject }));
}

const contexts = [];
function onEvent(m) {
  const p = m.params || {};
  if (m.method === "Runtime.executionContextCreated") contexts.push(p.context);
  if (m.method === "Runtime.consoleAPICalled")
    lines.push("console." + p.type + ": " + p.args.map((a) => (a.value !== undefined ? a.value : a.description)).join(" "));
  if (m.method === "Runtime.exceptionThrown") {
    const d = p.exceptionDetails;
    lines.push("exception: " + (d.exception && d.exception.description ? d.exception.description : d.text));
  }
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function main() {
  const { targetId } = await send("Target.createTarget", { url: "about:blank" });
  const { sessionId } = await send("Target.attachToTarget", { targetId, flatten: true });
  const on = (method, params) => send(method, params, sessionId);
  await on("Emulation.setDeviceMetricsOverride", { width: +width, height: +height, deviceScaleFactor: +density, mobile: false });
  await on("Page.enable");
  await on("Runtime.enable");
  if (process.env.CODERAIN_BEFORE_PAGE)
    await on("Page.addScriptToEvaluateOnNewDocument", { source: process.env.CODERAIN_BEFORE_PAGE });
  await on("Page.navigate", { url });

  // The page itself, or its first frame's default context.
  const evaluate = async (expression) => {
    let contextId;
    if (process.env.CODERAIN_IN_FRAME === "1") {
      const { frameTree } = await on("Page.getFrameTree");
      const child = (frameTree.childFrames || [])[0];
      const c = child && contexts.find((x) => x.auxData && x.auxData.frameId === child.frame.id && x.auxData.isDefault);
      if (!c) return undefined;
      contextId = c.id;
    }
    const r = await on("Runtime.evaluate", { expression, contextId, returnByValue: true });
    return r.result.value;
  };
  const scene = () => evaluate("document.documentElement.dataset.scene");
  let state;
  for (let i = 0; i < 300 && !state; ++i) {
    state = await scene();
    if (!state) await sleep(100);
  }
  const facts = () =>
    evaluate(`(() => {
      const c = document.getElementById("scene"), e = document.scrollingElement, line = document.getElementById("line");
      return { scene: document.documentElement.dataset.scene, inner: [innerWidth, innerHeight], density: devicePixelRatio,
               canvas: c ? [c.width, c.height] : null, scroll: [e.scrollWidth, e.scrollHeight],
               cursor: c ? getComputedStyle(c).cursor : null, background: getComputedStyle(document.body).backgroundColor,
               line: line && !line.hidden ? line.textContent : "",
               frames: window.coderainStats ? coderainStats.frames : null,
               presents: window.coderainStats ? coderainStats.presents : null,
               shownAt: window.coderainStats ? coderainStats.shownAt : null,
               now: Math.round(performance.now()),
               fullscreen: !!document.fullscreenElement };
    })()`);
  // The pixels and the scene time they show, read at once: no frame
  // comes between.
  const picture = async (file, log) => {
    const got = await evaluate(`(() => {
      const c = document.getElementById("scene");
      if (!c) return null;
      const d = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
      let s = "";
      for (let i = 0; i < d.length; i += 4) s += String.fromCharCode(d[i], d[i + 1], d[i + 2]);
      return { size: [c.width, c.height], pixels: btoa(s), shownAt: window.coderainStats ? coderainStats.shownAt : null };
    })()`);
    if (!got) throw new Error("no canvas to take a picture of");
    const header = Buffer.from("P6\n" + got.size[0] + " " + got.size[1] + "\n255\n");
    fs.writeFileSync(file, Buffer.concat([header, Buffer.from(got.pixels, "base64")]));
    if (log) lines.push("picture: " + file + " " + got.shownAt);
  };

  // A key as a DOM code gives it, with the key and the Windows key code
  // the browser wants beside it.
  const key = (type, code, autoRepeat = false) => {
    const letter = /^Key([A-Z])$/.exec(code);
    const codes = { Enter: 13, Escape: 27, Space: 32, ShiftLeft: 16 };
    return on("Input.dispatchKeyEvent", { type, code, key: letter ? letter[1].toLowerCase() : code,
                                          windowsVirtualKeyCode: letter ? letter[1].charCodeAt(0) : codes[code] || 0,
                                          autoRepeat });
  };
  let front = null;  // the tab in front of the page while it is hidden
  const actions = {
    wait: (ms) => sleep(+ms),
    until: async (want) => {
      for (let i = 0; i < 100 && (await scene()) !== want; ++i) await sleep(100);
      if ((await scene()) !== want) throw new Error("the page did not come to " + want + " but to " + (await scene()));
    },
    keydown: (code) => key("rawKeyDown", code),
    keyup: (code) => key("keyUp", code),
    key: async (code) => {
      await key("rawKeyDown", code);
      await key("keyUp", code);
    },
    repeat: (code) => key("rawKeyDown", code, true),
    click: async (x, y) => {
      for (const type of ["mouseMoved", "mousePressed", "mouseReleased"])
        await on("Input.dispatchMouseEvent", { type, x: +x, y: +y, button: type === "mouseMoved" ? "none" : "left", clickCount: 1 });
    },
    size: (w, h, d) =>
      on("Emulation.setDeviceMetricsOverride", { width: +w, height: +h, deviceScaleFactor: +(d || density), mobile: false }),
    hide: async () => {
      front = (await send("Target.createTarget", { url: "about:blank" })).targetId;
      await send("Target.activateTarget", { targetId: front });
    },
    show: async () => {
      await send("Target.activateTarget", { targetId });
      await send("Target.closeTarget", { targetId: front });
    },
    fullscreen: () =>
      on("Runtime.evaluate", { expression: "document.documentElement.requestFullscreen()", userGesture: true,
                               awaitPromise: true }),
    hash: (fragment) => evaluate("location.hash = " + JSON.stringify(fragment)),
    screenshot: async (file) => fs.writeFileSync(file, Buffer.from((await on("Page.captureScreenshot")).data, "base64")),
    pause: async () => {
      await on("Debugger.enable");
      await on("Debugger.pause");
    },
    resume: () => on("Debugger.resume"),
    js: async (...words) => lines.push("js: " + JSON.stringify(await evaluate(words.join(" ")))),
    facts: async () => lines.push("facts: " + JSON.stringify(await facts())),
    picture: (file) => picture(file, true),
  };
  if (state) {
    for (const step of steps) {
      const [verb, ...args] = step.split(" ");
      if (!actions[verb]) throw new Error("no step " + verb);
      await actions[verb](...args);
    }
  }
  const last = await facts();
  if (out && out !== "-" && last && last.canvas) await picture(out);
  for (const l of lines) console.log(l);
  console.log("facts: " + JSON.stringify(last));
  return state ? 0 : 1;
}

// Closes the browser (killing it if it does not go in 5 s), removes its
// profile and exits with `status`.
let closing = false;
const exited = new Promise((resolve) => browser.on("exit", resolve));
async function end(status) {
  if (closing) return;
  closing = true;
  if (browser.exitCode === null && browser.signalCode === null) {
    send("Browser.close").catch(() => {});
    if ((await Promise.race([exited.then(() => true), sleep(5000)])) !== true) {
      browser.kill("SIGKILL");
      await exited;
    }
  }
  fs.rmSync(profile, { recursive: true, force: true, maxRetries: 10 });
  process.exit(status);
}
setTimeout(() => {
  console.log("chromium.js: no answer in 120 s");
  end(1);
}, 120000).unref();
exited.then((code) => {
  if (closing) return;
  console.log("chromium.js: the browser ended (" + code + ")");
  end(1);
});
main().then(end, (e) => {
  for (const l of lines) console.log(l);
  console.log("chromium.js: " + e.message);
  end(1);
});
