// The web remote's page: talks to Zyn over one WebSocket (message set in the README).
"use strict";
(function () {
  const $ = (id) => document.getElementById(id);
  const ICON = 64, ATLAS = 8;            // icons.png: 8 x 8 icons of 64 pixels
  const SCENE_ICON = 24, FADER_ICON = 48, COMBO_ICON = 7, RANDOM_ICON = 10;
  let ws = null, catalogue = null, state = {}, fader = -1;
  let thumbUrl = null, history = [], historyAt = -1, sectionShown = "";
  const consoleLines = [];

  function send(m) { if (ws && ws.readyState === WebSocket.OPEN) ws.send(JSON.stringify(m)); }
  function exec(line) { send({ type: "exec", line: line }); }

  // Whole atlas pixels, scaled as one: no neighbour bleeds in at small sizes.
  function icon(k, size) {
    const box = document.createElement("span");
    box.className = "icon-box";
    box.style.width = box.style.height = size + "px";
    const i = document.createElement("span");
    i.className = "icon";
    i.style.backgroundPosition = -(k % ATLAS) * ICON + "px " + -Math.floor(k / ATLAS) * ICON + "px";
    i.style.transform = "scale(" + size / ICON + ")";
    i.style.transformOrigin = "0 0";
    box.append(i);
    return box;
  }

  function tile(n, name, k) {
    const b = document.createElement("button");
    b.className = "tile";
    b.dataset.scene = n;
    b.append(icon(k, 52));
    const t = document.createElement("span");
    t.textContent = name;
    b.append(t);
    b.addEventListener("click", () => exec("SceneChange(" + n + ", " + (fader < 0 ? "PickFader" : fader) + ")"));
    return b;
  }

  function chip(n, name, k) {
    const b = document.createElement("button");
    b.className = "chip";
    b.dataset.fader = n;
    b.append(icon(k, 24), document.createTextNode(name));
    b.addEventListener("click", () => { fader = n; markFader(); });
    return b;
  }

  function markFader() {
    for (const b of $("faders").children) b.classList.toggle("on", Number(b.dataset.fader) === fader);
  }

  function showCatalogue(m) {
    catalogue = m;
    const scenes = $("scenes"), combos = $("predefines"), faders = $("faders");
    scenes.replaceChildren(...m.scenes.map((s) => tile(s.n, s.name, SCENE_ICON + s.n)));
    combos.replaceChildren(...m.predefines.map((p) => tile(p.n, p.name, COMBO_ICON)));
    $("predefines-title").hidden = m.predefines.length === 0;
    faders.replaceChildren(chip(-1, "Random", RANDOM_ICON), ...m.faders.map((f) => chip(f.n, f.name, FADER_ICON + f.n)));
    markFader();
    const sel = $("section");
    sel.replaceChildren(...m.sections.map((s) => new Option(s, s)));
    showState(state);
  }

  function sceneName(n) {
    if (!catalogue) return "";
    const list = n >= 0 ? catalogue.scenes : catalogue.predefines;
    const e = list.find((s) => s.n === n);
    return e ? e.name : "Scene " + n;
  }

  function showState(m) {
    state = m;
    if (m.scene === undefined) return;
    $("scene-name").textContent = sceneName(m.scene) + (m.fading ? " ⋯" : "");
    for (const b of document.querySelectorAll(".tile")) b.classList.toggle("on", Number(b.dataset.scene) === m.scene);
    $("auto").setAttribute("aria-pressed", m.auto ? "true" : "false");
    $("strobe").setAttribute("aria-pressed", m.strobe ? "true" : "false");
    $("title").textContent = m.title || "No player found";
    // Tune follows the scene until the user picks a section.
    if (catalogue && !sectionShown && m.scene >= 0) openSection(catalogue.scenes.find((s) => s.n === m.scene)?.section || "MAIN");
  }

  function openSection(s) {
    if (s === sectionShown && $("consts").children.length) return;   // shown already (a drag may be under way)
    sectionShown = s;
    $("section").value = s;
    send({ type: "consts", section: s });
  }

  function decimals(step) {
    if (!step) return 3;
    const t = String(step);
    return t.includes(".") ? t.length - t.indexOf(".") - 1 : 0;
  }

  function showConsts(m) {
    if (m.section !== sectionShown) return;
    const box = $("consts");
    box.replaceChildren();
    for (const c of m.consts) {
      const row = document.createElement("div");
      row.className = "const";
      row.dataset.name = c.name;
      const head = document.createElement("div");
      head.className = "const-head";
      const name = document.createElement("span");
      name.textContent = c.name.split(".")[1];
      name.title = c.about;
      const val = document.createElement("output");
      val.textContent = c.text;
      head.append(name, val);
      row.append(head);
      if (c.kind !== "text" && c.min !== undefined && c.max !== undefined) {
        const r = document.createElement("input");
        r.type = "range";
        r.min = c.min; r.max = c.max;
        r.step = c.step > 0 ? c.step : (c.kind === "int" ? 1 : (c.max - c.min) / 200);
        r.value = c.value;
        r.setAttribute("aria-label", c.name);
        r.addEventListener("input", () => { val.textContent = Number(r.value).toFixed(decimals(c.step)); send({ type: "set", name: c.name, value: Number(r.value) }); });
        row.append(r);
      } else {
        const t = document.createElement("input");
        t.value = c.text;
        t.setAttribute("aria-label", c.name);
        t.addEventListener("change", () => send({ type: "set", name: c.name, value: t.value }));
        row.append(t);
      }
      if (c.about) {
        const p = document.createElement("p");
        p.className = "about";
        p.textContent = c.about;
        row.append(p);
      }
      box.append(row);
    }
  }

  function showConst(m) {
    const row = document.querySelector('.const[data-name="' + CSS.escape(m.name) + '"]');
    if (!row) return;
    row.querySelector("output").textContent = m.text;
    const r = row.querySelector("input[type=range]");
    if (r && document.activeElement !== r) r.value = m.value;
  }

  function addConsole(line) {
    consoleLines.push(line);
    if (consoleLines.length > 300) consoleLines.shift();
    const out = $("console-out");
    const atEnd = out.scrollTop + out.clientHeight >= out.scrollHeight - 4;
    out.textContent = consoleLines.join("\n");
    if (atEnd) out.scrollTop = out.scrollHeight;
  }

  function showThumb(data) {
    const url = URL.createObjectURL(new Blob([data], { type: "image/jpeg" }));
    $("thumb").src = url;
    if (thumbUrl) URL.revokeObjectURL(thumbUrl);
    thumbUrl = url;
    document.body.dataset.thumbs = Number(document.body.dataset.thumbs || 0) + 1;
  }

  function connect() {
    ws = new WebSocket((location.protocol === "https:" ? "wss://" : "ws://") + location.host + "/");
    ws.binaryType = "arraybuffer";
    ws.onopen = () => $("link").classList.add("up");
    ws.onclose = () => { $("link").classList.remove("up"); setTimeout(connect, 2000); };
    ws.onmessage = (ev) => {
      if (typeof ev.data !== "string") return showThumb(ev.data);
      const m = JSON.parse(ev.data);
      switch (m.type) {
        case "hello":
          if (m.locked) { document.cookie = "zyn_session=; path=/; max-age=0"; location.replace("/"); return; }
          send({ type: "thumbnail", on: !document.hidden });
          break;
        case "catalogue": showCatalogue(m); break;
        case "state": showState(m); break;
        case "consts": showConsts(m); break;
        case "const": showConst(m); break;
        case "console": addConsole(m.line); break;
        case "error": addConsole("# " + m.text); break;
      }
    };
  }

  // Tabs.
  for (const t of document.querySelectorAll("[role=tab]")) {
    t.addEventListener("click", () => {
      for (const u of document.querySelectorAll("[role=tab]")) u.setAttribute("aria-selected", u === t ? "true" : "false");
      for (const s of document.querySelectorAll(".tab")) s.hidden = s.id !== "tab-" + t.dataset.tab;
    });
  }
  $("next").addEventListener("click", () => exec(state.auto ? "ExecuteBind(115)" : "SceneChange(PickScene, PickFader)"));
  $("auto").addEventListener("click", () => exec(state.auto ? "TimerClear([change])" : "TimerAdd(PickSceneLength, [change], [ExecuteBind(115)])"));
  $("strobe").addEventListener("click", () => send({ type: "set", name: "GAMMA.On", value: state.strobe ? 0 : 1 }));
  $("section").addEventListener("change", (e) => openSection(e.target.value));
  $("ann-send").addEventListener("click", () => {
    const text = $("ann-text").value.trim();
    if (!text) return;
    const kind = Number(document.querySelector("input[name=ann-kind]:checked").value);
    send({ type: "announce", kind: kind, seconds: Number($("ann-seconds").value) || 8, text: text });
  });
  for (const b of document.querySelectorAll("[data-wa]")) b.addEventListener("click", () => exec("WAFunc([" + b.dataset.wa + "])"));
  try { history = JSON.parse(localStorage.getItem("zyn-history") || "[]"); } catch (e) { history = []; }
  const line = $("console-line");
  function recall(step) {
    if (!history.length) return;
    historyAt = Math.max(-1, Math.min(history.length - 1, historyAt + step));
    line.value = historyAt < 0 ? "" : history[historyAt];
  }
  $("hist-up").addEventListener("click", () => recall(1));
  line.addEventListener("keydown", (e) => {
    if (e.key === "ArrowUp") { e.preventDefault(); recall(1); }
    if (e.key === "ArrowDown") { e.preventDefault(); recall(-1); }
  });
  $("console-form").addEventListener("submit", (e) => {
    e.preventDefault();
    const text = line.value.trim();
    if (!text) return;
    exec(text);
    history = [text, ...history.filter((h) => h !== text)].slice(0, 20);
    localStorage.setItem("zyn-history", JSON.stringify(history));
    historyAt = -1;
    line.value = "";
  });
  // Pictures only while someone looks at the page.
  document.addEventListener("visibilitychange", () => send({ type: "thumbnail", on: !document.hidden }));
  connect();
})();
